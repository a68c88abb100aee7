// Loading a form from its description (controls built, events bound), finding its controls
// and stacking, and painting it; the keyboard and mouse rules live in form_keyboard.cpp and
// form_mouse.cpp.
#include "form.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "background_painter.h"
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
    build_controls();
    bind_events();
}

void Form::build_controls() {
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
}

void Form::bind_events() {
    for (const EventBinding& b : description_.bindings) {
        std::optional<Method> method = find_method(b.handler);
        if (!method) throw std::runtime_error("Method '" + std::string(b.handler) + "' not found");
        if (b.event == EventKind::Click)
            bind_click(b, *method);
        else
            bind_mouse_down(b, *method);
    }
}

void Form::bind_click(const EventBinding& b, const Method& method) {
    const auto* notify = std::get_if<NotifyEvent>(&method);
    FlatButton* button = find_button(b.component);
    if (!notify || !button)
        throw std::runtime_error("Method '" + std::string(b.handler) +
                                 "' does not fit OnClick of '" + std::string(b.component) + "'");
    button->on_click = *notify;
}

void Form::bind_mouse_down(const EventBinding& b, const Method& method) {
    const auto* mouse = std::get_if<MouseEvent>(&method);
    if (!mouse)
        throw std::runtime_error("Method '" + std::string(b.handler) +
                                 "' does not fit OnMouseDown");
    if (b.component == description_.form.name)
        on_mouse_down_ = *mouse;
    else if (b.component == description_.picture.name)
        picture_->on_mouse_down = *mouse;
    else
        throw std::runtime_error("No component '" + std::string(b.component) +
                                 "' with OnMouseDown");
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

void Form::click(FlatButton& button) {
    invalidate(button);
    if (button.on_click) button.on_click(button);
    invalidate(button);
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
        const Pixel background = Rgb::from_color_value(description_.form.colour.rgb).pixel();
        if (picture_)
            paint_background(target, clip_area, picture_->bounds(), picture_->picture(),
                             background);
        else
            target.fill(clip_area, background);
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
