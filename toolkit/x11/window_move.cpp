#include "toolkit/x11/window_move.h"

#include "toolkit/x11/event_pump.h"
#include "toolkit/x11/placement.h"

namespace toolkit::x11 {

namespace {

// _NET_WM_MOVERESIZE's directions and source.
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

WindowMove::WindowMove(const Connection& connection, Window window)
    : connection_(connection), display_(connection.display()), window_(window) {}

void WindowMove::start(const PointerPress& press, const FrameExtents& frame) {
    XUngrabPointer(display_, press.time);
    // A move asked for after the button went up would never end: the window would follow
    // the pointer until the next click.
    if (!button_still_down(press.button)) return;
    if (connection_.has_window_manager() &&
        connection_.supports(connection_.atoms().net_wm_moveresize))
        hand_to_window_manager(press);
    else
        start_by_hand(press, frame);
}

void WindowMove::press_seen() {
    wm_move_button_ = 0;
}

void WindowMove::release_seen(unsigned button) {
    if (wm_move_button_ != button) return;
    wm_move_button_ = 0;
    connection_.send_to_window_manager(window_, connection_.atoms().net_wm_moveresize,
                                       {0, 0, kNetWmMoveResizeCancel, 0, kSourceApplication});
}

bool WindowMove::button_still_down(unsigned button) const {
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

void WindowMove::hand_to_window_manager(const PointerPress& press) {
    connection_.send_to_window_manager(window_, connection_.atoms().net_wm_moveresize,
                                       {press.at_root.x, press.at_root.y, kNetWmMoveResizeMove,
                                        static_cast<long>(press.button), kSourceApplication});
    XFlush(display_);
    wm_move_button_ = press.button;
}

void WindowMove::start_by_hand(const PointerPress& press, const FrameExtents& frame) {
    // No window manager to run the move: follow the pointer until the button is released.
    const int grabbed =
        XGrabPointer(display_, window_, False, ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                     GrabModeAsync, None, None, press.time);
    if (grabbed != GrabSuccess) return;
    // Wide sums held to the screen: the frame is another program's number.
    by_hand_ = ByHand{press.button,
                      press.at_root,
                      {screen_coordinate(0LL + press.at_root.x - press.at.x - frame.left),
                       screen_coordinate(0LL + press.at_root.y - press.at.y - frame.top)}};
}

void WindowMove::move_to(int x_root, int y_root) const {
    const ByHand& m = *by_hand_;
    XMoveWindow(display_, window_,
                screen_coordinate(0LL + m.window_start.x + x_root - m.pointer_start.x),
                screen_coordinate(0LL + m.window_start.y + y_root - m.pointer_start.y));
}

void WindowMove::end_by_hand(Time time) {
    XUngrabPointer(display_, time);
    by_hand_.reset();
}

bool WindowMove::follow(const XEvent& event) {
    if (!by_hand_) return false;
    switch (event.type) {
        case MotionNotify: {
            const XEvent latest = latest_motion(display_, window_, event);
            move_to(latest.xmotion.x_root, latest.xmotion.y_root);
            if (!(latest.xmotion.state & button_mask(by_hand_->button)))
                end_by_hand(latest.xmotion.time);
            return true;
        }
        case ButtonRelease:
            if (event.xbutton.button == by_hand_->button) {
                move_to(event.xbutton.x_root, event.xbutton.y_root);
                end_by_hand(event.xbutton.time);
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

}  // namespace toolkit::x11
