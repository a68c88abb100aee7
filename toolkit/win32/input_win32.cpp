#include "toolkit/win32/input_win32.h"

namespace toolkit::win32 {

// The keypad's Enter and its arrows (Num Lock off) come with the same virtual keys.
Key key_from_virtual_key(WPARAM virtual_key) {
    switch (virtual_key) {
        case VK_TAB:
            return Key::Tab;
        case VK_RETURN:
            return Key::Enter;
        case VK_SPACE:
            return Key::Space;
        case VK_ESCAPE:
            return Key::Escape;
        case VK_LEFT:
            return Key::Left;
        case VK_RIGHT:
            return Key::Right;
        case VK_UP:
            return Key::Up;
        case VK_DOWN:
            return Key::Down;
        default:
            return Key::Other;
    }
}

MouseButton mouse_button_of(UINT message) {
    switch (message) {
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            return MouseButton::Right;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            return MouseButton::Middle;
        default:
            return MouseButton::Left;
    }
}

ShiftState current_shift_state() {
    ShiftState state = 0;
    if (GetKeyState(VK_SHIFT) < 0) state |= kShift;
    if (GetKeyState(VK_CONTROL) < 0) state |= kControl;
    if (GetKeyState(VK_MENU) < 0) state |= kAlt;
    return state;
}

}  // namespace toolkit::win32
