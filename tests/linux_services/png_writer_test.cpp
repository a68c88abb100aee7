// The snapshot's PNG writer: what it writes reads back as the same pixels.
#include "tools/snapshot/png_writer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace {

// Distinct colours in every pixel.
void paint_sample(toolkit::PixelBuffer& buffer) {
    for (int y = 0; y < buffer.height(); ++y)
        for (int x = 0; x < buffer.width(); ++x)
            buffer.row(y)[x] =
                toolkit::Rgb{static_cast<std::uint8_t>(x * 40), static_cast<std::uint8_t>(y * 60),
                             static_cast<std::uint8_t>(255 - x * y)}
                    .pixel();
}

std::vector<png_byte> read_rgb(const std::vector<std::uint8_t>& png, png_image& image) {
    image.version = PNG_IMAGE_VERSION;
    EXPECT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size()));
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    return rgb;
}

TEST(PngWriter, ReadsBackAsTheSamePixels) {
    toolkit::PixelBuffer buffer(7, 5);
    paint_sample(buffer);
    png_image image{};
    const std::vector<png_byte> rgb = read_rgb(snapshot::encode_png(buffer), image);
    ASSERT_EQ(image.width, 7u);
    ASSERT_EQ(image.height, 5u);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            const png_byte* p = rgb.data() + (y * 7 + x) * 3;
            EXPECT_EQ((toolkit::Rgb{p[0], p[1], p[2]}), buffer.rgb_at(x, y)) << x << "," << y;
        }
    }
}

TEST(PngWriter, WritesTheFile) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "velmorra_png_writer_test.png";
    toolkit::PixelBuffer buffer(7, 5);
    paint_sample(buffer);
    snapshot::write_png(path.string(), buffer);
    EXPECT_GT(std::filesystem::file_size(path), 8u);
    std::filesystem::remove(path);
}

TEST(PngWriter, UnwritablePathThrows) {
    toolkit::PixelBuffer buffer(7, 5);
    EXPECT_THROW(snapshot::write_png("/nonexistent-folder/x.png", buffer), std::runtime_error);
}

}  // namespace
