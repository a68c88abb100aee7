// The FreeType text service: the face compiled into the program, Windows-like metrics and
// clipped drawing. The pinned sizes are those of the compiled-in Liberation Sans, the same
// on every machine.
#include "toolkit/x11/text_freetype.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "resources/sans_face.h"

namespace {

using toolkit::ClipRegion;
using toolkit::FontSpec;
using toolkit::PixelBuffer;
using toolkit::Rect;
using toolkit::Rgb;
using toolkit::x11::FaceFiles;
using toolkit::x11::FreeTypeText;

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kFace{65, 56, 44};
constexpr const char* kInstallGame = "Установить Игру";
constexpr const char* kAddons = "VELMORRA Car Upgrade";
constexpr const char* kInstallDirectX = "Установить DirectX";

FontSpec caption_font(int height) {
    return {"MS Sans Serif", height, true, toolkit::Charset::Russian};
}

// One service for the whole suite, as the program has.
FreeTypeText& text() {
    static FreeTypeText service;
    return service;
}

struct HeightCase {
    FontSpec font;
    int height;
};

void PrintTo(const HeightCase& c, std::ostream* os) {
    *os << c.font.height << (c.font.bold ? " bold" : " regular");
}

class CellHeight : public testing::TestWithParam<HeightCase> {};

TEST_P(CellHeight, MatchesWindowsTextMetric) {
    const HeightCase& c = GetParam();
    EXPECT_EQ(text().measure(c.font, "0").height, c.height);
    EXPECT_EQ(text().measure(c.font, "").height, c.height);
    EXPECT_EQ(text().measure(c.font, kInstallGame).height, c.height);
}

INSTANTIATE_TEST_SUITE_P(
    LiberationSans, CellHeight,
    testing::Values(
        // The window font: its "0" must measure 13 so that the layout is not rescaled.
        HeightCase{{"MS Sans Serif", -11, false, toolkit::Charset::Default}, 13},
        HeightCase{{"MS Sans Serif", -11, true, toolkit::Charset::Russian}, 13},
        HeightCase{{"MS Sans Serif", -13, false, toolkit::Charset::Default}, 15},
        HeightCase{{"MS Sans Serif", -13, true, toolkit::Charset::Russian}, 15},
        // A positive height is the cell height: the em size that comes closest is chosen.
        HeightCase{{"MS Sans Serif", 13, false, toolkit::Charset::Default}, 13},
        HeightCase{{"MS Sans Serif", 15, true, toolkit::Charset::Russian}, 15},
        HeightCase{{"MS Sans Serif", 16, false, toolkit::Charset::Default}, 16}));

std::vector<std::uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FaceChoice, ButtonsAreBoldAndTheWindowFontRegular) {
    EXPECT_EQ(text().face_style(caption_font(-11)), "Bold");
    const FontSpec window_font{"MS Sans Serif", -11, false, toolkit::Charset::Default};
    EXPECT_EQ(text().face_style(window_font), "Regular");
}

TEST(FaceChoice, AnyFamilyGetsTheCompiledInFace) {
    const FontSpec font{"No Such Family 12345", -11, false, toolkit::Charset::Russian};
    EXPECT_EQ(text().face_style(font), "Regular");
    EXPECT_EQ(text().measure(font, "0").height, 13);
    const FontSpec bold{"", -13, true, toolkit::Charset::Default};
    EXPECT_EQ(text().measure(bold, kInstallGame), text().measure(caption_font(-13), kInstallGame));
}

// Another face gives other metrics: what the window is measured with is the face's own.
TEST(FaceChoice, DejaVuAloneMeasuresTaller) {
    const std::string file = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (!std::filesystem::exists(file)) GTEST_SKIP() << file << " is not installed";
    const std::vector<std::uint8_t> bytes = read_file(file);
    FreeTypeText dejavu(FaceFiles{bytes, {}});
    const FontSpec window_font{"MS Sans Serif", -11, false, toolkit::Charset::Default};
    EXPECT_EQ(dejavu.face_style(window_font), "Book");
    EXPECT_EQ(dejavu.measure(window_font, "0").height, 14);
    // With no bold style, the regular one is emboldened.
    EXPECT_EQ(dejavu.face_style(caption_font(-11)), "Book emboldened");
    EXPECT_LT(dejavu.measure(window_font, kInstallGame).width,
              dejavu.measure(caption_font(-11), kInstallGame).width);
}

