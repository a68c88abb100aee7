#include "form.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "button_painter.h"
#include "layout.h"

namespace toolkit {

PictureControl::PictureControl(std::string_view name, const PictureDecoder* decoder,
                               std::span<const std::uint8_t> data)
    : Control(name), decoder_(decoder), data_(data) {}

const Bitmap& PictureControl::picture() {
    if (!decoded_) {
        decoded_ = true;
        // A picture that cannot be decoded shows as nothing, like one of no known class.
        if (decoder_ && !data_.empty()) {
            try {
                bitmap_ = (*decoder_)(data_);
            } catch (const std::exception&) {
                bitmap_ = {};
            }
        }
    }
    return bitmap_;
}

FlatButton::FlatButton(std::string_view name, std::string_view caption, FontSpec font,
                       int tab_order)
    : Control(name), caption_(caption), font_(font), tab_order_(tab_order) {}

Form::Form(const FormDescription& description, const FormServices& services)
    : Component(description.form.name), description_(description), services_(services) {}

Form::~Form() = default;

void Form::load() {
    const FormDescription& d = description_;
    const FontSpec window_font{d.form.font.name, window_font_height(d, services_.pixels_per_inch),
                               d.form.font.bold, d.form.font.charset};
    const int measured = services_.text.measure(window_font, "0").height;
    const Layout layout = scale_layout(d, services_.pixels_per_inch, measured);
    client_size_ = layout.client;
    scaled_ = layout.scaled;

    const auto data =
        d.picture.picture_data ? d.picture.picture_data() : std::span<const std::uint8_t>{};
    picture_ = std::make_unique<PictureControl>(
        d.picture.name, services_.pictures.find(d.picture.picture_class), data);
    picture_->set_bounds(layout.picture);

    buttons_.clear();
    for (std::size_t i = 0; i < d.buttons.size(); ++i) {
        const ButtonSettings& s = d.buttons[i];
        const FontSpec font{d.button_style.font_name, layout.button_font_heights[i],
                            d.button_style.bold, d.button_style.charset};
        auto button = std::make_unique<FlatButton>(s.name, s.caption, font, s.tab_order);
        button->set_bounds(layout.buttons[i]);
        button->set_caption_lines(
            lay_out_caption(services_.text, font, s.caption, layout.buttons[i]));
        buttons_.push_back(std::move(button));
    }
    stacking_ = front_to_back();
    tab_order_ = tab_sequence();
    colours_ = resolve_colours();

    for (const EventBinding& b : d.bindings) {
        const std::string handler(b.handler);
        std::optional<Method> method = find_method(b.handler);
        if (!method) throw std::runtime_error("Method '" + handler + "' not found");
        if (b.event == EventKind::Click) {
            auto* notify = std::get_if<NotifyEvent>(&*method);
            FlatButton* button = find_button(b.component);
            if (!notify || !button)
                throw std::runtime_error("Method '" + handler + "' does not fit OnClick of '" +
                                         std::string(b.component) + "'");
            button->on_click = *notify;
        } else {
            auto* mouse = std::get_if<MouseEvent>(&*method);
            if (!mouse)
                throw std::runtime_error("Method '" + handler + "' does not fit OnMouseDown");
            if (b.component == d.form.name)
                on_mouse_down_ = *mouse;
            else if (b.component == d.picture.name)
                picture_->on_mouse_down = *mouse;
            else
                throw std::runtime_error("No component '" + std::string(b.component) +
                                         "' with OnMouseDown");
        }
    }
}

FlatButton* Form::find_button(std::string_view name) const {
    for (const auto& b : buttons_)
        if (b->name() == name) return b.get();
    return nullptr;
}

std::vector<FlatButton*> Form::front_to_back() const {
    std::vector<FlatButton*> order;
    for (std::string_view name : description_.stacking_front_to_back)
        if (FlatButton* b = find_button(name)) order.push_back(b);
    // A button the stacking list forgets lies behind the listed ones.
    for (const auto& b : buttons_)
        if (std::find(order.begin(), order.end(), b.get()) == order.end()) order.push_back(b.get());
    return order;
}

std::vector<FlatButton*> Form::tab_sequence() const {
    std::vector<FlatButton*> seq;
    for (const auto& b : buttons_) seq.push_back(b.get());
    std::stable_sort(seq.begin(), seq.end(), [](const FlatButton* a, const FlatButton* b) {
        return a->tab_order() < b->tab_order();
    });
    return seq;
}

Control* Form::control_at(Point p) const {
    if (!Rect{0, 0, client_size_.width, client_size_.height}.contains(p)) return nullptr;
    for (FlatButton* b : stacking_)
        if (b->bounds().contains(p)) return b;
    if (picture_ && picture_->bounds().contains(p)) return picture_.get();
    return nullptr;
}

void Form::invalidate(const FlatButton& button) {
    if (host_) host_->invalidate(button.bounds(), false);
    if (observer_) observer_->button_changed(button);
}

void Form::set_hot(FlatButton* button) {
    if (hot_ == button) return;
    if (hot_ && hot_->state().set_hot(false)) invalidate(*hot_);
    hot_ = button;
    if (hot_ && hot_->state().set_hot(true)) invalidate(*hot_);
}

void Form::set_current(FlatButton* button) {
    if (current_ == button) return;
    if (current_) {
        current_->state().focus_lost();
        invalidate(*current_);
    }
    current_ = button;
    if (current_) invalidate(*current_);
}

void Form::focus(FlatButton& button) {
    set_current(&button);
}

void Form::activate() {
    if (active_) return;
    active_ = true;
    if (!current_ && !ever_active_) {
        if (!tab_order_.empty()) current_ = tab_order_.front();
    }
    ever_active_ = true;
    if (current_) invalidate(*current_);
}

void Form::deactivate() {
    if (!active_) return;
    active_ = false;
    if (current_) {
        // The focus rectangle goes and a Space press in progress ends without a click; the
        // ring stays to show which button gets the focus back.
        current_->state().focus_lost();
        invalidate(*current_);
    }
    if (mouse_owner_) mouse_owner_ = nullptr;
}

void Form::click(FlatButton& button) {
    invalidate(button);
    if (button.on_click) button.on_click(button);
    invalidate(button);
}

void Form::mouse_down(MouseButton button, ShiftState shift, Point p) {
    Control* target = control_at(p);
    if (!target) return;
    if (auto* b = dynamic_cast<FlatButton*>(target)) {
        // Only the left mouse button means anything to a button.
        if (button != MouseButton::Left) return;
        if (host_) host_->set_capture();
        mouse_owner_ = b;
        set_current(b);
        set_hot(b);
        if (b->state().left_press()) invalidate(*b);
        return;
    }
    if (button == MouseButton::Left && host_) host_->set_capture();
    if (target == picture_.get()) {
        const Rect& r = picture_->bounds();
        if (picture_->on_mouse_down)
            picture_->on_mouse_down(*picture_, button, shift, p.x - r.left, p.y - r.top);
    } else if (on_mouse_down_) {
        on_mouse_down_(*this, button, shift, p.x, p.y);
    }
}

void Form::mouse_move(ShiftState, Point p) {
    if (mouse_owner_) {
        const bool inside = mouse_owner_->bounds().contains(p);
        if (mouse_owner_->state().pointer_moved(inside)) invalidate(*mouse_owner_);
        set_hot(inside ? mouse_owner_ : nullptr);
        return;
    }
    set_hot(dynamic_cast<FlatButton*>(control_at(p)));
}

void Form::mouse_up(MouseButton button, ShiftState, Point p) {
    if (button != MouseButton::Left) return;
    FlatButton* owner = mouse_owner_;
    mouse_owner_ = nullptr;
    if (host_) host_->release_capture();
    if (owner) {
        const bool clicks = owner->state().left_release(owner->bounds().contains(p));
        invalidate(*owner);
        set_hot(dynamic_cast<FlatButton*>(control_at(p)));
        if (clicks) click(*owner);
    }
}

void Form::mouse_leave() {
    if (!mouse_owner_) set_hot(nullptr);
}

void Form::capture_lost() {
    if (!mouse_owner_) return;
    if (mouse_owner_->state().mouse_lost()) invalidate(*mouse_owner_);
    mouse_owner_ = nullptr;
}

void Form::move_focus(int step) {
    const auto& seq = tab_order_;
    if (seq.empty()) return;
    const auto it = std::find(seq.begin(), seq.end(), current_);
    const int n = static_cast<int>(seq.size());
    const int at = it == seq.end() ? (step > 0 ? -1 : 0) : static_cast<int>(it - seq.begin());
    set_current(seq[static_cast<std::size_t>(((at + step) % n + n) % n)]);
}

void Form::key_down(Key key, ShiftState shift, bool repeat) {
    if (!active_) return;
    switch (key) {
        case Key::Tab:
            if (!(shift & (kAlt | kControl))) move_focus(shift & kShift ? -1 : 1);
            break;
        case Key::Right:
        case Key::Down:
            if (!(shift & kAlt)) move_focus(1);
            break;
        case Key::Left:
        case Key::Up:
            if (!(shift & kAlt)) move_focus(-1);
            break;
        case Key::Enter:
            // Every press and every automatic repeat clicks, without showing it pressed.
            if (!(shift & (kShift | kControl | kAlt)) && current_) click(*current_);
            break;
        case Key::Space:
            if (!repeat && !(shift & kAlt) && current_ && current_->state().space_press())
                invalidate(*current_);
            break;
        case Key::Escape:
        case Key::Other:
            break;
    }
}

void Form::key_up(Key key, ShiftState) {
    if (!active_ || key != Key::Space || !current_) return;
    FlatButton& b = *current_;
    const bool clicks = b.state().space_release();
    invalidate(b);
    if (clicks) click(b);
}

void Form::preview_hot(FlatButton* button) {
    set_hot(button);
}

void Form::preview_pressed(FlatButton& button, bool pressed) {
    if (button.state().set_pressed(pressed)) invalidate(button);
}

ButtonColours Form::resolve_colours() const {
    const ButtonStyle& s = description_.button_style;
    auto resolve = [this](ColorValue c) {
        switch (c.system) {
            case ColorValue::System::Highlight:
                return services_.highlight;
            case ColorValue::System::WindowText:
                return Rgb{0, 0, 0};
            case ColorValue::System::Fixed:
                break;
        }
        return Rgb::from_color_value(c.rgb);
    };
    return {resolve(s.colour), resolve(s.frame_colour), resolve(s.font_colour),
            resolve(s.hot_track_colour), resolve(s.highlight_colour)};
}

void Form::paint(PixelBuffer& target, const Rect& area, bool erase) {
    const Rect clip_area =
        area.intersect({0, 0, client_size_.width, client_size_.height}).intersect(target.bounds());
    if (clip_area.empty()) return;
    if (erase) {
        // The window colour shows wherever the picture does not; filling only there
        // spares writing the picture's pixels twice.
        Rect shown;
        if (picture_) {
            const Rect& r = picture_->bounds();
            const Bitmap& bitmap = picture_->picture();
            shown = Rect::from_size(r.left, r.top, bitmap.width, bitmap.height)
                        .intersect(r)
                        .intersect(clip_area);
            target.blit(bitmap, {r.left, r.top}, shown);
        }
        const Pixel background = Rgb::from_color_value(description_.form.colour.rgb).pixel();
        if (shown.empty()) {
            target.fill(clip_area, background);
        } else {
            const Rect& a = clip_area;
            target.fill({a.left, a.top, a.right, shown.top}, background);
            target.fill({a.left, shown.bottom, a.right, a.bottom}, background);
            target.fill({a.left, shown.top, shown.left, shown.bottom}, background);
            target.fill({shown.right, shown.top, a.right, shown.bottom}, background);
        }
    }
    const auto& order = stacking_;
    for (std::size_t i = order.size(); i-- > 0;) {
        const FlatButton& b = *order[i];
        if (b.bounds().intersect(clip_area).empty()) continue;
        ClipRegion clip(clip_area);
        for (std::size_t front = 0; front < i; ++front) clip.exclude(order[front]->bounds());
        ButtonPaint paint;
        paint.bounds = b.bounds();
        paint.caption = b.caption_lines();
        paint.font = b.font();
        paint.look = b.state().look(current_ == &b);
        paint.focus_rect = description_.button_style.show_focus_rect && focused() == &b;
        paint.colours = colours_;
        paint_button(target, clip, services_.text, paint);
    }
}

}  // namespace toolkit
