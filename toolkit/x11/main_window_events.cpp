// The main window's events: each X event the window receives goes to one handler, which
// turns it into the form's input (keys, buttons, pointer, focus) or the window's state.
#include <X11/XKBlib.h>
#include <X11/Xutil.h>

#include "toolkit/x11/event_pump.h"
#include "toolkit/x11/input_map.h"
#include "toolkit/x11/main_window.h"

namespace toolkit::x11 {

void MainWindow::handle(XEvent& event, bool modal) {
    if (event.type == MappingNotify) return on_mapping(event.xmapping);
    if (event.xany.window != window_) return;
    if (const std::optional<Time> time = input_time(event)) {
        last_time_ = *time;
        // Under a message box, or while the window follows the pointer, the input stops here.
        if (modal || move_.follow(event)) return;
    }
    switch (event.type) {
        case Expose:
            return on_expose(event.xexpose);
        case KeyPress:
            return on_key(event.xkey, true);
        case KeyRelease:
            return on_key(event.xkey, false);
        case ButtonPress:
            return on_button_press(event.xbutton);
        case ButtonRelease:
            return on_button_release(event.xbutton);
        case MotionNotify:
            return on_motion(event);
        case EnterNotify:
            return on_enter(event.xcrossing);
        case LeaveNotify:
            return on_leave(event.xcrossing);
        case FocusIn:
            return on_focus(event.xfocus, true);
        case FocusOut:
            return on_focus(event.xfocus, false);
        case MapNotify:
            return on_map();
        case UnmapNotify:
            return on_unmap();
        case ClientMessage:
            return on_client_message(event, modal);
        case DestroyNotify:
            return on_destroy();
        default:
            return;
    }
}

void MainWindow::on_mapping(XMappingEvent& event) {
    XRefreshKeyboardMapping(&event);
}

void MainWindow::on_expose(const XExposeEvent& event) {
    pending_put_.push_back(Rect::from_size(event.x, event.y, event.width, event.height));
}

void MainWindow::on_key(XKeyEvent& event, bool press) {
    const unsigned code = event.keycode & 0xFF;
    // The keyboard map's symbol for the locks, group and modifiers of the moment.
    const Key key = key_from_keysym(keysym_for_state(
        [&](unsigned state) {
            KeySym sym = NoSymbol;
            unsigned consumed = 0;
            XkbLookupKeySym(display_, static_cast<KeyCode>(event.keycode), state, &consumed, &sym);
            return static_cast<unsigned long>(sym);
        },
        event.state));
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

void MainWindow::on_button_press(const XButtonEvent& event) {
    move_.press_seen();
    const auto button = mouse_button_from_x(event.button);
    if (!button) return;  // the wheel and extra buttons do nothing
    const ShiftState shift = shift_state_from_mask(event.state);
    const Point at{event.x, event.y};
    // Kept while the form handles the press: a press on the picture starts a move from it.
    press_ = PointerPress{event.button, at, {event.x_root, event.y_root}, event.time};
    if (!form_.active()) {
        // A press on an inactive window activates it, then acts as a press.
        if (!connection_.has_window_manager())
            XSetInputFocus(display_, window_, RevertToPointerRoot, event.time);
        run([&] { form_.activate(); });
    }
    run([&] { form_.mouse_down(*button, shift, at); });
    press_.reset();
}

void MainWindow::on_button_release(const XButtonEvent& event) {
    move_.release_seen(event.button);
    const auto button = mouse_button_from_x(event.button);
    if (!button) return;
    const ShiftState shift = shift_state_from_mask(event.state);
    run([&] { form_.mouse_up(*button, shift, {event.x, event.y}); });
}

void MainWindow::on_motion(const XEvent& event) {
    const XEvent latest = latest_motion(display_, window_, event);
    const ShiftState shift = shift_state_from_mask(latest.xmotion.state);
    const Point at{latest.xmotion.x, latest.xmotion.y};
    run([&] { form_.mouse_move(shift, at); });
}

void MainWindow::on_enter(const XCrossingEvent& event) {
    if (event.mode != NotifyNormal && event.mode != NotifyUngrab) return;
    const ShiftState shift = shift_state_from_mask(event.state);
    const Point at{event.x, event.y};
    run([&] { form_.mouse_move(shift, at); });
}

void MainWindow::on_leave(const XCrossingEvent& event) {
    if (event.mode == NotifyGrab) {
        // Another client took the pointer while a button may hold it.
        run([&] { form_.capture_lost(); });
    } else if (event.detail != NotifyInferior) {
        run([&] { form_.mouse_leave(); });
    }
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

void MainWindow::on_map() {
    mapped_ = true;
    // Without a window manager nobody gives the new window the focus: take it, as a window
    // shown active would have it.
    if (!ever_mapped_ && !connection_.has_window_manager())
        XSetInputFocus(display_, window_, RevertToPointerRoot, CurrentTime);
    ever_mapped_ = true;
}

void MainWindow::on_unmap() {
    mapped_ = false;
    keys_down_.reset();
}

void MainWindow::on_client_message(const XEvent& event, bool modal) {
    if (!modal && connection_.is_close_request(event)) close_requested_ = true;
}

void MainWindow::on_destroy() {
    close_requested_ = true;
}

}  // namespace toolkit::x11
