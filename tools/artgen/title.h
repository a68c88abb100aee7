// The title picture: a night street with a sports car under sodium lights, the city
// behind it and the VELMORRA word mark above.
#pragma once

#include <cstdint>
#include <vector>

namespace artgen {

constexpr int kTitleWidth = 640;
constexpr int kTitleHeight = 480;

// The finished picture as 8-bit RGB triples, row by row from the top.
std::vector<std::uint8_t> render_title();

}  // namespace artgen
