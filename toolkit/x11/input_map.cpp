#include "toolkit/x11/input_map.h"

#include <X11/X.h>
#include <X11/keysym.h>

namespace toolkit::x11 {

Key key_from_keysym(unsigned long keysym) {
    switch (keysym) {
        case XK_Tab:
        case XK_ISO_Left_Tab:
        case XK_KP_Tab:
            return Key::Tab;
        case XK_Return:
        case XK_KP_Enter:
            return Key::Enter;
        case XK_space:
            return Key::Space;
        case XK_Escape:
            return Key::Escape;
        case XK_Left:
        case XK_KP_Left:
            return Key::Left;
        case XK_Right:
        case XK_KP_Right:
            return Key::Right;
        case XK_Up:
        case XK_KP_Up:
            return Key::Up;
        case XK_Down:
        case XK_KP_Down:
            return Key::Down;
        default:
            return Key::Other;
    }
}

unsigned long keysym_for_state(const std::function<unsigned long(unsigned)>& lookup,
                               unsigned state) {
    const unsigned long unshifted = lookup(state & ~ShiftMask);
    const bool keypad_digit =
        (unshifted >= XK_KP_0 && unshifted <= XK_KP_9) || unshifted == XK_KP_Decimal;
    return keypad_digit && (state & ShiftMask) ? lookup(state) : unshifted;
}

ShiftState shift_state_from_mask(unsigned int state) {
    ShiftState s = 0;
    if (state & ShiftMask) s |= kShift;
    if (state & ControlMask) s |= kControl;
    if (state & Mod1Mask) s |= kAlt;
    return s;
}

std::optional<MouseButton> mouse_button_from_x(unsigned int button) {
    switch (button) {
        case Button1:
            return MouseButton::Left;
        case Button2:
            return MouseButton::Middle;
        case Button3:
            return MouseButton::Right;
        default:
            return std::nullopt;
    }
}

std::optional<Time> input_time(const XEvent& event) {
    switch (event.type) {
        case KeyPress:
        case KeyRelease:
            return event.xkey.time;
        case ButtonPress:
        case ButtonRelease:
            return event.xbutton.time;
        case MotionNotify:
            return event.xmotion.time;
        case EnterNotify:
        case LeaveNotify:
            return event.xcrossing.time;
        default:
            return std::nullopt;
    }
}

}  // namespace toolkit::x11
