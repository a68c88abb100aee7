// Windows' keys and modifier state as the toolkit sees them.
#pragma once

#include <windows.h>

#include "toolkit/core/input.h"

namespace toolkit::win32 {

Key key_from_virtual_key(WPARAM virtual_key);
// Shift, Ctrl and Alt as they were when the current message was sent; nothing else counts.
ShiftState current_shift_state();
// The previous-key-state bit of a key message: set on an automatic repeat.
inline bool is_repeat(LPARAM key_data) {
    return (key_data >> 30) & 1;
}

}  // namespace toolkit::win32
