#include "toolkit/x11/main_window.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/Xrandr.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "toolkit/x11/frame_hints.h"
#include "toolkit/x11/ico_reader.h"
#include "toolkit/x11/input_map.h"

namespace toolkit::x11 {

namespace {

constexpr long kEventMask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                            ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                            LeaveWindowMask | FocusChangeMask | StructureNotifyMask |
                            PropertyChangeMask;

// How long a window manager may take to say how thick its frame will be: it answers within
// a millisecond or two, but a loaded machine can hold it up far longer.
constexpr auto kFrameExtentsWait = std::chrono::milliseconds(1000);

constexpr long kNetWmMoveResizeMove = 8;
constexpr long kNetWmMoveResizeCancel = 11;
constexpr long kSourceApplication = 1;

unsigned button_mask(unsigned button) {
    switch (button) {
        case Button1:
            return Button1Mask;
        case Button2:
            return Button2Mask;
        case Button3:
            return Button3Mask;
        default:
            return 0;
    }
}

}  // namespace

MainWindow::MainWindow(Connection& connection, Form& form,
                       std::function<void(const std::function<void()>&)> guard,
                       std::span<const std::uint8_t> icon_file)
    : connection_(connection),
      display_(connection.display()),
      form_(form),
      guard_(std::move(guard)),
      icon_file_(icon_file),
      size_(form.client_size()),
      back_buffer_(std::max(1, size_.width), std::max(1, size_.height)),
      output_(display_, DefaultVisual(display_, connection.screen()),
              DefaultDepth(display_, connection.screen()), back_buffer_),
      pending_paint_({0, 0, size_.width, size_.height}) {
    const int screen = connection.screen();
    XSetWindowAttributes attributes{};
    // No background: the server never clears the window, so nothing flickers before the
    // back buffer's pixels arrive.
    attributes.background_pixmap = None;
    attributes.border_pixel = BlackPixel(display_, screen);
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = kEventMask;
    window_ = XCreateWindow(
        display_, connection.root(), 0, 0, static_cast<unsigned>(back_buffer_.width()),
        static_cast<unsigned>(back_buffer_.height()), 0, CopyFromParent, InputOutput,
        CopyFromParent, CWBackPixmap | CWBorderPixel | CWBitGravity | CWEventMask | CWCursor,
        &attributes);
    XGCValues values{};
    values.graphics_exposures = False;
    values.foreground = BlackPixel(display_, screen);
    gc_ = XCreateGC(display_, window_, GCGraphicsExposures | GCForeground, &values);
    set_properties();
    Bool supported = False;
    // A held key then repeats as presses alone, so a repeat is told from a new press; set
    // before the window can have the focus.
    XkbSetDetectableAutoRepeat(display_, True, &supported);
}

void MainWindow::finish_setup() {
    // What the first frame does not need waits until it is on the screen.
    cursor_ = XCreateFontCursor(display_, XC_left_ptr);
    XDefineCursor(display_, window_, cursor_);
    const std::vector<unsigned long> icon = net_wm_icon_data(read_icon_images_32bit(icon_file_));
    if (!icon.empty())
        XChangeProperty(display_, window_, connection_.atoms().net_wm_icon, XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(icon.data()),
                        static_cast<int>(icon.size()));
}

MainWindow::~MainWindow() {
    XFreeGC(display_, gc_);
    XDestroyWindow(display_, window_);
    if (cursor_) XFreeCursor(display_, cursor_);
    XFlush(display_);
}

void MainWindow::set_properties() {
    const Atoms& a = connection_.atoms();
    const std::string title(form_.caption());

    XClassHint class_hint{};
    std::string res_name = "velmorra";
    std::string res_class = "Velmorra";
    class_hint.res_name = res_name.data();
    class_hint.res_class = res_class.data();
    XWMHints wm_hints{};
    wm_hints.flags = InputHint | StateHint | WindowGroupHint;
    wm_hints.input = True;
    wm_hints.initial_state = NormalState;
    wm_hints.window_group = window_;
    XTextProperty name{};
    name.value = reinterpret_cast<unsigned char*>(const_cast<char*>(title.c_str()));
    name.encoding = XA_STRING;
    name.format = 8;
    name.nitems = title.size();
    // Also sets WM_CLIENT_MACHINE, which gives _NET_WM_PID its meaning.
    XSetWMProperties(display_, window_, &name, &name, nullptr, 0, nullptr, &wm_hints, &class_hint);
    set_size_hints({0, 0});

    XChangeProperty(display_, window_, a.net_wm_name, a.utf8_string, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));
    const unsigned long pid = static_cast<unsigned long>(getpid());
    XChangeProperty(display_, window_, a.net_wm_pid, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    Atom protocols[] = {a.wm_delete_window};
    XSetWMProtocols(display_, window_, protocols, 1);
    const Atom type = a.net_wm_window_type_normal;
    XChangeProperty(display_, window_, a.net_wm_window_type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&type), 1);
    request_dialog_frame(connection_, window_);
}

