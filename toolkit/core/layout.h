// Fitting a window made at 96 pixels per inch to the screen's density and font, and where
// it is first shown.
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

// Thicknesses of the frame a window system adds around the client area.
struct FrameExtents {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

// Top-left of the outer (framed) window when it is first shown, centred on `monitor`:
// monitor origin plus half the free space, halved toward zero, then raised to the desktop's
// left and top edges where it lies beyond them. Any int is a safe input; a position beyond
// int's range is held at its end.
Point centred_outer_origin(const Rect& monitor, const Rect& desktop, Size client,
                           const FrameExtents& frame);

}  // namespace toolkit
