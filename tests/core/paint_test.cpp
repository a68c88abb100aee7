// The whole client area, pixel by pixel where the look is fixed: the picture, the black band,
// the buttons' layers and their stacking.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <ostream>

#include "expected_colours.h"
#include "fakes.h"
#include "toolkit/core/button_painter.h"

namespace {

using toolkit::Rgb;

enum class Expect { Picture, Colour };

struct PixelCase {
    const char* what;
    int x, y;
    Expect kind;
    Rgb colour{};
};

// Test names show the case, not its bytes.
void PrintTo(const PixelCase& c, std::ostream* os) {
    *os << c.what << " at " << c.x << "," << c.y;
}

PixelCase picture(const char* what, int x, int y) {
    return {what, x, y, Expect::Picture};
}
PixelCase colour(const char* what, int x, int y, Rgb c) {
    return {what, x, y, Expect::Colour, c};
}

using namespace expected;

std::string pixel_name(const ::testing::TestParamInfo<PixelCase>& tc) {
    return "At" + std::to_string(tc.param.x) + "x" + std::to_string(tc.param.y);
}

class PlainWindow : public ::testing::TestWithParam<PixelCase> {
  protected:
    static void SetUpTestSuite() {
        menu_ = new fakes::Menu;
        buffer_ = new toolkit::PixelBuffer(641, 499);
        menu_->form->paint(*buffer_, buffer_->bounds(), true);
    }
    static void TearDownTestSuite() {
        delete buffer_;
        delete menu_;
    }
    static fakes::Menu* menu_;
    static toolkit::PixelBuffer* buffer_;
};
fakes::Menu* PlainWindow::menu_ = nullptr;
toolkit::PixelBuffer* PlainWindow::buffer_ = nullptr;

TEST_P(PlainWindow, Pixel) {
    const auto& c = GetParam();
    const Rgb expected = c.kind == Expect::Picture
                             ? Rgb::from_pixel(fakes::test_picture().pixels[c.y * 640 + c.x])
                             : c.colour;
    EXPECT_EQ(buffer_->rgb_at(c.x, c.y), expected) << c.what << " at " << c.x << "," << c.y;
}

INSTANTIATE_TEST_SUITE_P(
    Background, PlainWindow,
    ::testing::Values(picture("picture top-left", 0, 0), picture("picture", 100, 100),
                      picture("picture bottom-right", 639, 479),
                      picture("picture beside the buttons", 342, 400),
                      picture("picture between the buttons", 500, 441),
                      picture("picture between the buttons", 500, 456),
                      colour("column 640", 640, 0, kBlack), colour("column 640", 640, 240, kBlack),
                      colour("column 640", 640, 479, kBlack), colour("black band", 0, 480, kBlack),
                      colour("black band", 342, 482, kBlack),
                      colour("black band", 631, 482, kBlack),
                      colour("black band below DirectX", 400, 485, kBlack),
                      colour("black band", 640, 498, kBlack), colour("black band", 0, 498, kBlack)),
    pixel_name);

INSTANTIATE_TEST_SUITE_P(
    DirectXCorners, PlainWindow,
    ::testing::Values(picture("top-left corner", 343, 457), picture("top-left corner", 344, 457),
                      picture("top-left corner", 343, 458), picture("top-right corner", 630, 457),
                      picture("top-right corner", 629, 457), picture("top-right corner", 630, 458),
                      colour("bottom-left corner over the band", 343, 484, kBlack),
                      colour("bottom-left corner over the band", 344, 484, kBlack),
                      colour("bottom-left corner over the band", 343, 483, kBlack),
                      colour("bottom-right corner over the band", 630, 484, kBlack),
                      colour("bottom-right corner over the band", 629, 484, kBlack),
                      colour("bottom-right corner over the band", 630, 483, kBlack)),
    pixel_name);

INSTANTIATE_TEST_SUITE_P(DirectXLayers, PlainWindow,
                         ::testing::Values(colour("outer top row", 345, 457, kBlack),
                                           colour("outer top row", 628, 457, kBlack),
                                           colour("outer left column", 343, 459, kBlack),
                                           colour("outer left column", 343, 482, kBlack),
                                           colour("outer right column", 630, 459, kLight),
                                           colour("outer right column", 630, 482, kLight),
                                           colour("outer bottom row", 345, 484, kLight),
                                           colour("outer bottom row", 628, 484, kLight),
                                           colour("frame top-left", 344, 458, kSilver),
                                           colour("frame top-right", 629, 458, kSilver),
                                           colour("frame bottom-left", 344, 483, kSilver),
                                           colour("frame bottom-right", 629, 483, kSilver),
                                           colour("frame top", 400, 458, kSilver),
                                           colour("frame left", 344, 470, kSilver),
                                           colour("frame right", 629, 470, kSilver),
                                           colour("frame bottom", 400, 483, kSilver),
                                           colour("face first gradient row", 345, 459, kFaceTop),
                                           colour("face first gradient row", 628, 459, kFaceTop),
                                           colour("face last gradient row", 345, 480, kFaceLast),
                                           colour("face last gradient row", 628, 480, kFaceLast),
                                           colour("first shadow row", 345, 481, kShadow1),
                                           colour("first shadow row", 628, 481, kShadow1),
                                           colour("second shadow row", 345, 482, kShadow2),
                                           colour("second shadow row", 628, 482, kShadow2)),
                         pixel_name);

INSTANTIATE_TEST_SUITE_P(
    Row413, PlainWindow,
    ::testing::Values(
        // RzButton2 is in front: row 413 is its top row, and its corners show the picture,
        // not RzButton7 behind it.
        colour("RzButton2 outer top row", 345, 413, kBlack),
        colour("RzButton2 outer top row", 500, 413, kBlack),
        colour("RzButton2 outer top row", 628, 413, kBlack), picture("RzButton2 corner", 343, 413),
        picture("RzButton2 corner", 344, 413), picture("RzButton2 corner", 630, 413),
        picture("RzButton2 corner", 629, 413), colour("RzButton2 frame", 344, 414, kSilver),
        colour("RzButton7 frame bottom row", 400, 412, kSilver),
        colour("RzButton7 second shadow row", 400, 411, kShadow2),
        colour("RzButton7 outer top row", 400, 386, kBlack),
        colour("RzButton2 outer bottom row", 400, 440, kLight)),
    pixel_name);

TEST(Caption, CentredInsideTheMargin) {
    fakes::Menu m;
    toolkit::PixelBuffer buffer(641, 499);
    m.form->paint(buffer, buffer.bounds(), true);
    // "Установить DirectX": 18 characters of 6 pixels, 13 high. The box inside the 5-pixel
    // margin is 348..625 by 462..479: left 348 + (278 - 108) / 2 = 433, top 462 + (18 - 13) / 2.
    const Rgb white{255, 255, 255};
    EXPECT_EQ(buffer.rgb_at(433, 464), white);
    EXPECT_EQ(buffer.rgb_at(540, 476), white);
    EXPECT_NE(buffer.rgb_at(432, 464), white);
    EXPECT_NE(buffer.rgb_at(541, 476), white);
    EXPECT_NE(buffer.rgb_at(433, 463), white);
    EXPECT_NE(buffer.rgb_at(433, 477), white);
}

TEST(Caption, BreaksAtBlanksWhereTooWide) {
    fakes::BoxText text;
    const toolkit::FontSpec font{"MS Sans Serif", -13, true, toolkit::Charset::Russian};
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(toolkit::break_caption(text, font, "VELMORRA Car Upgrade", 278),
              (Lines{"VELMORRA Car Upgrade"}));
    EXPECT_EQ(toolkit::break_caption(text, font, "VELMORRA Car Upgrade", 72),
              (Lines{"VELMORRA Car", "Upgrade"}));
    EXPECT_EQ(toolkit::break_caption(text, font, "VELMORRA Car Upgrade", 60),
              (Lines{"VELMORRA", "Car", "Upgrade"}));
    EXPECT_EQ(toolkit::break_caption(text, font, "VELMORRA Car Upgrade", 10),
              (Lines{"VELMORRA", "Car", "Upgrade"}));
    EXPECT_EQ(toolkit::break_caption(text, font, "Установить Игру", 60),
              (Lines{"Установить", "Игру"}));
    EXPECT_EQ(toolkit::break_caption(text, font, "  a  b ", 100), (Lines{"a  b"}));
    EXPECT_EQ(toolkit::break_caption(text, font, "", 100), (Lines{}));
    EXPECT_EQ(toolkit::break_caption(text, font, "   ", 100), (Lines{}));
}

TEST(Caption, TwoLinesAreCentredAsABlock) {
    // With characters 20 pixels wide, "Установить Игру" no longer fits on one line.
    class WideText : public fakes::BoxText {
      public:
        toolkit::TextExtent measure(const toolkit::FontSpec& f, std::string_view s) override {
            return {20 * chars(s), (f.height < 0 ? -f.height : f.height) + 2};
        }
    };
    WideText text;
    fakes::Menu m({.text = &text});
    toolkit::PixelBuffer buffer(641, 499);
    m.form->paint(buffer, buffer.bounds(), true);
    const auto& drawn = text.drawn;
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), "Установить"), drawn.end());
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), "Игру"), drawn.end());

    // The button's two lines are drawn one after the other, the first right above the second.
    const auto second = std::find(drawn.begin(), drawn.end(), "Игру");
    ASSERT_NE(second, drawn.begin());
    const std::size_t i = static_cast<std::size_t>(second - drawn.begin());
    ASSERT_EQ(drawn[i - 1], "Установить");
    const toolkit::Rect& button = m.form->RzButton7->bounds();
    const toolkit::FontSpec& font = m.form->RzButton7->font();
    const toolkit::Point first_at = text.drawn_at[i - 1];
    const toolkit::Point second_at = text.drawn_at[i];
    const int line_height = text.measure(font, "Игру").height;
    EXPECT_EQ(second_at.y, first_at.y + line_height);

    // The block of both lines: as far from the button's top as from its bottom, to a pixel.
    const int above = first_at.y - button.top;
    const int below = button.bottom - (second_at.y + line_height);
    EXPECT_LE(std::abs(above - below), 1) << above << " above, " << below << " below";
    // Each line: as far from the left edge as from the right, to a pixel.
    for (std::size_t line : {i - 1, i}) {
        const int width = text.measure(font, drawn[line]).width;
        const int left = text.drawn_at[line].x - button.left;
        const int right = button.right - (text.drawn_at[line].x + width);
        EXPECT_LE(std::abs(left - right), 1)
            << drawn[line] << ": " << left << " left, " << right << " right";
    }
}

}  // namespace
