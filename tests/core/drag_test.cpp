// A press on the picture hands the window to the system's move loop; nothing else does.
#include <gtest/gtest.h>

#include <ostream>

#include "script.h"

using fakes::HostCall;
using toolkit::PhysicalButtons;
using namespace script;

namespace {

struct DragCase {
    const char* name;
    Point at;
    MouseButton button;
    bool moves;
};

// Test names show the case, not its bytes.
void PrintTo(const DragCase& c, std::ostream* os) {
    *os << c.name;
}

class Drag : public ::testing::TestWithParam<DragCase> {};

TEST_P(Drag, PressAsksForTheMoveOrNot) {
    fakes::Menu m;
    m.form->activate();
    m.host.calls.clear();
    m.form->mouse_down(GetParam().button, 0, GetParam().at);
    const auto performs = m.host.of_kind(HostCall::Perform);
    if (!GetParam().moves) {
        EXPECT_TRUE(performs.empty());
        return;
    }
    ASSERT_EQ(performs.size(), 1u);
    EXPECT_EQ(performs[0].message, 274u);
    EXPECT_EQ(performs[0].wparam, 61458u);
    EXPECT_EQ(performs[0].lparam, 0);
    // The capture is released just before the move starts.
    std::vector<HostCall::Kind> kinds;
    for (const auto& c : m.host.calls)
        if (c.kind != HostCall::Invalidate) kinds.push_back(c.kind);
    ASSERT_GE(kinds.size(), 2u);
    EXPECT_EQ(kinds[kinds.size() - 2], HostCall::ReleaseCapture);
    EXPECT_EQ(kinds.back(), HostCall::Perform);
    // Only the left button captures the mouse first, as a press does anywhere.
    const bool captured = !m.host.of_kind(HostCall::SetCapture).empty();
    EXPECT_EQ(captured, GetParam().button == MouseButton::Left);
    // The focus stays where it was.
    EXPECT_EQ(m.form->focused(), m.form->RzButton1);
}

INSTANTIATE_TEST_SUITE_P(
    Presses, Drag,
    ::testing::Values(DragCase{"LeftOnPicture", {100, 100}, MouseButton::Left, true},
                      DragCase{"RightOnPicture", {100, 100}, MouseButton::Right, true},
                      DragCase{"MiddleOnPicture", {5, 470}, MouseButton::Middle, true},
                      DragCase{"BlackColumn640", {640, 10}, MouseButton::Left, true},
                      DragCase{"BlackBandBelowPicture", {10, 490}, MouseButton::Left, true},
                      DragCase{"BlackBandBesideDirectX", {635, 482}, MouseButton::Left, true},
                      DragCase{"BlackBandBelowDirectX", {400, 485}, MouseButton::Left, true},
                      DragCase{"GapBetweenButtons", {400, 445}, MouseButton::Left, true},
                      DragCase{"LeftOnButton", {400, 400}, MouseButton::Left, false},
                      DragCase{"RightOnButton", {400, 400}, MouseButton::Right, false},
                      DragCase{"OnButtonCorner", {343, 457}, MouseButton::Left, false},
                      DragCase{"OutsideClient", {641, 10}, MouseButton::Left, false}),
    [](const auto& tc) { return tc.param.name; });

TEST(Drag, DoubleClickOnPictureStartsTwoMoves) {
    fakes::Menu m;
    play(m, {down_at(kOnPicture), up_at(kOnPicture), down_at(kOnPicture), up_at(kOnPicture)});
    EXPECT_EQ(m.host.of_kind(HostCall::Perform).size(), 2u);
    EXPECT_TRUE(m.starter.started.empty());
}

TEST(Drag, MoveStartsOnlyWhileThePressingButtonIsDown) {
    // The system reads the physical buttons; with swapped buttons the left press comes from
    // the physical right one.
    constexpr PhysicalButtons none{};
    constexpr PhysicalButtons left{true, false, false};
    constexpr PhysicalButtons right{false, true, false};
    constexpr PhysicalButtons middle{false, false, true};
    constexpr PhysicalButtons all{true, true, true};
    const struct {
        const char* what;
        MouseButton pressed;
        bool swapped;
        PhysicalButtons down;
        bool moves;
    } cases[] = {
        {"left held", MouseButton::Left, false, left, true},
        {"left released", MouseButton::Left, false, none, false},
        {"left released, right held", MouseButton::Left, false, right, false},
        {"right held", MouseButton::Right, false, right, true},
        {"right released, left held", MouseButton::Right, false, left, false},
        {"middle held", MouseButton::Middle, false, middle, true},
        {"middle released, others held", MouseButton::Middle, false, {true, true, false}, false},
        {"swapped: left press from the physical right, held", MouseButton::Left, true, right, true},
        {"swapped: left press, physical left held only", MouseButton::Left, true, left, false},
        {"swapped: right press from the physical left, held", MouseButton::Right, true, left, true},
        {"swapped: right press, physical right held only", MouseButton::Right, true, right, false},
        {"swapped: middle held", MouseButton::Middle, true, middle, true},
        {"swapped: all released", MouseButton::Left, true, none, false},
        {"all held", MouseButton::Right, true, all, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pressed_button_still_down(c.pressed, c.swapped, c.down), c.moves) << c.what;
}

}  // namespace
