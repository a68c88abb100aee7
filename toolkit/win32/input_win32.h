// Windows' keys and modifier state as the toolkit sees them.
#pragma once

#include <windows.h>

#include "toolkit/core/input.h"

namespace toolkit::win32 {

Key key_from_virtual_key(WPARAM virtual_key);
// The button of a WM_?BUTTONDOWN or WM_?BUTTONUP message (left, right or middle).
MouseButton mouse_button_of(UINT message);
// Shift, Ctrl and Alt as they were when the current message was sent; nothing else counts.
ShiftState current_shift_state();
// The previous-key-state bit of a key message: set on an automatic repeat.
inline bool is_repeat(LPARAM key_data) {
    return (key_data >> 30) & 1;
}

}  // namespace toolkit::win32
