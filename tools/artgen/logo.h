// The "VELMORRA" word mark, built from straight strokes and rounded boxes in a wide,
// slanted racing style.
#pragma once

#include <string_view>
#include <vector>

#include "raster.h"

namespace artgen {

struct LogoPlacement {
    float left = 0;        // pixel x of the first letter's bottom-left corner
    float top = 0;         // pixel y of the cap line
    float height = 10;     // cap height in pixels
    float slant = 0.22f;   // horizontal shift per unit of height, to the right at the top
    float spacing = 1.1f;  // gap between letters, in tenths of the cap height
};

// Width in pixels of `text` set with `placement` (without the slant overhang).
float logo_width(std::string_view text, const LogoPlacement& placement);
// The letter outlines in pixels. Letters that are not in the word mark are skipped.
std::vector<Path> logo_paths(std::string_view text, const LogoPlacement& placement);

}  // namespace artgen
