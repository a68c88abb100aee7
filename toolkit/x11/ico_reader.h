// Reads the 32-bit images of a Windows .ico file into ARGB pixels, with no window system.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace toolkit::x11 {

struct IconImage {
    int width = 0;
    int height = 0;
    // 0xAARRGGBB, straight (not premultiplied) alpha, top row first.
    std::vector<std::uint32_t> argb;
};

// The images stored as 32-bit uncompressed bitmaps, in the order of the file's directory.
// Images of other depths, PNG images and entries that do not fit inside the data are
// skipped; data that is not an icon gives none.
std::vector<IconImage> read_icon_images_32bit(std::span<const std::uint8_t> ico);

// The value of the _NET_WM_ICON property for these images: for each, width, height, then
// its pixels, one number each.
std::vector<unsigned long> net_wm_icon_data(const std::vector<IconImage>& images);

}  // namespace toolkit::x11