void MainWindow::set_size_hints(Point origin) {
    XSizeHints hints{};
    // USPosition: the place is the program's choice, not for the window manager to redo.
    hints.flags = USPosition | PPosition | PSize | PMinSize | PMaxSize | PWinGravity;
    hints.x = origin.x;
    hints.y = origin.y;
    hints.width = hints.min_width = hints.max_width = back_buffer_.width();
    hints.height = hints.min_height = hints.max_height = back_buffer_.height();
    hints.win_gravity = NorthWestGravity;
    XSetWMNormalHints(display_, window_, &hints);
}

FrameExtents MainWindow::read_frame_extents() {
    FrameExtents extents;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, window_, connection_.atoms().net_frame_extents, 0, 4, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        data) {
        if (type == XA_CARDINAL && format == 32 && count == 4) {
            const auto* v = reinterpret_cast<const long*>(data);
            extents = {static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]),
                       static_cast<int>(v[3])};
        }
        XFree(data);
    }
    return extents;
}

FrameExtents MainWindow::frame_extents_for_centring() {
    const Atoms& a = connection_.atoms();
    if (!connection_.has_window_manager() || !connection_.supports(a.net_request_frame_extents))
        return {};
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = window_;
    request.xclient.message_type = a.net_request_frame_extents;
    request.xclient.format = 32;
    XSendEvent(display_, connection_.root(), False,
               SubstructureNotifyMask | SubstructureRedirectMask, &request);
    XFlush(display_);

    // The first paint runs while the window manager answers.
    flush();

    const auto deadline = std::chrono::steady_clock::now() + kFrameExtentsWait;
    struct Match {
        Window window;
        Atom atom;
    } match{window_, a.net_frame_extents};
    auto is_extents = [](Display*, XEvent* e, XPointer arg) -> Bool {
        const auto* m = reinterpret_cast<const Match*>(arg);
        return e->type == PropertyNotify && e->xproperty.window == m->window &&
               e->xproperty.atom == m->atom;
    };
    XEvent event{};
    while (!XCheckIfEvent(display_, &event, is_extents, reinterpret_cast<XPointer>(&match))) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{ConnectionNumber(display_), POLLIN, 0};
        poll(&p, 1, static_cast<int>(left.count()));
    }
    return read_frame_extents();
}

Rect MainWindow::primary_monitor() {
    const int screen = connection_.screen();
    const Rect whole{0, 0, DisplayWidth(display_, screen), DisplayHeight(display_, screen)};
    int event_base = 0;
    int error_base = 0;
    int major = 0;
    int minor = 0;
    if (!XRRQueryExtension(display_, &event_base, &error_base) ||
        !XRRQueryVersion(display_, &major, &minor) || (major == 1 && minor < 3))
        return whole;
    const RROutput primary = XRRGetOutputPrimary(display_, connection_.root());
    if (primary == None) return whole;
    Rect monitor = whole;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display_, connection_.root());
    if (!resources) return whole;
    if (XRROutputInfo* output = XRRGetOutputInfo(display_, resources, primary)) {
        if (output->crtc != None) {
            if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(display_, resources, output->crtc)) {
                if (crtc->width > 0 && crtc->height > 0)
                    monitor = Rect::from_size(crtc->x, crtc->y, static_cast<int>(crtc->width),
                                              static_cast<int>(crtc->height));
                XRRFreeCrtcInfo(crtc);
            }
        }
        XRRFreeOutputInfo(output);
    }
    XRRFreeScreenResources(resources);
    return monitor;
}

