// How X11 key symbols, modifier masks, button numbers and event times become the toolkit's
// input.
#pragma once

#include <optional>

#include "toolkit/core/input.h"
#include "toolkit/x11/xlib.h"

namespace toolkit::x11 {

// `keysym` is the key's symbol at level 0 of the first group, so that neither Num Lock nor
// Caps Lock changes its meaning; Shift+Tab arrives as ISO_Left_Tab on some layouts.
Key key_from_keysym(unsigned long keysym);

// Only Shift, Control and Alt (Mod1) count.
ShiftState shift_state_from_mask(unsigned int state);

// Buttons 1-3; the wheel (4-7) and any further buttons mean nothing.
std::optional<MouseButton> mouse_button_from_x(unsigned int button);

// The server time of a key, button, motion or crossing event, the user's input; none for
// any other event.
std::optional<Time> input_time(const XEvent& event);

}  // namespace toolkit::x11