struct CoverageCase {
    const char* name;
    char32_t first;
    char32_t last;
    bool covered;
};

void PrintTo(const CoverageCase& c, std::ostream* os) {
    *os << c.name;
}

class Coverage : public testing::TestWithParam<CoverageCase> {};

// The compiled-in face is cut to the characters the program can show; anything else is
// drawn as the face's missing-glyph box.
TEST_P(Coverage, BothStylesHaveAGlyphForEachCharacterShown) {
    const CoverageCase& c = GetParam();
    const FontSpec regular{"MS Sans Serif", -11, false, toolkit::Charset::Russian};
    for (char32_t cp = c.first; cp <= c.last; ++cp) {
        EXPECT_EQ(text().has_glyph(regular, cp), c.covered)
            << std::hex << "U+" << static_cast<std::uint32_t>(cp);
        EXPECT_EQ(text().has_glyph(caption_font(-13), cp), c.covered)
            << std::hex << "U+" << static_cast<std::uint32_t>(cp);
    }
}

INSTANTIATE_TEST_SUITE_P(Characters, Coverage,
                         testing::Values(CoverageCase{"BasicLatin", 0x20, 0x7E, true},
                                         CoverageCase{"Cyrillic", 0x400, 0x4FF, true},
                                         CoverageCase{"ControlCharacters", 0x00, 0x1F, false},
                                         CoverageCase{"Latin1Supplement", 0xA0, 0xFF, false},
                                         CoverageCase{"Greek", 0x391, 0x3A9, false},
                                         CoverageCase{"ReplacementCharacter", 0xFFFD, 0xFFFD,
                                                      false}));

TEST(Width, GrowsWithEachLetter) {
    for (const char* caption : {kInstallGame, kAddons, kInstallDirectX}) {
        const std::u32string letters = toolkit::x11::decode_utf8(caption);
        std::string prefix;
        int last = 0;
        for (std::size_t i = 0, byte = 0; i < letters.size(); ++i) {
            // Advance one code point in the UTF-8 text.
            std::size_t next = byte + 1;
            while (next < std::string_view(caption).size() &&
                   (static_cast<unsigned char>(caption[next]) & 0xC0) == 0x80)
                ++next;
            prefix.assign(caption, next);
            byte = next;
            const int width = text().measure(caption_font(-13), prefix).width;
            EXPECT_GT(width, last) << prefix;
            last = width;
        }
    }
}

TEST(Width, EmptyTextHasNoWidth) {
    EXPECT_EQ(text().measure(caption_font(-13), "").width, 0);
}

TEST(Width, BoldAndLargerAreWider) {
    const FontSpec regular{"MS Sans Serif", -11, false, toolkit::Charset::Russian};
    EXPECT_LT(text().measure(regular, kInstallGame).width,
              text().measure(caption_font(-11), kInstallGame).width);
    EXPECT_LT(text().measure(caption_font(-11), kInstallGame).width,
              text().measure(caption_font(-13), kInstallGame).width);
}

struct CaptionCase {
    const char* caption;
    int height;
};

void PrintTo(const CaptionCase& c, std::ostream* os) {
    *os << c.caption << " " << c.height;
}

class Captions : public testing::TestWithParam<CaptionCase> {};

// Each caption fits on one line inside its 288-pixel button less the 5-pixel margins.
TEST_P(Captions, MeasureOnOneLineInsideTheButton) {
    const toolkit::TextExtent extent =
        text().measure(caption_font(GetParam().height), GetParam().caption);
    EXPECT_GT(extent.width, 50);
    EXPECT_LT(extent.width, 288 - 10);
}