void MainWindow::show() {
    // Without a window manager this window takes the focus itself once it is mapped, so the
    // first frame can already show the focused button.
    if (!connection_.has_window_manager()) run([&] { form_.activate(); });
    invalidate({0, 0, size_.width, size_.height}, true);
    frame_ = frame_extents_for_centring();
    flush();
    const int screen = connection_.screen();
    const Rect desktop{0, 0, DisplayWidth(display_, screen), DisplayHeight(display_, screen)};
    const Point origin = centred_outer_origin(primary_monitor(), desktop, size_, frame_);
    // With north-west gravity the window manager puts its frame's corner at the position;
    // without a window manager there is no frame and the frame extents are zero.
    set_size_hints(origin);
    XMoveWindow(display_, window_, origin.x, origin.y);
    XMapRaised(display_, window_);
    XFlush(display_);
}

Rect MainWindow::screen_area() const {
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display_, window_, connection_.root(), 0, 0, &x, &y, &child);
    return Rect::from_size(x, y, size_.width, size_.height);
}

void MainWindow::invalidate(const Rect& area, bool erase) {
    pending_paint_.add(area, erase);
}

void MainWindow::flush() {
    for (const PendingPaint& p : pending_paint_.take()) {
        run([&] { form_.paint(back_buffer_, p.area, p.erase); });
        pending_put_.push_back(p.area);
    }
    if (!mapped_) {
        // Nothing is visible yet; the Expose events after mapping ask for the pixels.
        pending_put_.clear();
        return;
    }
    if (pending_put_.empty()) return;
    // Many small pieces (an Expose series, say) go as the box around them.
    if (pending_put_.size() > 16) {
        Rect box;
        for (const Rect& r : pending_put_) box = box.unite(r);
        pending_put_.assign(1, box);
    }
    std::vector<Rect> done;
    for (const Rect& r : pending_put_) {
        if (std::find(done.begin(), done.end(), r) != done.end()) continue;
        output_.put(window_, gc_, r);
        fill_beyond_client(r);
        done.push_back(r);
    }
    pending_put_.clear();
    if (!set_up_) {
        set_up_ = true;
        XFlush(display_);  // the first frame goes out before the rest of the set-up
        finish_setup();
    }
}

void MainWindow::fill_beyond_client(const Rect& r) {
    // Where a window manager made the window larger than its fixed size (full screen, say),
    // the rest shows black, as the window's colour.
    const Rect right{std::max(r.left, size_.width), r.top, r.right, r.bottom};
    const Rect below{r.left, std::max(r.top, size_.height), std::min(r.right, size_.width),
                     r.bottom};
    for (const Rect& part : {right, below}) {
        if (part.empty()) continue;
        XFillRectangle(display_, window_, gc_, part.left, part.top,
                       static_cast<unsigned>(part.width()), static_cast<unsigned>(part.height()));
    }
}

void MainWindow::set_capture() {
    // The server already keeps the pointer for the window from a press to its release.
}

void MainWindow::release_capture() {
    XUngrabPointer(display_, last_time_);
}

void MainWindow::perform(unsigned message, std::uintptr_t wparam, std::intptr_t) {
    if (message == kWmSysCommand && (wparam & 0xFFF0) == kScMove) start_move();
}

void MainWindow::start_move() {
    if (!press_) return;
    const Press p = *press_;
    const Atoms& a = connection_.atoms();
    XUngrabPointer(display_, p.time);
    // A move asked for after the button went up would never end: the window would follow
    // the pointer until the next click.
    if (!button_still_down(p.button)) return;
    if (connection_.has_window_manager() && connection_.supports(a.net_wm_moveresize)) {
        XEvent request{};
        request.xclient.type = ClientMessage;
        request.xclient.window = window_;
        request.xclient.message_type = a.net_wm_moveresize;
        request.xclient.format = 32;
        request.xclient.data.l[0] = p.x_root;
        request.xclient.data.l[1] = p.y_root;
        request.xclient.data.l[2] = kNetWmMoveResizeMove;
        request.xclient.data.l[3] = static_cast<long>(p.button);
        request.xclient.data.l[4] = kSourceApplication;
        XSendEvent(display_, connection_.root(), False,
                   SubstructureNotifyMask | SubstructureRedirectMask, &request);
        XFlush(display_);
        wm_move_button_ = p.button;
        return;
    }
    // No window manager to run the move: follow the pointer until the button is released.
    const int grabbed =
        XGrabPointer(display_, window_, False, ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                     GrabModeAsync, None, None, p.time);
    if (grabbed != GrabSuccess) return;
    move_ = Move{p.button,
                 {p.x_root, p.y_root},
                 {p.x_root - p.x - frame_.left, p.y_root - p.y - frame_.top}};
}

