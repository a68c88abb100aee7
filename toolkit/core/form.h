// A live window built from its description: controls, stacking, focus, the flat buttons'
// click rules, and painting of the whole client area into a pixel buffer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <variant>
#include <vector>

#include "button_state.h"
#include "description.h"
#include "input.h"
#include "picture_formats.h"
#include "pixel_buffer.h"
#include "text_service.h"
#include "window_host.h"

namespace toolkit {

class Component {
  public:
    explicit Component(std::string_view name) : name_(name) {}
    virtual ~Component() = default;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;
    std::string_view name() const { return name_; }

  private:
    std::string_view name_;
};

using NotifyEvent = std::function<void(Component& sender)>;
using MouseEvent =
    std::function<void(Component& sender, MouseButton button, ShiftState shift, int x, int y)>;
using Method = std::variant<NotifyEvent, MouseEvent>;

class Control : public Component {
  public:
    using Component::Component;
    const Rect& bounds() const { return bounds_; }
    void set_bounds(const Rect& r) { bounds_ = r; }

  private:
    Rect bounds_;
};

// Shows a picture at its natural size at the control's top-left corner, decoded once, on
// the first paint.
class PictureControl : public Control {
  public:
    PictureControl(std::string_view name, const PictureDecoder* decoder,
                   std::span<const std::uint8_t> data);
    MouseEvent on_mouse_down;
    // Decodes on first use; an empty bitmap when there is nothing to decode or it fails.
    const Bitmap& picture();
    bool decoded() const { return decoded_; }

  private:
    const PictureDecoder* decoder_;
    std::span<const std::uint8_t> data_;
    Bitmap bitmap_;
    bool decoded_ = false;
};

// The colours a flat button is drawn with, resolved from the description.
struct ButtonColours {
    Rgb face{65, 56, 44};
    Rgb frame{192, 192, 192};
    Rgb text{255, 255, 255};
    Rgb hot_track{240, 155, 20};
    Rgb highlight{0, 120, 215};
};

// One line of a button's caption and where its text cell starts.
struct CaptionLine {
    std::string_view text;
    Point at;
};

class FlatButton : public Control {
  public:
    FlatButton(std::string_view name, std::string_view caption, FontSpec font, int tab_order);
    NotifyEvent on_click;

    std::string_view caption() const { return caption_; }
    const FontSpec& font() const { return font_; }
    // The caption broken and placed for the button's bounds and font, which stay as loaded.
    std::span<const CaptionLine> caption_lines() const { return caption_lines_; }
    void set_caption_lines(std::vector<CaptionLine> lines) { caption_lines_ = std::move(lines); }
    int tab_order() const { return tab_order_; }
    ButtonState& state() { return state_; }
    const ButtonState& state() const { return state_; }

  private:
    std::string_view caption_;
    std::vector<CaptionLine> caption_lines_;
    FontSpec font_;
    int tab_order_;
    ButtonState state_;
};

// What the platform gives every form it creates.
struct FormServices {
    TextService& text;
    const PictureFormats& pictures;
    int pixels_per_inch = 96;
    // The system's selection colour, for the active button's ring.
    Rgb highlight{0, 120, 215};
};

// Told when a button may look different: its state, the focus or the window's activation
// changed. Assistive technologies follow the form through it.
class FormObserver {
  public:
    virtual ~FormObserver() = default;
    virtual void button_changed(const FlatButton& button) = 0;
};

class Form : public Component {
  public:
    Form(const FormDescription& description, const FormServices& services);
    ~Form() override;

    // Size and caption of the client area after scaling.
    Size client_size() const { return client_size_; }
    std::string_view caption() const { return description_.form.caption; }
    const FormDescription& description() const { return description_; }
    // True where the layout was scaled at load.
    bool scaled() const { return scaled_; }

    // The native window; until one is attached nothing is invalidated or captured.
    void attach(WindowHost* host) { host_ = host; }
    WindowHost* host() const { return host_; }

