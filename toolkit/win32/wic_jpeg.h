// JPEG pictures through the Windows Imaging Component.
#pragma once

#include <cstdint>
#include <span>

#include "toolkit/core/picture_formats.h"
#include "toolkit/core/pixel_buffer.h"

namespace toolkit::win32 {

// Decodes a whole JPEG file held in memory into 0x00RRGGBB pixels; throws where the bytes
// are not a picture WIC can read. Needs no COM on the calling thread.
Bitmap decode_jpeg(std::span<const std::uint8_t> bytes);

// Registers decode_jpeg as the JPEG picture class (kJpegPictureClass) for "jpeg" and "jpg".
void register_jpeg(PictureFormats& formats);

}  // namespace toolkit::win32