void MainWindow::cancel_wm_move() {
    // The release reached this window, so the window manager took the pointer too late and
    // would otherwise move the window until the next release.
    wm_move_button_ = 0;
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = window_;
    request.xclient.message_type = connection_.atoms().net_wm_moveresize;
    request.xclient.format = 32;
    request.xclient.data.l[2] = kNetWmMoveResizeCancel;
    request.xclient.data.l[4] = kSourceApplication;
    XSendEvent(display_, connection_.root(), False,
               SubstructureNotifyMask | SubstructureRedirectMask, &request);
}

bool MainWindow::button_still_down(unsigned button) {
    // A release already read from the server but not handled yet.
    struct Search {
        Window window;
        unsigned button;
        bool found;
    } search{window_, button, false};
    auto released = [](Display*, XEvent* e, XPointer arg) -> Bool {
        auto* s = reinterpret_cast<Search*>(arg);
        if (e->type == ButtonRelease && e->xbutton.window == s->window &&
            e->xbutton.button == s->button)
            s->found = true;
        return False;
    };
    XEvent unused;
    XCheckIfEvent(display_, &unused, released, reinterpret_cast<XPointer>(&search));
    if (search.found) return false;
    // The server's word on the buttons now.
    Window root = 0;
    Window child = 0;
    int root_x = 0;
    int root_y = 0;
    int x = 0;
    int y = 0;
    unsigned mask = 0;
    if (!XQueryPointer(display_, window_, &root, &child, &root_x, &root_y, &x, &y, &mask))
        return false;
    return (mask & button_mask(button)) != 0;
}

bool MainWindow::handle_move(const XEvent& event) {
    if (!move_) return false;
    const Move m = *move_;
    auto follow = [&](int x_root, int y_root) {
        XMoveWindow(display_, window_, m.window_start.x + x_root - m.pointer_start.x,
                    m.window_start.y + y_root - m.pointer_start.y);
    };
    switch (event.type) {
        case MotionNotify: {
            XEvent latest = event;
            while (XCheckTypedWindowEvent(display_, window_, MotionNotify, &latest)) {
            }
            follow(latest.xmotion.x_root, latest.xmotion.y_root);
            if (!(latest.xmotion.state & button_mask(m.button))) {
                XUngrabPointer(display_, latest.xmotion.time);
                move_.reset();
            }
            return true;
        }
        case ButtonRelease:
            if (event.xbutton.button == m.button) {
                follow(event.xbutton.x_root, event.xbutton.y_root);
                XUngrabPointer(display_, event.xbutton.time);
                move_.reset();
            }
            return true;
        case ButtonPress:
        case KeyPress:
        case KeyRelease:
        case EnterNotify:
        case LeaveNotify:
            return true;
        default:
            return false;
    }
}

void MainWindow::on_key(XKeyEvent& event, bool press) {
    const unsigned code = event.keycode & 0xFF;
    const KeySym sym = XkbKeycodeToKeysym(display_, static_cast<KeyCode>(event.keycode), 0, 0);
    const Key key = key_from_keysym(sym);
    const ShiftState shift = shift_state_from_mask(event.state);
    if (press) {
        const bool repeat = keys_down_.test(code);
        keys_down_.set(code);
        run([&] { form_.key_down(key, shift, repeat); });
    } else {
        keys_down_.reset(code);
        run([&] { form_.key_up(key, shift); });
    }
}

void MainWindow::on_button(const XButtonEvent& event, bool press) {
    const auto button = mouse_button_from_x(event.button);
    if (!button) return;  // the wheel and extra buttons do nothing
    const ShiftState shift = shift_state_from_mask(event.state);
    const Point at{event.x, event.y};
    if (!press) {
        run([&] { form_.mouse_up(*button, shift, at); });
        return;
    }
    press_ = Press{event.button, event.x, event.y, event.x_root, event.y_root, event.time};
    if (!form_.active()) {
        // A press on an inactive window activates it, then acts as a press.
        if (!connection_.has_window_manager())
            XSetInputFocus(display_, window_, RevertToPointerRoot, event.time);
        run([&] { form_.activate(); });
    }
    run([&] { form_.mouse_down(*button, shift, at); });
    press_.reset();
}

