// Fitting the layout to the screen's density and the window font's measured height.
#include <gtest/gtest.h>

#include <ostream>

#include "case_name.h"
#include "fakes.h"
#include "toolkit/core/layout.h"

namespace {

struct MulDivCase {
    const char* what;
    int n, num, den, expected;
};
void PrintTo(const MulDivCase& c, std::ostream* os) {
    *os << c.n << " * " << c.num << " / " << c.den;
}
class MulDiv : public ::testing::TestWithParam<MulDivCase> {};
TEST_P(MulDiv, RoundsHalvesAwayFromZero) {
    const auto& c = GetParam();
    EXPECT_EQ(toolkit::mul_div(c.n, c.num, c.den), c.expected);
}
INSTANTIATE_TEST_SUITE_P(
    Values, MulDiv,
    ::testing::Values(MulDivCase{"a half rounds up", 1, 1, 2, 1},
                      MulDivCase{"minus a half rounds down", -1, 1, 2, -1},
                      MulDivCase{"one and a half rounds up", 3, 1, 2, 2},
                      MulDivCase{"minus one and a half rounds down", -3, 1, 2, -2},
                      MulDivCase{"two and a half rounds up", 5, 2, 4, 3},
                      MulDivCase{"client width at a taller font", 641, 16, 13, 789},
                      MulDivCase{"font height at 120 dpi", -11, 120, 96, -14},
                      MulDivCase{"font height at 144 dpi", -11, 144, 96, -17},
                      MulDivCase{"negative denominator", 7, 3, -2, -11},
                      MulDivCase{"zero denominator keeps the value", 9, 1, 0, 9}),
    [](const auto& tc) { return cases::name_from(tc.param.what); });

struct ScaleCase {
    const char* name;
    int ppi;
    int measured;
    toolkit::Size client;
    toolkit::Rect directx;  // RzButton1
    toolkit::Rect game;     // RzButton7
    int big_font, small_font;
    int window_font;  // the window font asked for at that density
};

// Test names show the case, not its bytes.
void PrintTo(const ScaleCase& c, std::ostream* os) {
    *os << c.name;
}

class Scaling : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(Scaling, LayoutAtDensity) {
    const auto& c = GetParam();
    const auto& d = form1_description();
    EXPECT_EQ(toolkit::window_font_height(d, c.ppi), c.window_font);
    const toolkit::Layout l = toolkit::scale_layout(d, c.ppi, c.measured);
    EXPECT_EQ(l.client, c.client);
    EXPECT_EQ(l.buttons[0], c.directx);
    EXPECT_EQ(l.buttons[1], c.game);
    EXPECT_EQ(l.button_font_heights[0], c.small_font);
    EXPECT_EQ(l.button_font_heights[1], c.big_font);
    EXPECT_EQ(l.picture, (toolkit::Rect{0, 0, c.client.width, c.client.height}));
}

// Right and bottom are exclusive: 343 + 288 = 631, 457 + 28 = 485.
INSTANTIATE_TEST_SUITE_P(
    Densities, Scaling,
    ::testing::Values(
        ScaleCase{
            "At96", 96, 13, {641, 499}, {343, 457, 631, 485}, {343, 386, 631, 414}, -13, -11, -11},
        ScaleCase{"At120SameHeight",
                  120,
                  13,
                  {641, 499},
                  {343, 457, 631, 485},
                  {343, 386, 631, 414},
                  -13,
                  -11,
                  -14},
        // 641*16/13 = 788.9, 499*16/13 = 614.2, 343*16/13 = 422.2, 457*16/13 = 562.5 -> 562
        // (562.46), 631*16/13 = 776.6, 485*16/13 = 596.9, 386*16/13 = 475.1, 414*16/13 = 509.5
        // (509.54), -13*16/13 = -16, -11*16/13 = -13.5 (-13.54)
        ScaleCase{"At120",
                  120,
                  16,
                  {789, 614},
                  {422, 562, 777, 597},
                  {422, 475, 777, 510},
                  -16,
                  -14,
                  -14},
        // 641*14/13 = 690.3, 499*14/13 = 537.4, 343*14/13 = 369.4, 457*14/13 = 492.2,
        // 631*14/13 = 679.5 (679.54), 485*14/13 = 522.3, 386*14/13 = 415.7, 414*14/13 = 445.8,
        // -13 -> -14, -11*14/13 = -11.8
        ScaleCase{"At96WithTallerFont",
                  96,
                  14,
                  {690, 537},
                  {369, 492, 680, 522},
                  {369, 416, 680, 446},
                  -14,
                  -12,
                  -11},
        // 144 dpi, 20 px: 641*20/13 = 986.2, 499*20/13 = 767.7, 343*20/13 = 527.7,
        // 457*20/13 = 703.1, 631*20/13 = 970.8, 485*20/13 = 746.2, 386*20/13 = 593.8,
        // 414*20/13 = 636.9, -13 -> -20, -11*20/13 = -16.9
        ScaleCase{"At144",
                  144,
                  20,
                  {986, 768},
                  {528, 703, 971, 746},
                  {528, 594, 971, 637},
                  -20,
                  -17,
                  -17}),
    [](const auto& tc) { return tc.param.name; });

TEST(Scaling, FormMeasuresTheWindowFontAtTheDensityAndScales) {
    fakes::Menu at96;
    EXPECT_FALSE(at96.form->scaled());
    EXPECT_EQ(at96.form->client_size(), (toolkit::Size{641, 499}));
    ASSERT_FALSE(at96.text.measured.empty());
    EXPECT_EQ(at96.text.measured.front().height, -11);
    EXPECT_EQ(at96.text.measured.front().name, "MS Sans Serif");
    EXPECT_FALSE(at96.text.measured.front().bold);

    // At 120 dpi the fake measures -14 as 16 pixels: the layout grows by 16/13.
    fakes::Menu at120(120);
    EXPECT_EQ(at120.text.measured.front().height, -14);
    EXPECT_TRUE(at120.form->scaled());
    EXPECT_EQ(at120.form->client_size(), (toolkit::Size{789, 614}));
    EXPECT_EQ(at120.form->RzButton1->bounds(), (toolkit::Rect{422, 562, 777, 597}));
    EXPECT_EQ(at120.form->RzButton7->font().height, -16);
}

TEST(Scaling, PictureKeepsItsSizeWhenTheLayoutGrows) {
    fakes::Menu m(120);
    toolkit::PixelBuffer buffer(m.form->client_size().width, m.form->client_size().height);
    m.form->paint(buffer, buffer.bounds(), true);
    // Column 300 lies left of the grown buttons.
    EXPECT_EQ(buffer.at(300, 479), fakes::test_picture().pixels[479 * 640 + 300]);
    EXPECT_EQ(buffer.at(640, 100), 0u);
    EXPECT_EQ(buffer.at(700, 10), 0u);
    EXPECT_EQ(buffer.at(100, 480), 0u);
}

}  // namespace
