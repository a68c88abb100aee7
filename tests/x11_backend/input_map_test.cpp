// clang-format off
// GoogleTest before Xlib, whose macros (None, Bool) would rename GoogleTest's names.
#include <gtest/gtest.h>
#include "toolkit/x11/input_map.h"
#include <X11/X.h>
#include <X11/keysym.h>
// clang-format on

namespace toolkit::x11 {
namespace {

TEST(InputMap, KeysThatMeanSomething) {
    const struct {
        unsigned long keysym;
        Key key;
    } cases[] = {
        {XK_Tab, Key::Tab},        {XK_ISO_Left_Tab, Key::Tab}, {XK_KP_Tab, Key::Tab},
        {XK_Return, Key::Enter},   {XK_KP_Enter, Key::Enter},   {XK_space, Key::Space},
        {XK_Escape, Key::Escape},  {XK_Left, Key::Left},        {XK_KP_Left, Key::Left},
        {XK_Right, Key::Right},    {XK_KP_Right, Key::Right},   {XK_Up, Key::Up},
        {XK_KP_Up, Key::Up},       {XK_Down, Key::Down},        {XK_KP_Down, Key::Down},
        {XK_a, Key::Other},        {XK_Cyrillic_a, Key::Other}, {XK_KP_4, Key::Other},
        {XK_KP_Space, Key::Other}, {XK_F4, Key::Other},         {NoSymbol, Key::Other},
    };
    for (const auto& c : cases) EXPECT_EQ(key_from_keysym(c.keysym), c.key) << c.keysym;
}

// The keyboard map of a standard layout: the keypad's 4 takes its second level (the digit)
// with Num Lock or Shift, but not both; Tab takes ISO_Left_Tab with Shift; a letter its
// capital with Shift or Caps Lock.
unsigned long keypad_4(unsigned state) {
    return ((state & Mod2Mask) != 0) != ((state & ShiftMask) != 0) ? XK_KP_4 : XK_KP_Left;
}
unsigned long tab(unsigned state) {
    return state & ShiftMask ? XK_ISO_Left_Tab : XK_Tab;
}
unsigned long letter_a(unsigned state) {
    return ((state & LockMask) != 0) != ((state & ShiftMask) != 0) ? XK_A : XK_a;
}

TEST(InputMap, ReadsTheKeypadAsWindowsDoes) {
    const struct {
        const char* what;
        unsigned long (*key)(unsigned);
        unsigned state;
        unsigned long expected;
    } cases[] = {
        {"keypad 4, Num Lock off: an arrow", keypad_4, 0, XK_KP_Left},
        {"keypad 4, Num Lock on: a digit", keypad_4, Mod2Mask, XK_KP_4},
        {"keypad 4, Num Lock on and Shift: an arrow", keypad_4, Mod2Mask | ShiftMask, XK_KP_Left},
        {"keypad 4, Num Lock off and Shift: an arrow", keypad_4, ShiftMask, XK_KP_Left},
        {"keypad 4, Num Lock and Caps Lock on: a digit", keypad_4, Mod2Mask | LockMask, XK_KP_4},
        {"keypad 4, Num Lock on and Control: a digit", keypad_4, Mod2Mask | ControlMask, XK_KP_4},
        {"Tab", tab, 0, XK_Tab},
        {"Shift+Tab stays Tab", tab, ShiftMask, XK_Tab},
        {"Shift+Tab with Num Lock on", tab, ShiftMask | Mod2Mask, XK_Tab},
        {"Shift+a", letter_a, ShiftMask, XK_a},
        {"a with Caps Lock", letter_a, LockMask, XK_A},
    };
    for (const auto& c : cases) EXPECT_EQ(keysym_for_state(c.key, c.state), c.expected) << c.what;
}

TEST(InputMap, OnlyShiftControlAndAltCount) {
    const struct {
        unsigned state;
        ShiftState expected;
    } cases[] = {
        {0, 0},
        {ShiftMask, kShift},
        {ControlMask, kControl},
        {Mod1Mask, kAlt},
        {ShiftMask | ControlMask | Mod1Mask, kShift | kControl | kAlt},
        {LockMask, 0},             // Caps Lock
        {Mod2Mask, 0},             // Num Lock
        {Mod4Mask | Mod5Mask, 0},  // Super, AltGr
        {Button1Mask | ShiftMask, kShift},
    };
    for (const auto& c : cases) EXPECT_EQ(shift_state_from_mask(c.state), c.expected) << c.state;
}

TEST(InputMap, MouseButtonsOneToThreeOnly) {
    EXPECT_EQ(mouse_button_from_x(Button1), MouseButton::Left);
    EXPECT_EQ(mouse_button_from_x(Button2), MouseButton::Middle);
    EXPECT_EQ(mouse_button_from_x(Button3), MouseButton::Right);
    for (unsigned wheel_or_more : {0u, 4u, 5u, 6u, 7u, 8u, 9u})
        EXPECT_FALSE(mouse_button_from_x(wheel_or_more).has_value()) << wheel_or_more;
}

TEST(InputMap, InputEventsCarryTheirServerTime) {
    const struct {
        int type;
        bool input;
    } cases[] = {
        {KeyPress, true},     {KeyRelease, true},  {ButtonPress, true},    {ButtonRelease, true},
        {MotionNotify, true}, {EnterNotify, true}, {LeaveNotify, true},    {Expose, false},
        {FocusIn, false},     {MapNotify, false},  {ClientMessage, false},
    };
    for (const auto& c : cases) {
        XEvent event{};
        event.type = c.type;
        event.xkey.time = 4242;  // where every input event of Xlib keeps its time
        EXPECT_EQ(input_time(event), c.input ? std::optional<Time>(4242) : std::nullopt) << c.type;
    }
}

}  // namespace
}  // namespace toolkit::x11
