#include "tools/snapshot/png_writer.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace snapshot {
namespace {

// libpng's simplified interface reports failures in the image's message instead of longjmp.
struct Image {
    png_image image{};
    std::vector<png_byte> rgb;

    explicit Image(const toolkit::PixelBuffer& pixels) {
        image.version = PNG_IMAGE_VERSION;
        image.width = static_cast<png_uint_32>(pixels.width());
        image.height = static_cast<png_uint_32>(pixels.height());
        image.format = PNG_FORMAT_RGB;
        rgb.resize(static_cast<std::size_t>(pixels.width()) * pixels.height() * 3);
        png_byte* out = rgb.data();
        for (int y = 0; y < pixels.height(); ++y) {
            for (int x = 0; x < pixels.width(); ++x) {
                const toolkit::Rgb c = pixels.rgb_at(x, y);
                *out++ = c.r;
                *out++ = c.g;
                *out++ = c.b;
            }
        }
    }
    ~Image() { png_image_free(&image); }
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    [[noreturn]] void fail() const {
        throw std::runtime_error(std::string("PNG error: ") + image.message);
    }
};

}  // namespace

std::vector<std::uint8_t> encode_png(const toolkit::PixelBuffer& pixels) {
    Image image(pixels);
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image.image, nullptr, &size, 0, image.rgb.data(), 0, nullptr))
        image.fail();
    std::vector<std::uint8_t> bytes(size);
    if (!png_image_write_to_memory(&image.image, bytes.data(), &size, 0, image.rgb.data(), 0,
                                   nullptr))
        image.fail();
    bytes.resize(size);
    return bytes;
}

void write_png(const std::string& path, const toolkit::PixelBuffer& pixels) {
    const std::vector<std::uint8_t> bytes = encode_png(pixels);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) throw std::runtime_error("cannot write " + path);
}

}  // namespace snapshot
