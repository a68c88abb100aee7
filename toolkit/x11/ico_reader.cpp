#include "toolkit/x11/ico_reader.h"

#include <cstddef>

namespace toolkit::x11 {

namespace {

std::uint32_t le16(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::uint32_t>(d[at]) | static_cast<std::uint32_t>(d[at + 1]) << 8;
}

std::uint32_t le32(std::span<const std::uint8_t> d, std::size_t at) {
    return le16(d, at) | le16(d, at + 2) << 16;
}

constexpr std::size_t kDirHeader = 6;
constexpr std::size_t kDirEntry = 16;
constexpr std::size_t kInfoHeader = 40;
constexpr std::uint32_t kMaxSide = 1024;

// One directory entry's bitmap: a BITMAPINFOHEADER whose height counts the colour rows and
// the 1-bit AND mask rows together, then the colour rows bottom-up, then the mask.
bool decode_bitmap(std::span<const std::uint8_t> image, IconImage& out) {
    if (image.size() < kInfoHeader || le32(image, 0) < kInfoHeader) return false;
    const auto width = static_cast<std::int32_t>(le32(image, 4));
    const auto double_height = static_cast<std::int32_t>(le32(image, 8));
    const std::uint32_t bit_count = le16(image, 14);
    const std::uint32_t compression = le32(image, 16);
    if (bit_count != 32 || compression != 0) return false;
    if (width <= 0 || double_height <= 0 || double_height % 2 != 0) return false;
    const auto w = static_cast<std::uint32_t>(width);
    const auto h = static_cast<std::uint32_t>(double_height / 2);
    if (w > kMaxSide || h > kMaxSide) return false;

    const std::size_t pixels_at = le32(image, 0);
    const std::size_t colour_bytes = std::size_t{w} * h * 4;
    const std::size_t mask_stride = ((w + 31) / 32) * 4;
    if (pixels_at > image.size() || image.size() - pixels_at < colour_bytes) return false;
    const bool has_mask = image.size() - pixels_at - colour_bytes >= mask_stride * h;

    out.width = static_cast<int>(w);
    out.height = static_cast<int>(h);
    out.argb.assign(std::size_t{w} * h, 0);
    bool any_alpha = false;
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::size_t src_row = pixels_at + std::size_t{h - 1 - y} * w * 4;
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::uint32_t bgra = le32(image, src_row + std::size_t{x} * 4);
            out.argb[std::size_t{y} * w + x] = bgra;
            any_alpha = any_alpha || (bgra >> 24) != 0;
        }
    }
    // Old-style images leave alpha at zero and say what is transparent with the mask.
    if (!any_alpha) {
        for (std::uint32_t y = 0; y < h; ++y) {
            const std::size_t mask_row =
                pixels_at + colour_bytes + std::size_t{h - 1 - y} * mask_stride;
            for (std::uint32_t x = 0; x < w; ++x) {
                const bool transparent =
                    has_mask && (image[mask_row + x / 8] >> (7 - x % 8) & 1) != 0;
                std::uint32_t& p = out.argb[std::size_t{y} * w + x];
                p = transparent ? 0 : (p | 0xFF000000u);
            }
        }
    }
    return true;
}

}  // namespace

std::vector<IconImage> read_icon_images_32bit(std::span<const std::uint8_t> ico) {
    std::vector<IconImage> images;
    if (ico.size() < kDirHeader || le16(ico, 0) != 0 || le16(ico, 2) != 1) return images;
    const std::size_t count = le16(ico, 4);
    if (ico.size() < kDirHeader + count * kDirEntry) return images;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = kDirHeader + i * kDirEntry;
        const std::size_t bytes = le32(ico, entry + 8);
        const std::size_t offset = le32(ico, entry + 12);
        if (offset > ico.size() || ico.size() - offset < bytes) continue;
        IconImage image;
        if (decode_bitmap(ico.subspan(offset, bytes), image)) images.push_back(std::move(image));
    }
    return images;
}

std::vector<unsigned long> net_wm_icon_data(const std::vector<IconImage>& images) {
    std::vector<unsigned long> data;
    for (const IconImage& image : images) {
        data.push_back(static_cast<unsigned long>(image.width));
        data.push_back(static_cast<unsigned long>(image.height));
        data.insert(data.end(), image.argb.begin(), image.argb.end());
    }
    return data;
}

}  // namespace toolkit::x11
