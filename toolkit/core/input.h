// Input as the toolkit sees it, after a backend has translated the native events.
#pragma once

namespace toolkit {

enum class MouseButton { Left, Right, Middle };

// Only these modifiers count; Num Lock, Caps Lock and the like never reach the toolkit.
enum Modifier : unsigned { kShift = 1, kControl = 2, kAlt = 4 };
using ShiftState = unsigned;

// The keys that mean something to the window; every other key is Other. A keypad Enter or
// arrow arrives as Enter or the arrow.
enum class Key { Tab, Enter, Space, Escape, Left, Right, Up, Down, Other };

}  // namespace toolkit
