// Which sequences of mouse and key events click a button, and how often.
#include <gtest/gtest.h>

#include <ostream>

#include "script.h"

using namespace script;
using toolkit::kAlt;
using toolkit::kControl;
using toolkit::kShift;

namespace {

constexpr std::string_view kDX = "DirectX\\DXSETUP.exe";
constexpr std::string_view kGame = "setup.exe";
constexpr std::string_view kAddons = "explorer.exe addon";

struct ClickCase {
    const char* name;
    std::vector<Step> steps;
    std::vector<std::string_view> started;
};

// Test names show the case, not its bytes.
void PrintTo(const ClickCase& c, std::ostream* os) {
    *os << c.name;
}

class ClickRules : public ::testing::TestWithParam<ClickCase> {};

TEST_P(ClickRules, StartsExactlyTheseCommands) {
    fakes::Menu m;
    play(m, GetParam().steps);
    std::vector<std::string_view> started;
    for (const auto& c : m.starter.started) started.push_back(c.command_line);
    EXPECT_EQ(started, GetParam().started);
}

const Point kOffRight{635, 470};

INSTANTIATE_TEST_SUITE_P(
    Mouse, ClickRules,
    ::testing::Values(
        ClickCase{"PressReleaseInside", {activate(), down("RzButton7"), up("RzButton7")}, {kGame}},
        ClickCase{
            "EachButton",
            {activate(), down("RzButton2"), up("RzButton2"), down("RzButton1"), up("RzButton1")},
            {kAddons, kDX}},
        ClickCase{"DragOutRelease",
                  {activate(), down("RzButton7"), move_at(kOnPicture), up_at(kOnPicture)},
                  {}},
        ClickCase{"DragOutAndBack",
                  {activate(), down("RzButton7"), move_at(kOnPicture), move("RzButton7"),
                   up("RzButton7")},
                  {kGame}},
        ClickCase{"ReleaseOverAnotherButton",
                  {activate(), down("RzButton7"), move("RzButton1"), up("RzButton1")},
                  {}},
        ClickCase{
            "DoubleClickClicksTwice",
            {activate(), down("RzButton1"), up("RzButton1"), down("RzButton1"), up("RzButton1")},
            {kDX, kDX}},
        ClickCase{"RightClick",
                  {activate(), down("RzButton7", MouseButton::Right),
                   up("RzButton7", MouseButton::Right)},
                  {}},
        ClickCase{"MiddleClick",
                  {activate(), down("RzButton7", MouseButton::Middle),
                   up("RzButton7", MouseButton::Middle)},
                  {}},
        ClickCase{"ReleaseWithoutPress", {activate(), up("RzButton7")}, {}},
        ClickCase{"PressOnPictureReleaseOnButton",
                  {activate(), down_at(kOnPicture), up("RzButton7")},
                  {}},
        ClickCase{"CaptureTakenAway",
                  {activate(), down("RzButton7"), capture_lost(), up("RzButton7")},
                  {}},
        ClickCase{"WindowDeactivatedWhileHeld",
                  {activate(), down("RzButton7"), deactivate(), activate(), up("RzButton7")},
                  {}},
        ClickCase{
            "PressOnInactiveWindowStillClicks", {down("RzButton2"), up("RzButton2")}, {kAddons}},
        ClickCase{"Row413GoesToTheFrontButton",
                  {activate(), down_at({400, 413}), up_at({400, 413})},
                  {kAddons}},
        ClickCase{"LowerRowsOfDirectXOverTheBlackBand",
                  {activate(), down_at({343, 482}), up_at({343, 482}), down_at({630, 484}),
                   up_at({630, 484})},
                  {kDX, kDX}},
        ClickCase{
            "BelowDirectXIsThePicture", {activate(), down_at({400, 485}), up_at({400, 485})}, {}},
        ClickCase{"ReleasedOnItsOwnRectBehindTheFrontButton",
                  {activate(), down("RzButton7"), move_at({400, 413}), up_at({400, 413})},
                  {kGame}}),
    [](const auto& tc) { return tc.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Keyboard, ClickRules,
    ::testing::Values(
        ClickCase{"EnterAtOnceAfterActivation", {activate(), key(Key::Enter)}, {kDX}},
        ClickCase{"EnterRepeatsClickEachTime",
                  {activate(), key(Key::Enter), repeat(Key::Enter), repeat(Key::Enter),
                   release(Key::Enter)},
                  {kDX, kDX, kDX}},
        ClickCase{"ShiftEnter", {activate(), key(Key::Enter, kShift)}, {}},
        ClickCase{"CtrlEnter", {activate(), key(Key::Enter, kControl)}, {}},
        ClickCase{"AltEnter", {activate(), key(Key::Enter, kAlt)}, {}},
        ClickCase{"SpacePressRelease", {activate(), key(Key::Space), release(Key::Space)}, {kDX}},
        ClickCase{"SpaceHeldClicksOnceOnRelease",
                  {activate(), key(Key::Space), repeat(Key::Space), repeat(Key::Space),
                   release(Key::Space)},
                  {kDX}},
        ClickCase{"SpacePressWithoutReleaseDoesNothing", {activate(), key(Key::Space)}, {}},
        ClickCase{"AltSpace", {activate(), key(Key::Space, kAlt), release(Key::Space, kAlt)}, {}},
        ClickCase{"ShiftSpace",
                  {activate(), key(Key::Space, kShift), release(Key::Space, kShift)},
                  {kDX}},
        ClickCase{"SpaceThenTabAway",
                  {activate(), key(Key::Space), key(Key::Tab), release(Key::Space)},
                  {}},
        ClickCase{"SpaceThenWindowDeactivated",
                  {activate(), key(Key::Space), deactivate(), activate(), release(Key::Space)},
                  {}},
        ClickCase{"SpaceThenMousePressElsewhere",
                  {activate(), key(Key::Space), down("RzButton7"), release(Key::Space),
                   up_at(kOnPicture)},
                  {}},
        ClickCase{"EscapeAndLetters",
                  {activate(), key(Key::Escape), release(Key::Escape), key(Key::Other),
                   release(Key::Other)},
                  {}},
        ClickCase{"KeysWhileInactive", {key(Key::Enter), key(Key::Space), release(Key::Space)}, {}},
        ClickCase{"EnterAfterTab", {activate(), key(Key::Tab), key(Key::Enter)}, {kGame}}),
    [](const auto& tc) { return tc.param.name; });

}  // namespace
