// The art compiled into the program.
#pragma once

#include <cstdint>
#include <span>

namespace resources {

// The title picture, a progressive JPEG of 640 x 480.
std::span<const std::uint8_t> title_picture();
// The icon group MAINICON as an .ico file.
std::span<const std::uint8_t> main_icon();

}  // namespace resources
