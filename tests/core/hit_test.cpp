// Which control a press at each point goes to, with the buttons' stacking order.
#include <gtest/gtest.h>

#include <ostream>

#include "fakes.h"

namespace {

struct HitCase {
    int x, y;
    const char* control;  // null: outside the client area
};

// Test names show the case, not its bytes.
void PrintTo(const HitCase& c, std::ostream* os) {
    *os << c.x << "," << c.y;
}

class HitTest : public ::testing::TestWithParam<HitCase> {};

TEST_P(HitTest, GoesTo) {
    fakes::Menu m;
    const toolkit::Control* c = m.form->control_at({GetParam().x, GetParam().y});
    if (!GetParam().control) {
        EXPECT_EQ(c, nullptr);
        return;
    }
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->name(), GetParam().control);
}

INSTANTIATE_TEST_SUITE_P(
    Points, HitTest,
    ::testing::Values(
        // RzButton7 answers on rows 386-412 only; row 413 is RzButton2's.
        HitCase{343, 386, "RzButton7"}, HitCase{630, 412, "RzButton7"},
        HitCase{343, 413, "RzButton2"}, HitCase{500, 413, "RzButton2"},
        HitCase{630, 413, "RzButton2"}, HitCase{630, 440, "RzButton2"}, HitCase{500, 441, "Image1"},
        HitCase{500, 456, "Image1"}, HitCase{343, 457, "RzButton1"}, HitCase{630, 484, "RzButton1"},
        // Rows 480-484 of RzButton1 lie over the black band and are still the button.
        HitCase{343, 480, "RzButton1"}, HitCase{500, 484, "RzButton1"}, HitCase{500, 485, "Image1"},
        HitCase{342, 470, "Image1"}, HitCase{631, 470, "Image1"}, HitCase{342, 386, "Image1"},
        HitCase{343, 385, "Image1"},
        // The picture control fills the client area, black band and column 640 included.
        HitCase{0, 0, "Image1"}, HitCase{640, 0, "Image1"}, HitCase{640, 498, "Image1"},
        HitCase{0, 498, "Image1"}, HitCase{641, 0, nullptr}, HitCase{0, 499, nullptr},
        HitCase{-1, 10, nullptr}, HitCase{10, -1, nullptr}),
    [](const auto& tc) {
        auto n = [](int v) { return v < 0 ? "minus" + std::to_string(-v) : std::to_string(v); };
        return "At" + n(tc.param.x) + "x" + n(tc.param.y);
    });

}  // namespace