    PictureControl& picture() { return *picture_; }
    std::span<const std::unique_ptr<FlatButton>> buttons() const { return buttons_; }
    FlatButton* find_button(std::string_view name) const;
    // The buttons in the order Tab visits them.
    std::span<FlatButton* const> tab_sequence_buttons() const { return tab_order_; }
    // The control a press at `p` goes to: the front-most button that holds it, else the
    // picture, which fills the client area; null outside the client area.
    Control* control_at(Point p) const;

    bool active() const { return active_; }
    // The button with the keyboard focus: null while the window is inactive.
    FlatButton* focused() const { return active_ ? current_ : nullptr; }
    // The button that holds the focus, or held it last while the window is inactive.
    FlatButton* current() const { return current_; }
    // The button under the pointer, drawn hot.
    FlatButton* hot() const { return hot_; }

    // Events from the native window, in client coordinates.
    void activate();
    void deactivate();
    void mouse_down(MouseButton button, ShiftState shift, Point p);
    void mouse_up(MouseButton button, ShiftState shift, Point p);
    void mouse_move(ShiftState shift, Point p);
    // The pointer left the client area (not while a button holds the mouse).
    void mouse_leave();
    // The mouse was taken away from the window while a button held it.
    void capture_lost();
    void key_down(Key key, ShiftState shift, bool repeat);
    void key_up(Key key, ShiftState shift);

    void focus(FlatButton& button);
    // Clicks a button by other means than mouse or keyboard, as an assistive technology's
    // default action does: its handler runs once.
    void perform_click(FlatButton& button) { click(button); }
    // One observer at a time; null stops the notices.
    void observe(FormObserver* observer) { observer_ = observer; }
    // Sets the look of a button directly, for previews of each state.
    void preview_hot(FlatButton* button);
    void preview_pressed(FlatButton& button, bool pressed);

    // Paints `area` of the client area into `target`, which is the size of the client area.
    // With `erase` the background and the picture come first; without it only the buttons
    // in `area` are drawn, over what is already there.
    void paint(PixelBuffer& target, const Rect& area, bool erase);

  protected:
    // Builds the controls and binds their events; derived forms call it from their
    // constructor, once their handlers can be found. Throws on a handler name that resolves
    // to nothing or to a handler of the wrong form.
    void load();
    // The form's published handlers, by name.
    virtual std::optional<Method> find_method(std::string_view name) = 0;

  private:
    // The controls at the screen's density, their stacking, tab order and colours.
    void build_controls();
    // Each event of the description to the handler it names.
    void bind_events();
    void bind_click(const EventBinding& binding, const Method& method);
    void bind_mouse_down(const EventBinding& binding, const Method& method);
    void invalidate(const FlatButton& button);
    void set_hot(FlatButton* button);
    void set_current(FlatButton* button);
    void click(FlatButton& button);
    void move_focus(int step);
    std::vector<FlatButton*> tab_sequence() const;
    std::vector<FlatButton*> front_to_back() const;
    ButtonColours resolve_colours() const;

    const FormDescription& description_;
    FormServices services_;
    WindowHost* host_ = nullptr;
    Size client_size_;
    bool scaled_ = false;
    MouseEvent on_mouse_down_;
    std::unique_ptr<PictureControl> picture_;
    std::vector<std::unique_ptr<FlatButton>> buttons_;
    // Fixed once the form is loaded: every move, key and paint reads them.
    std::vector<FlatButton*> stacking_;
    std::vector<FlatButton*> tab_order_;
    ButtonColours colours_;
    bool active_ = false;
    bool ever_active_ = false;
    FlatButton* current_ = nullptr;
    FlatButton* hot_ = nullptr;
    // The button the left mouse button was pressed on, while it is held.
    FlatButton* mouse_owner_ = nullptr;
    FormObserver* observer_ = nullptr;
};

}  // namespace toolkit
