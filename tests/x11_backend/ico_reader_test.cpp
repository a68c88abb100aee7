#include "toolkit/x11/ico_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "resources/resources.h"

namespace toolkit::x11 {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// A bitmap image as an .ico stores it: header, colour rows bottom-up, then the AND mask.
// `pixels` are 0xAARRGGBB, top row first; `mask` rows top first, 1 = transparent.
Bytes bitmap(int w, int h, int bits, const std::vector<std::uint32_t>& pixels,
             const std::vector<std::vector<int>>& mask) {
    Bytes b;
    put32(b, 40);
    put32(b, static_cast<std::uint32_t>(w));
    put32(b, static_cast<std::uint32_t>(h * 2));
    put16(b, 1);
    put16(b, static_cast<std::uint32_t>(bits));
    for (int i = 0; i < 6; ++i) put32(b, 0);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) put32(b, pixels[static_cast<std::size_t>(y * w + x)]);
    const int stride = (w + 31) / 32 * 4;
    for (int y = h - 1; y >= 0; --y) {
        Bytes row(static_cast<std::size_t>(stride), 0);
        for (int x = 0; x < w; ++x)
            if (mask[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)])
                row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

Bytes icon_file(const std::vector<Bytes>& images) {
    Bytes b;
    put16(b, 0);
    put16(b, 1);
    put16(b, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (const Bytes& image : images) {
        for (int i = 0; i < 4; ++i) b.push_back(0);
        put16(b, 1);
        put16(b, 32);
        put32(b, static_cast<std::uint32_t>(image.size()));
        put32(b, offset);
        offset += static_cast<std::uint32_t>(image.size());
    }
    for (const Bytes& image : images) b.insert(b.end(), image.begin(), image.end());
    return b;
}

TEST(IcoReader, KeepsAlphaAndTurnsRowsTopDown) {
    const std::vector<std::uint32_t> px = {0x80112233, 0xFF445566, 0x00778899, 0x40AABBCC};
    const Bytes ico = icon_file({bitmap(2, 2, 32, px, {{0, 0}, {0, 0}})});
    const auto images = read_icon_images_32bit(ico);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].width, 2);
    EXPECT_EQ(images[0].height, 2);
    EXPECT_EQ(images[0].argb, px);
}

TEST(IcoReader, UsesTheMaskWhereNoPixelHasAlpha) {
    const std::vector<std::uint32_t> px = {0x00112233, 0x00445566, 0x00778899, 0x00AABBCC};
    const Bytes ico = icon_file({bitmap(2, 2, 32, px, {{1, 0}, {0, 1}})});
    const auto images = read_icon_images_32bit(ico);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].argb, (std::vector<std::uint32_t>{0, 0xFF445566, 0xFF778899, 0}));
}

TEST(IcoReader, SkipsOtherDepthsPngAndBrokenEntries) {
    Bytes png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    png.resize(64, 0);
    Bytes eight_bit = bitmap(1, 1, 8, {0}, {{0}});
    const Bytes good = bitmap(1, 1, 32, {0xFF010203}, {{0}});
    Bytes ico = icon_file({png, eight_bit, good});
    EXPECT_EQ(read_icon_images_32bit(ico).size(), 1u);

    // An entry that points past the end is skipped; the others stay.
    Bytes bad = ico;
    bad[6 + 12] = 0xFF;
    bad[6 + 13] = 0xFF;
    EXPECT_EQ(read_icon_images_32bit(bad).size(), 1u);
}

TEST(IcoReader, GivesNothingForWhatIsNotAnIcon) {
    const Bytes cases[] = {{}, {0, 0, 1}, {0, 0, 2, 0, 1, 0}, {0, 0, 1, 0, 5, 0, 1, 2, 3}};
    for (const Bytes& data : cases) EXPECT_TRUE(read_icon_images_32bit(data).empty());
    // Every truncation of a good file is safe.
    const Bytes ico = icon_file({bitmap(3, 3, 32, std::vector<std::uint32_t>(9, 0xFF000000),
                                        {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}})});
    for (std::size_t n = 0; n < ico.size(); ++n)
        EXPECT_LE(read_icon_images_32bit(std::span(ico.data(), n)).size(), 1u);
}

TEST(IcoReader, NetWmIconDataIsSizeThenPixelsPerImage) {
    std::vector<IconImage> images = {{1, 2, {7, 8}}, {1, 1, {9}}};
    EXPECT_EQ(net_wm_icon_data(images), (std::vector<unsigned long>{1, 2, 7, 8, 1, 1, 9}));
}

TEST(IcoReader, TheProgramIconGivesItsFive32BitImages) {
    const auto images = read_icon_images_32bit(resources::main_icon());
    std::vector<int> sides;
    for (const auto& image : images) {
        EXPECT_EQ(image.width, image.height);
        sides.push_back(image.width);
    }
    EXPECT_EQ(sides, (std::vector<int>{256, 48, 32, 24, 16}));
}

}  // namespace
}  // namespace toolkit::x11
