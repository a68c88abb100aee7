// The application icon: a slanted amber "V" on a dark brown tile, in the ten images
// the program's icon group holds (256, 48, 32, 24 and 16 pixels, each with a 256-colour
// and a 32-bit version, all stored as bitmaps with an AND mask).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace artgen {

// One RGBA image with straight (not premultiplied) alpha, rows from the top.
struct Rgba {
    int size = 0;
    std::vector<std::uint8_t> pixels;  // size * size * 4: r, g, b, a
};

Rgba render_icon(int size);
std::vector<std::uint8_t> build_icon_file();
void write_icon(const std::string& path);

}  // namespace artgen
