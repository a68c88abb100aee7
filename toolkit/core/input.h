// Input as the toolkit sees it, after a backend has translated the native events.
#pragma once

namespace toolkit {

enum class MouseButton { Left, Right, Middle };

// The mouse's buttons as the hardware has them, before any swap of left and right.
struct PhysicalButtons {
    bool left = false;
    bool right = false;
    bool middle = false;
};

// Whether the button that sent a press (`pressed`, the logical one) is still down, given
// which physical buttons are down and whether the user swapped left and right. A move of the
// window starts only while it is: one asked for after the release would never end.
constexpr bool pressed_button_still_down(MouseButton pressed, bool swapped, PhysicalButtons down) {
    switch (pressed) {
        case MouseButton::Left:
            return swapped ? down.right : down.left;
        case MouseButton::Right:
            return swapped ? down.left : down.right;
        case MouseButton::Middle:
            return down.middle;
    }
    return false;
}

// Only these modifiers count; Num Lock, Caps Lock and the like never reach the toolkit.
enum Modifier : unsigned { kShift = 1, kControl = 2, kAlt = 4 };
using ShiftState = unsigned;

// The keys that mean something to the window; every other key is Other. A keypad Enter or
// arrow arrives as Enter or the arrow.
enum class Key { Tab, Enter, Space, Escape, Left, Right, Up, Down, Other };

}  // namespace toolkit
