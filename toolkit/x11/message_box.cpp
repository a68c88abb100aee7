#include "toolkit/x11/message_box.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <string>
#include <vector>

#include "toolkit/x11/event_pump.h"
#include "toolkit/x11/frame_hints.h"
#include "toolkit/x11/image_output.h"

namespace toolkit::x11 {

namespace {

constexpr FontSpec kFont{"MS Sans Serif", -11, false, Charset::Default};
constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kMaxTextWidth = 420;
constexpr Size kButton{75, 23};
constexpr Rgb kFace{240, 240, 240};
constexpr Rgb kText{0, 0, 0};
constexpr Rgb kButtonFace{225, 225, 225};
constexpr Rgb kButtonPressed{204, 228, 247};
constexpr Rgb kButtonBorder{0, 120, 215};

// Greedy word wrap; explicit line breaks are kept.
std::vector<std::string> wrap(TextService& text, std::string_view message) {
    std::vector<std::string> lines;
    while (true) {
        const std::size_t end = message.find('\n');
        std::string_view paragraph = message.substr(0, end);
        std::string line;
        while (!paragraph.empty()) {
            const std::size_t space = paragraph.find(' ');
            const std::string_view word = paragraph.substr(0, space);
            paragraph =
                space == std::string_view::npos ? std::string_view{} : paragraph.substr(space + 1);
            std::string candidate =
                line.empty() ? std::string(word) : line + " " + std::string(word);
            if (!line.empty() && text.measure(kFont, candidate).width > kMaxTextWidth) {
                lines.push_back(line);
                line = std::string(word);
            } else {
                line = std::move(candidate);
            }
        }
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        message = message.substr(end + 1);
    }
    return lines;
}

// A red disc with a white cross, the sign of an error.
void draw_stop_sign(PixelBuffer& target, Point at) {
    const double centre = (kIconSize - 1) / 2.0;
    const double radius = kIconSize / 2.0 - 1;
    for (int y = 0; y < kIconSize; ++y) {
        for (int x = 0; x < kIconSize; ++x) {
            const double dx = x - centre;
            const double dy = y - centre;
            if (dx * dx + dy * dy > radius * radius) continue;
            const bool cross = std::abs(dx - dy) < 2.2 || std::abs(dx + dy) < 2.2;
            const bool in_cross =
                cross && std::abs(dx) < radius * 0.5 && std::abs(dy) < radius * 0.5;
            const Rgb c = in_cross ? Rgb{255, 255, 255} : Rgb{200, 30, 30};
            target.row(at.y + y)[at.x + x] = c.pixel();
        }
    }
}

struct BoxLayout {
    Size size;
    Point text_at;
    int line_height = 0;
    Rect button;
};

BoxLayout lay_out(TextService& text, const std::vector<std::string>& lines) {
    BoxLayout l;
    int text_width = 0;
    l.line_height = std::max(1, text.measure(kFont, "0").height);
    for (const std::string& line : lines)
        text_width = std::max(text_width, text.measure(kFont, line).width);
    const int text_height = l.line_height * static_cast<int>(lines.size());
    const int body_height = std::max(kIconSize, text_height);
    l.size.width = std::max(
        {kMargin * 3 + kIconSize + text_width + kMargin, kButton.width + 2 * kMargin, 200});
    l.size.height = kMargin + body_height + kMargin + kButton.height + kMargin;
    l.text_at = {kMargin * 2 + kIconSize, kMargin + (body_height - text_height) / 2};
    l.button =
        Rect::from_size((l.size.width - kButton.width) / 2,
                        l.size.height - kMargin - kButton.height, kButton.width, kButton.height);
    return l;
}

void paint(PixelBuffer& target, TextService& text, const BoxLayout& l,
           const std::vector<std::string>& lines, bool pressed) {
    target.fill(target.bounds(), kFace.pixel());
    draw_stop_sign(target, {kMargin, kMargin});
    const ClipRegion clip(target.bounds());
    for (std::size_t i = 0; i < lines.size(); ++i)
        text.draw(target, clip, kFont,
                  {l.text_at.x, l.text_at.y + static_cast<int>(i) * l.line_height}, lines[i],
                  kText);
    target.fill(l.button, kButtonBorder.pixel());
    target.fill(l.button.inset(1), (pressed ? kButtonPressed : kButtonFace).pixel());
    const TextExtent ok = text.measure(kFont, "OK");
    text.draw(target, ClipRegion(l.button.inset(1)), kFont,
              {l.button.left + (l.button.width() - ok.width) / 2,
               l.button.top + (l.button.height() - ok.height) / 2},
              "OK", kText);
}

// The box's window: built over its owner, painted from its own pixels, closed by its
// button, Enter, Space, Esc or its close box.
class MessageWindow {
  public:
    MessageWindow(const Connection& connection, TextService& text, std::string_view title,
                  std::string_view message, MainWindow* owner);
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    Window id() const { return window_; }
    bool closed() const { return closed_; }
    void handle(const XEvent& event);

  private:
    Window create_window(Point origin) const;
    void set_properties(std::string_view title, Point origin, MainWindow* owner);
    void on_button(const XButtonEvent& event);

