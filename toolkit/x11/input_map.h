// How X11 key symbols, modifier masks, button numbers and event times become the toolkit's
// input.
#pragma once

#include <functional>
#include <optional>

#include "toolkit/core/input.h"
#include "toolkit/x11/xlib.h"

namespace toolkit::x11 {

// `keysym` is the key's symbol as keysym_for_state reads it: the keypad gives digits (nothing
// here) with Num Lock on and arrows with it off.
Key key_from_keysym(unsigned long keysym);

// A key's symbol for the modifier `state` of its event, read as Windows reads the keypad:
// `lookup` gives the keyboard map's symbol for a state. Shift changes no key's meaning
// (Shift+Tab stays Tab; the shift state tells the rest), except that it turns the keypad's
// digits back into arrows while Num Lock is on; with Num Lock off the keypad gives arrows,
// Shift or not.
unsigned long keysym_for_state(const std::function<unsigned long(unsigned)>& lookup,
                               unsigned state);

// Only Shift, Control and Alt (Mod1) count.
ShiftState shift_state_from_mask(unsigned int state);

// Buttons 1-3; the wheel (4-7) and any further buttons mean nothing.
std::optional<MouseButton> mouse_button_from_x(unsigned int button);

// The server time of a key, button, motion or crossing event, the user's input; none for
// any other event.
std::optional<Time> input_time(const XEvent& event);

}  // namespace toolkit::x11