INSTANTIATE_TEST_SUITE_P(Buttons, Captions,
                         testing::Values(CaptionCase{kInstallGame, -13}, CaptionCase{kAddons, -13},
                                         CaptionCase{kInstallDirectX, -11}));

// What changed between a buffer and a copy of its earlier state.
std::vector<toolkit::Point> changed(const PixelBuffer& buffer, toolkit::Pixel background) {
    std::vector<toolkit::Point> points;
    for (int y = 0; y < buffer.height(); ++y)
        for (int x = 0; x < buffer.width(); ++x)
            if (buffer.at(x, y) != background) points.push_back({x, y});
    return points;
}

TEST(Draw, WritesOnlyInsideTheClipRegion) {
    PixelBuffer buffer(160, 40);
    buffer.fill(buffer.bounds(), kFace.pixel());
    ClipRegion clip(Rect{20, 8, 120, 30});
    const Rect hole{50, 0, 70, 40};
    clip.exclude(hole);
    text().draw(buffer, clip, caption_font(-13), {4, 10}, kInstallGame, kWhite);

    const std::vector<toolkit::Point> points = changed(buffer, kFace.pixel());
    EXPECT_GT(points.size(), 50u);
    for (toolkit::Point p : points) {
        EXPECT_TRUE(clip.contains(p)) << p.x << "," << p.y;
        EXPECT_FALSE(hole.contains(p)) << p.x << "," << p.y;
    }
}

TEST(Draw, LettersSitInTheirCell) {
    PixelBuffer buffer(200, 40);
    buffer.fill(buffer.bounds(), kFace.pixel());
    const toolkit::Point at{10, 10};
    const toolkit::TextExtent extent = text().measure(caption_font(-13), kAddons);
    text().draw(buffer, ClipRegion(buffer.bounds()), caption_font(-13), at, kAddons, kWhite);
    const Rect cell = Rect::from_size(at.x, at.y, extent.width, extent.height);
    const std::vector<toolkit::Point> points = changed(buffer, kFace.pixel());
    ASSERT_FALSE(points.empty());
    for (toolkit::Point p : points) EXPECT_TRUE(cell.contains(p)) << p.x << "," << p.y;
}

TEST(Draw, ColourIsTheTextColour) {
    PixelBuffer buffer(200, 40);
    buffer.fill(buffer.bounds(), kFace.pixel());
    text().draw(buffer, ClipRegion(buffer.bounds()), caption_font(-11), {0, 0}, kInstallDirectX,
                kWhite);
    int white = 0;
    for (int y = 0; y < buffer.height(); ++y)
        for (int x = 0; x < buffer.width(); ++x) white += buffer.at(x, y) == kWhite.pixel();
    EXPECT_GT(white, 30);
}

struct PlacementCase {
    toolkit::Point at;
    Rect clip;
};

void PrintTo(const PlacementCase& c, std::ostream* os) {
    *os << "at " << c.at.x << "," << c.at.y << " clip " << c.clip.left << "," << c.clip.top << "-"
        << c.clip.right << "," << c.clip.bottom;
}

class DrawAnywhere : public testing::TestWithParam<PlacementCase> {};

// Text partly or wholly off the buffer, or a clip larger than it, writes nothing outside.
TEST_P(DrawAnywhere, StaysInsideBufferAndClip) {
    PixelBuffer buffer(64, 24);
    buffer.fill(buffer.bounds(), 0);
    const ClipRegion clip(GetParam().clip);
    text().draw(buffer, clip, caption_font(-13), GetParam().at, kInstallGame, kWhite);
    for (toolkit::Point p : changed(buffer, 0)) EXPECT_TRUE(clip.contains(p));
}

INSTANTIATE_TEST_SUITE_P(Placements, DrawAnywhere,
                         testing::Values(PlacementCase{{-40, -5}, {-1000, -1000, 1000, 1000}},
                                         PlacementCase{{50, 15}, {0, 0, 64, 24}},
                                         PlacementCase{{-100000, 5}, {0, 0, 64, 24}},
                                         PlacementCase{{100000, 100000}, {0, 0, 64, 24}},
                                         PlacementCase{{0, 0}, {10, 10, 10, 20}},  // empty clip
                                         PlacementCase{{0, 0}, {100, 100, 200, 200}}));

