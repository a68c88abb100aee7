// Fitting a window made at 96 pixels per inch to the screen's density and font.
#pragma once

#include <vector>

#include "description.h"

namespace toolkit {

// n * numerator / denominator, rounded to nearest with halves away from zero.
int mul_div(int n, int numerator, int denominator);

// The window font's height at the screen's density, the font that is then measured.
int window_font_height(const FormDescription& d, int pixels_per_inch);

struct Layout {
    Size client;
    Rect picture;
    std::vector<Rect> buttons;  // in the order of the description
    std::vector<int> button_font_heights;
    bool scaled = false;
};

// The layout at a density, given the text height the window font measures on "0" there.
// Where that height differs from the one the window was made with, every edge, the client
// size and the buttons' font heights scale by measured / designed, each rounded on its own.
Layout scale_layout(const FormDescription& d, int pixels_per_inch, int measured_text_height);

}  // namespace toolkit
