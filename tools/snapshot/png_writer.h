// Writes a pixel buffer as an 8-bit RGB PNG, for snapshots of the window and their tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/core/pixel_buffer.h"

namespace snapshot {

// The PNG file's bytes; throws std::runtime_error where libpng fails.
std::vector<std::uint8_t> encode_png(const toolkit::PixelBuffer& pixels);

// Writes the PNG to `path`, replacing any file there; throws std::runtime_error on failure.
void write_png(const std::string& path, const toolkit::PixelBuffer& pixels);

}  // namespace snapshot
