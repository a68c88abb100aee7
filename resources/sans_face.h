// The sans-serif face the Linux program writes with, compiled in as two TrueType files.
#pragma once

#include <cstdint>
#include <span>

namespace resources {

// Liberation Sans 2, regular and bold, cut to Basic Latin and Cyrillic.
std::span<const std::uint8_t> sans_regular();
std::span<const std::uint8_t> sans_bold();

}  // namespace resources
