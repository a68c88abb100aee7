// Where the keyboard focus goes: first activation, Tab and the arrows, deactivation.
#include <gtest/gtest.h>

#include <ostream>

#include "script.h"

using namespace script;
using toolkit::kAlt;
using toolkit::kControl;
using toolkit::kShift;

namespace {

struct FocusCase {
    const char* name;
    std::vector<Step> steps;
    const char* focused;  // null: no button has the focus
    const char* current;  // the button that holds or last held it
};

// Test names show the case, not its bytes.
void PrintTo(const FocusCase& c, std::ostream* os) {
    *os << c.name;
}

class Focus : public ::testing::TestWithParam<FocusCase> {};

TEST_P(Focus, EndsOn) {
    fakes::Menu m;
    play(m, GetParam().steps);
    auto name = [](const toolkit::FlatButton* b) { return b ? std::string(b->name()) : ""; };
    EXPECT_EQ(name(m.form->focused()), GetParam().focused ? GetParam().focused : "");
    EXPECT_EQ(name(m.form->current()), GetParam().current ? GetParam().current : "");
}

INSTANTIATE_TEST_SUITE_P(
    Activation, Focus,
    ::testing::Values(
        FocusCase{"NoneBeforeTheFirstActivation", {}, nullptr, nullptr},
        FocusCase{"FirstActivationFocusesFirstInTabOrder", {activate()}, "RzButton1", "RzButton1"},
        FocusCase{"DeactivationKeepsTheButtonForLater",
                  {activate(), key(Key::Tab), deactivate()},
                  nullptr,
                  "RzButton7"},
        FocusCase{"ReactivationReturnsToIt",
                  {activate(), key(Key::Tab), deactivate(), activate()},
                  "RzButton7",
                  "RzButton7"},
        FocusCase{"KeysWhileInactiveMoveNothing",
                  {activate(), deactivate(), key(Key::Tab), key(Key::Down), activate()},
                  "RzButton1",
                  "RzButton1"}),
    [](const auto& tc) { return tc.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Keys, Focus,
    ::testing::Values(
        FocusCase{"TabOnce", {activate(), key(Key::Tab)}, "RzButton7", "RzButton7"},
        FocusCase{"TabTwice", {activate(), key(Key::Tab), key(Key::Tab)}, "RzButton2", "RzButton2"},
        FocusCase{"TabWraps",
                  {activate(), key(Key::Tab), key(Key::Tab), key(Key::Tab)},
                  "RzButton1",
                  "RzButton1"},
        FocusCase{
            "ShiftTabWrapsBackward", {activate(), key(Key::Tab, kShift)}, "RzButton2", "RzButton2"},
        FocusCase{"ShiftTabTwice",
                  {activate(), key(Key::Tab, kShift), key(Key::Tab, kShift)},
                  "RzButton7",
                  "RzButton7"},
        FocusCase{
            "CtrlTabDoesNothing", {activate(), key(Key::Tab, kControl)}, "RzButton1", "RzButton1"},
        FocusCase{"AltTabDoesNothing", {activate(), key(Key::Tab, kAlt)}, "RzButton1", "RzButton1"},
        FocusCase{
            "TabRepeats", {activate(), key(Key::Tab), repeat(Key::Tab)}, "RzButton2", "RzButton2"},
        FocusCase{"RightGoesForward", {activate(), key(Key::Right)}, "RzButton7", "RzButton7"},
        FocusCase{"DownGoesForward", {activate(), key(Key::Down)}, "RzButton7", "RzButton7"},
        FocusCase{"LeftGoesBackward", {activate(), key(Key::Left)}, "RzButton2", "RzButton2"},
        FocusCase{"UpGoesBackward", {activate(), key(Key::Up)}, "RzButton2", "RzButton2"},
        FocusCase{"ArrowsWithShiftOrCtrlStillMove",
                  {activate(), key(Key::Down, kShift), key(Key::Down, kControl)},
                  "RzButton2",
                  "RzButton2"},
        FocusCase{
            "AltArrowDoesNothing", {activate(), key(Key::Down, kAlt)}, "RzButton1", "RzButton1"},
        FocusCase{"OtherKeysDoNothing",
                  {activate(), key(Key::Escape), key(Key::Other), key(Key::Enter)},
                  "RzButton1",
                  "RzButton1"}),
    [](const auto& tc) { return tc.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Mouse, Focus,
    ::testing::Values(
        FocusCase{"LeftPressOnAButtonFocusesIt",
                  {activate(), down("RzButton2"), up("RzButton2")},
                  "RzButton2",
                  "RzButton2"},
        FocusCase{"LeftPressThatDragsOffStillFocuses",
                  {activate(), down("RzButton7"), move_at(kOnPicture), up_at(kOnPicture)},
                  "RzButton7",
                  "RzButton7"},
        FocusCase{"RightPressOnAButtonLeavesFocus",
                  {activate(), down("RzButton2", MouseButton::Right),
                   up("RzButton2", MouseButton::Right)},
                  "RzButton1",
                  "RzButton1"},
        FocusCase{"MiddlePressOnAButtonLeavesFocus",
                  {activate(), down("RzButton2", MouseButton::Middle)},
                  "RzButton1",
                  "RzButton1"},
        FocusCase{"PressOnThePictureLeavesFocus",
                  {activate(), key(Key::Tab), down_at(kOnPicture), up_at(kOnPicture)},
                  "RzButton7",
                  "RzButton7"},
        FocusCase{"PressOnTheBlackBandLeavesFocus",
                  {activate(), key(Key::Tab), down_at({640, 490}, MouseButton::Right)},
                  "RzButton7",
                  "RzButton7"}),
    [](const auto& tc) { return tc.param.name; });

}  // namespace
