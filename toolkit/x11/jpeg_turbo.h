// The JPEG picture class for Linux builds, decoded by libjpeg(-turbo).
#pragma once

#include <cstdint>
#include <span>

#include "toolkit/core/picture_formats.h"

namespace toolkit::x11 {

// Decodes a baseline or progressive JPEG into 0x00RRGGBB pixels, top row first. Throws
// std::runtime_error on data that is not a JPEG, is truncated or corrupt, or is too large
// to hold; never ends the process and prints nothing.
Bitmap decode_jpeg(std::span<const std::uint8_t> data);

// Registers decode_jpeg as the JPEG picture class (kJpegPictureClass) for "jpeg" and "jpg".
void register_jpeg(PictureFormats& formats);

}  // namespace toolkit::x11