class OddHeights : public testing::TestWithParam<int> {};

TEST_P(OddHeights, MeasureAndDrawWithoutFault) {
    const FontSpec font = caption_font(GetParam());
    const toolkit::TextExtent extent = text().measure(font, "Иy");
    EXPECT_GT(extent.height, 0);
    EXPECT_GE(extent.width, 0);
    PixelBuffer buffer(32, 32);
    text().draw(buffer, ClipRegion(buffer.bounds()), font, {0, 0}, "Иy", kWhite);
}

INSTANTIATE_TEST_SUITE_P(Heights, OddHeights,
                         testing::Values(0, 1, -1, 2000, -2000, INT_MAX, INT_MIN));

class InvalidUtf8 : public testing::TestWithParam<std::string> {};

// Each replacement is drawn as the missing-glyph box, so bad text never vanishes.
TEST_P(InvalidUtf8, MeasuresAndDrawsReplacements) {
    const std::string& bytes = GetParam();
    const toolkit::TextExtent extent = text().measure(caption_font(-13), bytes);
    EXPECT_GT(extent.width, 0);
    PixelBuffer buffer(100, 20);
    buffer.fill(buffer.bounds(), 0);
    text().draw(buffer, ClipRegion(buffer.bounds()), caption_font(-13), {0, 0}, bytes, kWhite);
    EXPECT_FALSE(changed(buffer, 0).empty());
}

INSTANTIATE_TEST_SUITE_P(Bytes, InvalidUtf8,
                         testing::Values(std::string("\xff"), std::string("\xc3"),
                                         std::string("\xe0\x80\x80"), std::string("\xed\xa0\x80"),
                                         std::string("ab\xf4\x90\x80\x80"),
                                         std::string("\xf0\x9f\x98"), std::string("\x80\x80"),
                                         std::string("\xd0", 1) + std::string(1, '\0')));

struct BadFaceCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
};

void PrintTo(const BadFaceCase& c, std::ostream* os) {
    *os << c.name;
}

// The first `count` bytes of the compiled-in regular face: its header without its tables.
std::vector<std::uint8_t> cut_short(std::size_t count) {
    const std::span<const std::uint8_t> face = resources::sans_regular();
    return {face.begin(), face.begin() + static_cast<std::ptrdiff_t>(std::min(face.size(), count))};
}

class NoFace : public testing::TestWithParam<BadFaceCase> {};

// With no usable face, text is measured with the usual sans-serif metrics, so the window
// keeps its size, and nothing is drawn.
TEST_P(NoFace, MeasuresASaneHeightAndDrawsNothing) {
    const std::vector<std::uint8_t>& bytes = GetParam().bytes;
    FreeTypeText none(FaceFiles{bytes, bytes});
    const FontSpec window_font{"MS Sans Serif", -11, false, toolkit::Charset::Default};
    EXPECT_EQ(none.face_style(window_font), "");
    EXPECT_EQ(none.measure(window_font, "0").height, 13);
    EXPECT_EQ(none.measure(caption_font(-11), "0").height, 13);
    EXPECT_GT(none.measure(caption_font(-13), kInstallGame).width, 0);
    PixelBuffer buffer(100, 20);
    buffer.fill(buffer.bounds(), 0);
    none.draw(buffer, ClipRegion(buffer.bounds()), caption_font(-13), {0, 0}, kInstallGame, kWhite);
    EXPECT_TRUE(changed(buffer, 0).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, NoFace,
    testing::Values(BadFaceCase{"None", {}},
                    BadFaceCase{"NotAFont", {'n', 'o', 't', ' ', 'a', ' ', 'f', 'o', 'n', 't'}},
                    BadFaceCase{"ZeroBytes", std::vector<std::uint8_t>(4096, 0)},
                    BadFaceCase{"CutShort", cut_short(12)}));

}  // namespace