void MainWindow::on_focus(const XFocusChangeEvent& event, bool in) {
    // Grabs (a move, a window manager's key binding) do not take the focus away.
    if (event.mode == NotifyGrab || event.mode == NotifyUngrab) return;
    if (event.detail == NotifyInferior || event.detail == NotifyPointer) return;
    if (in) {
        if (!form_.active()) run([&] { form_.activate(); });
    } else {
        keys_down_.reset();
        if (form_.active()) run([&] { form_.deactivate(); });
    }
}

void MainWindow::handle(XEvent& event, bool modal) {
    if (event.type == MappingNotify) {
        XRefreshKeyboardMapping(&event.xmapping);
        return;
    }
    if (event.xany.window != window_) return;
    switch (event.type) {
        case KeyPress:
        case KeyRelease:
        case ButtonPress:
        case ButtonRelease:
        case MotionNotify:
        case EnterNotify:
        case LeaveNotify:
            last_time_ = event.type == KeyPress || event.type == KeyRelease ? event.xkey.time
                         : event.type == MotionNotify                       ? event.xmotion.time
                         : event.type == ButtonPress || event.type == ButtonRelease
                             ? event.xbutton.time
                             : event.xcrossing.time;
            if (modal || handle_move(event)) return;
            break;
        default:
            break;
    }
    switch (event.type) {
        case Expose:
            pending_put_.push_back(Rect::from_size(event.xexpose.x, event.xexpose.y,
                                                   event.xexpose.width, event.xexpose.height));
            break;
        case KeyPress:
            on_key(event.xkey, true);
            break;
        case KeyRelease:
            on_key(event.xkey, false);
            break;
        case ButtonPress:
            wm_move_button_ = 0;
            on_button(event.xbutton, true);
            break;
        case ButtonRelease:
            if (wm_move_button_ == event.xbutton.button) cancel_wm_move();
            on_button(event.xbutton, false);
            break;
        case MotionNotify: {
            XEvent latest = event;
            while (XCheckTypedWindowEvent(display_, window_, MotionNotify, &latest)) {
            }
            const ShiftState shift = shift_state_from_mask(latest.xmotion.state);
            const Point at{latest.xmotion.x, latest.xmotion.y};
            run([&] { form_.mouse_move(shift, at); });
            break;
        }
        case EnterNotify:
            if (event.xcrossing.mode == NotifyNormal || event.xcrossing.mode == NotifyUngrab) {
                const ShiftState shift = shift_state_from_mask(event.xcrossing.state);
                const Point at{event.xcrossing.x, event.xcrossing.y};
                run([&] { form_.mouse_move(shift, at); });
            }
            break;
        case LeaveNotify:
            if (event.xcrossing.mode == NotifyGrab) {
                // Another client took the pointer while a button may hold it.
                run([&] { form_.capture_lost(); });
            } else if (event.xcrossing.detail != NotifyInferior) {
                run([&] { form_.mouse_leave(); });
            }
            break;
        case FocusIn:
            on_focus(event.xfocus, true);
            break;
        case FocusOut:
            on_focus(event.xfocus, false);
            break;
        case MapNotify:
            mapped_ = true;
            // Without a window manager nobody gives the new window the focus: take it, as
            // a window shown active would have it.
            if (!ever_mapped_ && !connection_.has_window_manager())
                XSetInputFocus(display_, window_, RevertToPointerRoot, CurrentTime);
            ever_mapped_ = true;
            break;
        case UnmapNotify:
            mapped_ = false;
            keys_down_.reset();
            break;
        case ClientMessage:
            if (!modal && event.xclient.message_type == connection_.atoms().wm_protocols &&
                static_cast<Atom>(event.xclient.data.l[0]) == connection_.atoms().wm_delete_window)
                close_requested_ = true;
            break;
        case DestroyNotify:
            close_requested_ = true;
            break;
        default:
            break;
    }
}

}  // namespace toolkit::x11
