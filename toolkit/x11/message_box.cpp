#include "toolkit/x11/message_box.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <string>
#include <vector>

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

struct Layout {
    Size size;
    Point text_at;
    int line_height = 0;
    Rect button;
};

Layout lay_out(TextService& text, const std::vector<std::string>& lines) {
    Layout l;
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

void paint(PixelBuffer& target, TextService& text, const Layout& l,
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

}  // namespace

bool run_message_box(Connection& connection, TextService& text, const StopSignals& signals,
                     std::string_view title, std::string_view message, MainWindow* owner) {
    Display* display = connection.display();
    const Atoms& a = connection.atoms();
    const int screen = connection.screen();
    const std::vector<std::string> lines = wrap(text, message);
    const Layout layout = lay_out(text, lines);
    PixelBuffer pixels(layout.size.width, layout.size.height);
    bool pressed = false;
    paint(pixels, text, layout, lines, pressed);
    ImageOutput output(display, DefaultVisual(display, screen), DefaultDepth(display, screen),
                       pixels);

    const Rect over =
        owner ? owner->screen_area()
              : Rect{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
    const Point origin{std::max(0, over.left + (over.width() - layout.size.width) / 2),
                       std::max(0, over.top + (over.height() - layout.size.height) / 2)};
    XSetWindowAttributes attributes{};
    attributes.background_pixel = kFace.pixel();
    attributes.event_mask =
        ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
    const Window box = XCreateWindow(
        display, connection.root(), origin.x, origin.y, static_cast<unsigned>(layout.size.width),
        static_cast<unsigned>(layout.size.height), 0, CopyFromParent, InputOutput, CopyFromParent,
        CWBackPixel | CWEventMask, &attributes);
    const std::string name(title);
    XTextProperty text_property{};
    text_property.value = reinterpret_cast<unsigned char*>(const_cast<char*>(name.c_str()));
    text_property.encoding = XA_STRING;
    text_property.format = 8;
    text_property.nitems = name.size();
    XSizeHints size{};
    size.flags = USPosition | PMinSize | PMaxSize;
    size.x = origin.x;
    size.y = origin.y;
    size.min_width = size.max_width = layout.size.width;
    size.min_height = size.max_height = layout.size.height;
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = True;
    XSetWMProperties(display, box, &text_property, &text_property, nullptr, 0, &size, &hints,
                     nullptr);
    XChangeProperty(display, box, a.net_wm_name, a.utf8_string, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(name.data()),
                    static_cast<int>(name.size()));
    Atom protocols[] = {a.wm_delete_window};
    XSetWMProtocols(display, box, protocols, 1);
    const Atom type = a.net_wm_window_type_dialog;
    XChangeProperty(display, box, a.net_wm_window_type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&type), 1);
    const Atom state = a.net_wm_state_modal;
    XChangeProperty(display, box, a.net_wm_state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&state), 1);
    request_dialog_frame(connection, box);
    if (owner) XSetTransientForHint(display, box, owner->id());
    GC gc = XCreateGC(display, box, 0, nullptr);
    XMapRaised(display, box);

    bool closed = false;
    bool stopped = false;
    while (!closed) {
        while (!closed && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.xany.window != box) {
                if (owner) owner->handle(event, true);
                continue;
            }
            switch (event.type) {
                case Expose:
                    output.put(box, gc,
                               Rect::from_size(event.xexpose.x, event.xexpose.y,
                                               event.xexpose.width, event.xexpose.height));
                    break;
                case MapNotify:
                    if (!connection.has_window_manager())
                        XSetInputFocus(display, box, RevertToPointerRoot, CurrentTime);
                    break;
                case KeyPress: {
                    const KeySym sym = XLookupKeysym(&event.xkey, 0);
                    closed = sym == XK_Return || sym == XK_KP_Enter || sym == XK_space ||
                             sym == XK_Escape;
                    break;
                }
                case ButtonPress:
                case ButtonRelease: {
                    if (event.xbutton.button != Button1) break;
                    const bool inside = layout.button.contains({event.xbutton.x, event.xbutton.y});
                    const bool press = event.type == ButtonPress;
                    if (!press && pressed && inside) closed = true;
                    if (pressed != (press && inside)) {
                        pressed = press && inside;
                        paint(pixels, text, layout, lines, pressed);
                        output.put(box, gc, layout.button);
                    }
                    break;
                }
                case ClientMessage:
                    closed = event.xclient.message_type == a.wm_protocols &&
                             static_cast<Atom>(event.xclient.data.l[0]) == a.wm_delete_window;
                    break;
                case DestroyNotify:
                    closed = true;
                    break;
                default:
                    break;
            }
        }
        if (closed) break;
        if (owner) owner->flush();
        if (XPending(display) > 0) continue;
        if (!signals.wait_for(display)) {
            stopped = true;
            break;
        }
    }
    XFreeGC(display, gc);
    XDestroyWindow(display, box);
    // Without a window manager nobody hands the focus back to the window the box was over.
    if (owner && !connection.has_window_manager())
        XSetInputFocus(display, owner->id(), RevertToPointerRoot, CurrentTime);
    XFlush(display);
    return !stopped;
}

}  // namespace toolkit::x11