    const Connection& connection_;
    Display* display_;
    TextService& text_;
    std::vector<std::string> lines_;
    BoxLayout layout_;
    PixelBuffer pixels_;
    ImageOutput output_;
    Window window_ = 0;
    GC gc_ = nullptr;
    bool pressed_ = false;
    bool closed_ = false;
};

MessageWindow::MessageWindow(const Connection& connection, TextService& text,
                             std::string_view title, std::string_view message, MainWindow* owner)
    : connection_(connection),
      display_(connection.display()),
      text_(text),
      lines_(wrap(text, message)),
      layout_(lay_out(text, lines_)),
      pixels_(layout_.size.width, layout_.size.height),
      output_(display_, DefaultVisual(display_, connection.screen()),
              DefaultDepth(display_, connection.screen()), pixels_) {
    paint(pixels_, text_, layout_, lines_, pressed_);
    const int screen = connection.screen();
    const Rect over =
        owner ? owner->screen_area()
              : Rect{0, 0, DisplayWidth(display_, screen), DisplayHeight(display_, screen)};
    const Point origin{std::max(0, over.left + (over.width() - layout_.size.width) / 2),
                       std::max(0, over.top + (over.height() - layout_.size.height) / 2)};
    window_ = create_window(origin);
    set_properties(title, origin, owner);
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    XMapRaised(display_, window_);
}

MessageWindow::~MessageWindow() {
    XFreeGC(display_, gc_);
    XDestroyWindow(display_, window_);
}

Window MessageWindow::create_window(Point origin) const {
    XSetWindowAttributes attributes{};
    attributes.background_pixel = kFace.pixel();
    attributes.event_mask =
        ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
    return XCreateWindow(display_, connection_.root(), origin.x, origin.y,
                         static_cast<unsigned>(layout_.size.width),
                         static_cast<unsigned>(layout_.size.height), 0, CopyFromParent, InputOutput,
                         CopyFromParent, CWBackPixel | CWEventMask, &attributes);
}

void MessageWindow::set_properties(std::string_view title, Point origin, MainWindow* owner) {
    const Atoms& a = connection_.atoms();
    connection_.set_title_type_and_protocols(window_, title, a.net_wm_window_type_dialog);
    XSizeHints size{};
    size.flags = USPosition | PMinSize | PMaxSize;
    size.x = origin.x;
    size.y = origin.y;
    size.min_width = size.max_width = layout_.size.width;
    size.min_height = size.max_height = layout_.size.height;
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = True;
    XSetWMProperties(display_, window_, nullptr, nullptr, nullptr, 0, &size, &hints, nullptr);
    const Atom state = a.net_wm_state_modal;
    XChangeProperty(display_, window_, a.net_wm_state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&state), 1);
    request_dialog_frame(connection_, window_);
    if (owner) XSetTransientForHint(display_, window_, owner->id());
}

void MessageWindow::handle(const XEvent& event) {
    switch (event.type) {
        case Expose:
            output_.put(window_, gc_,
                        Rect::from_size(event.xexpose.x, event.xexpose.y, event.xexpose.width,
                                        event.xexpose.height));
            break;
        case MapNotify:
            if (!connection_.has_window_manager())
                XSetInputFocus(display_, window_, RevertToPointerRoot, CurrentTime);
            break;
        case KeyPress: {
            const KeySym sym = XLookupKeysym(const_cast<XKeyEvent*>(&event.xkey), 0);
            closed_ = sym == XK_Return || sym == XK_KP_Enter || sym == XK_space || sym == XK_Escape;
            break;
        }
        case ButtonPress:
        case ButtonRelease:
            on_button(event.xbutton);
            break;
        case ClientMessage:
            closed_ = connection_.is_close_request(event);
            break;
        case DestroyNotify:
            closed_ = true;
            break;
        default:
            break;
    }
}

void MessageWindow::on_button(const XButtonEvent& event) {
    if (event.button != Button1) return;
    const bool inside = layout_.button.contains({event.x, event.y});
    const bool press = event.type == ButtonPress;
    if (!press && pressed_ && inside) closed_ = true;
    if (pressed_ != (press && inside)) {
        pressed_ = press && inside;
        paint(pixels_, text_, layout_, lines_, pressed_);
        output_.put(window_, gc_, layout_.button);
    }
}

}  // namespace

bool run_message_box(Connection& connection, TextService& text, const StopSignals& signals,
                     std::string_view title, std::string_view message, MainWindow* owner) {
    Display* display = connection.display();
    bool finished = false;
    {
        MessageWindow box(connection, text, title, message, owner);
        finished = pump_events(
            display, signals, [&] { return box.closed(); },
            [&](XEvent& event) {
                if (event.xany.window == box.id())
                    box.handle(event);
                else if (owner)
                    owner->handle(event, true);
            },
            [&] {
                if (owner) owner->flush();
            });
    }
    // Without a window manager nobody hands the focus back to the window the box was over.
    if (owner && !connection.has_window_manager())
        XSetInputFocus(display, owner->id(), RevertToPointerRoot, CurrentTime);
    XFlush(display);
    return finished;
}

}  // namespace toolkit::x11
