// The faces of a flat button in each state, the focus dots, and what a repaint touches.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include "case_name.h"
#include "expected_colours.h"
#include "fakes.h"
#include "toolkit/core/button_painter.h"

namespace {

using toolkit::Rgb;

// Independent reference: linear shading between two colours over n rows, rounded.
Rgb lerp(Rgb top, Rgb bottom, int i, int n) {
    auto ch = [&](int a, int b) {
        const double v = a + (b - a) * static_cast<double>(i) / (n - 1);
        return static_cast<std::uint8_t>(v + 0.5);
    };
    return {ch(top.r, bottom.r), ch(top.g, bottom.g), ch(top.b, bottom.b)};
}

using namespace expected;

Rgb plain(int row) {  // row of RzButton1's face, 0-23
    if (row < 22) return lerp({100, 87, 68}, {52, 45, 35}, row, 22);
    return row == 22 ? Rgb{39, 34, 27} : Rgb{27, 23, 18};
}

enum class State { Hot, Pressed, Focused, ActiveInactiveWindow, HotAndFocused, PressedAndFocused };

struct LookCase {
    const char* what;
    State state;
    int x, y;
    Rgb expected;
};

// Test names show the case, not its bytes.
void PrintTo(const LookCase& c, std::ostream* os) {
    *os << c.what << " at " << c.x << "," << c.y;
}

// The case's words and where it looks: "RingTopRowAt345x459".
std::string look_name(const ::testing::TestParamInfo<LookCase>& tc) {
    return cases::name_from(tc.param.what) + "At" + std::to_string(tc.param.x) + "x" +
           std::to_string(tc.param.y);
}

void put_in_state(fakes::Menu& m, State s) {
    auto& b = *m.form->RzButton1;
    switch (s) {
        case State::Hot:
            m.form->preview_hot(&b);
            break;
        case State::Pressed:
            m.form->preview_pressed(b, true);
            break;
        case State::Focused:
            m.form->activate();
            break;
        case State::ActiveInactiveWindow:
            m.form->activate();
            m.form->deactivate();
            break;
        case State::HotAndFocused:
            m.form->activate();
            m.form->preview_hot(&b);
            break;
        case State::PressedAndFocused:
            m.form->activate();
            m.form->key_down(toolkit::Key::Space, 0, false);
            break;
    }
}

class Look : public ::testing::TestWithParam<LookCase> {};

TEST_P(Look, Pixel) {
    fakes::Menu m;
    put_in_state(m, GetParam().state);
    toolkit::PixelBuffer buffer(641, 499);
    m.form->paint(buffer, buffer.bounds(), true);
    EXPECT_EQ(buffer.rgb_at(GetParam().x, GetParam().y), GetParam().expected)
        << GetParam().what << " at " << GetParam().x << "," << GetParam().y;
}

// RzButton1 spans 343-630 x 457-484; its face 345-628 x 459-482.
INSTANTIATE_TEST_SUITE_P(
    Hot, Look,
    ::testing::Values(
        LookCase{"ring top row", State::Hot, 345, 459, kHotTop},
        LookCase{"ring top row", State::Hot, 628, 459, kHotTop},
        LookCase{"ring bottom row over the shadow", State::Hot, 400, 482, kHotBottom},
        LookCase{"ring second row", State::Hot, 400, 460, lerp(kHotTop, kHotBottom, 1, 24)},
        LookCase{"inner ring bottom over the shadow", State::Hot, 400, 481,
                 lerp(kHotTop, kHotBottom, 22, 24)},
        LookCase{"ring left column", State::Hot, 345, 470, lerp(kHotTop, kHotBottom, 11, 24)},
        LookCase{"inner ring right column", State::Hot, 627, 470,
                 lerp(kHotTop, kHotBottom, 11, 24)},
        LookCase{"face inside the ring", State::Hot, 400, 470, plain(11)},
        LookCase{"face inside the ring", State::Hot, 347, 461, plain(2)},
        LookCase{"frame stays", State::Hot, 344, 458, kSilver},
        LookCase{"outer ring stays", State::Hot, 630, 470, kLight}),
    look_name);

INSTANTIATE_TEST_SUITE_P(
    Pressed, Look,
    ::testing::Values(
        LookCase{"flat face top", State::Pressed, 345, 459, kPressed},
        LookCase{"flat face over the shadow rows", State::Pressed, 400, 482, kPressed},
        LookCase{"flat face over the shadow rows", State::Pressed, 628, 481, kPressed},
        LookCase{"flat face middle", State::Pressed, 360, 470, kPressed},
        LookCase{"frame stays", State::Pressed, 629, 483, kSilver},
        LookCase{"outer ring stays", State::Pressed, 343, 470, kBlack},
        LookCase{"pressed wins over hot", State::PressedAndFocused, 345, 459, kPressed},
        LookCase{"focus dots stay", State::PressedAndFocused, 346, 460, kBlack}),
    look_name);

INSTANTIATE_TEST_SUITE_P(
    Active, Look,
    ::testing::Values(
        LookCase{"ring top row", State::Focused, 345, 459, kActiveTop},
        LookCase{"ring bottom row", State::Focused, 400, 482, kActiveBottom},
        LookCase{"face inside", State::Focused, 400, 470, plain(11)},
        // Focus dots 3 pixels in, where x + y is even in button coordinates.
        LookCase{"focus dot (3,3)", State::Focused, 346, 460, kBlack},
        LookCase{"focus dot (5,3)", State::Focused, 348, 460, kBlack},
        LookCase{"no dot (4,3)", State::Focused, 347, 460, lerp(kActiveTop, kActiveBottom, 1, 24)},
        LookCase{"no dot (3,4)", State::Focused, 346, 461, lerp(kActiveTop, kActiveBottom, 2, 24)},
        LookCase{"focus dot (3,4)+1", State::Focused, 346, 462, kBlack},
        LookCase{"no dot (284,3)", State::Focused, 627, 460,
                 lerp(kActiveTop, kActiveBottom, 1, 24)},
        LookCase{"focus dot (284,4)", State::Focused, 627, 461, kBlack},
        LookCase{"focus dot (4,24)", State::Focused, 347, 481, kBlack},
        LookCase{"no dot (3,24)", State::Focused, 346, 481,
                 lerp(kActiveTop, kActiveBottom, 22, 24)},
        LookCase{"hot wins over active", State::HotAndFocused, 345, 459, kHotTop},
        LookCase{"dots on a hot button", State::HotAndFocused, 346, 460, kBlack},
        // Inactive window: the ring stays, the dots go.
        LookCase{"inactive keeps the ring", State::ActiveInactiveWindow, 345, 459, kActiveTop},
        LookCase{"inactive has no dots", State::ActiveInactiveWindow, 346, 460,
                 lerp(kActiveTop, kActiveBottom, 1, 24)}),
    look_name);

TEST(Look, ActiveRingFollowsTheSelectionColour) {
    fakes::Menu m(96, Rgb{255, 0, 0});
    m.form->activate();
    toolkit::PixelBuffer buffer(641, 499);
    m.form->paint(buffer, buffer.bounds(), true);
    EXPECT_EQ(buffer.rgb_at(345, 459), toolkit::blend({255, 0, 0}, {103, 89, 70}, 1, 2));
    EXPECT_EQ(buffer.rgb_at(345, 482), toolkit::blend({255, 0, 0}, {103, 89, 70}, 3, 4));
}

TEST(Look, EnterClicksWithoutShowingPressed) {
    struct Watching : launch::CommandStarter {
        std::function<bool()> pressed;
        std::vector<bool> seen;
        void start(const launch::LaunchCommand&) override { seen.push_back(pressed()); }
    } watching;
    fakes::Menu m({.starter = &watching});
    toolkit::Form& form = *m.form;
    watching.pressed = [&] { return m.form->RzButton1->state().pressed(); };
    form.activate();
    form.key_down(toolkit::Key::Enter, 0, false);
    form.key_down(toolkit::Key::Enter, 0, true);
    EXPECT_EQ(watching.seen, (std::vector<bool>{false, false}));
}

// Hovering repaints only the button, without erasing.
TEST(Invalidation, EnteringAndLeavingMarkOnlyThatButton) {
    fakes::Menu m;
    m.host.calls.clear();
    m.form->mouse_move(0, {100, 100});
    EXPECT_TRUE(m.host.calls.empty());
    m.form->mouse_move(0, m.centre("RzButton7"));
    m.form->mouse_move(0, {m.centre("RzButton7").x + 5, 395});
    m.form->mouse_move(0, {100, 100});
    const auto inv = m.host.of_kind(fakes::HostCall::Invalidate);
    ASSERT_EQ(inv.size(), 2u);
    for (const auto& c : inv) {
        EXPECT_EQ(c.rect, m.form->RzButton7->bounds());
        EXPECT_FALSE(c.erase);
    }
}

TEST(Invalidation, MovingStraightFromOneButtonToAnotherMarksBoth) {
    fakes::Menu m;
    m.form->mouse_move(0, m.centre("RzButton7"));
    m.host.calls.clear();
    m.form->mouse_move(0, {400, 413});
    const auto inv = m.host.of_kind(fakes::HostCall::Invalidate);
    ASSERT_EQ(inv.size(), 2u);
    EXPECT_EQ(inv[0].rect, m.form->RzButton7->bounds());
    EXPECT_EQ(inv[1].rect, m.form->RzButton2->bounds());
    EXPECT_EQ(m.form->hot(), m.form->RzButton2);
}

TEST(Invalidation, LeavingTheWindowClearsTheHotLook) {
    fakes::Menu m;
    m.form->mouse_move(0, m.centre("RzButton1"));
    m.form->mouse_leave();
    EXPECT_EQ(m.form->hot(), nullptr);
    EXPECT_FALSE(m.form->RzButton1->state().hot());
}

TEST(Invalidation, RepaintWithoutEraseTouchesOnlyTheButtonAndLeavesItsCorners) {
    fakes::Menu m;
    toolkit::PixelBuffer buffer(641, 499);
    const toolkit::Pixel magenta = Rgb{255, 0, 255}.pixel();
    buffer.fill(buffer.bounds(), magenta);
    m.form->preview_hot(m.form->RzButton1);
    const toolkit::Rect r = m.form->RzButton1->bounds();
    m.form->paint(buffer, r, false);
    int changed_outside = 0;
    for (int y = 0; y < buffer.height(); ++y)
        for (int x = 0; x < buffer.width(); ++x)
            if (!r.contains({x, y}) && buffer.at(x, y) != magenta) ++changed_outside;
    EXPECT_EQ(changed_outside, 0);
    for (toolkit::Point corner : {toolkit::Point{343, 457},
                                  {344, 457},
                                  {343, 458},
                                  {630, 457},
                                  {630, 484},
                                  {629, 484},
                                  {630, 483},
                                  {343, 484}})
        EXPECT_EQ(buffer.at(corner.x, corner.y), magenta) << corner.x << "," << corner.y;
    EXPECT_EQ(buffer.rgb_at(345, 459), kHotTop);
}

TEST(Invalidation, RepaintOfAButtonBehindKeepsTheFrontButtonsRow) {
    fakes::Menu m;
    toolkit::PixelBuffer buffer(641, 499);
    m.form->paint(buffer, buffer.bounds(), true);
    const toolkit::Pixel before = buffer.at(400, 413);
    m.form->preview_hot(m.form->RzButton7);
    m.form->paint(buffer, m.form->RzButton7->bounds(), false);
    EXPECT_EQ(buffer.at(400, 413), before);
    EXPECT_EQ(buffer.rgb_at(400, 412), kSilver);
    EXPECT_EQ(buffer.rgb_at(400, 411), kHotBottom);
}

}  // namespace
