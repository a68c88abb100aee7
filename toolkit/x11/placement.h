// Where the window goes on its first showing: centred on the primary monitor, its frame
// included, never beyond the top-left of the virtual desktop.
#pragma once

#include <optional>
#include <string_view>

#include "toolkit/core/geometry.h"

namespace toolkit::x11 {

// Thicknesses of the frame a window manager adds around the client area.
struct FrameExtents {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

// Top-left of the outer (framed) window: monitor origin plus half the free space, halved
// toward zero, then raised to the desktop's left and top edges where it lies beyond them.
Point centred_outer_origin(const Rect& monitor, const Rect& desktop, Size client,
                           const FrameExtents& frame);

// Xft.dpi from the text of the X resource database, rounded; none where it is not set or
// not a positive number.
std::optional<int> xft_dpi(std::string_view resources);

}  // namespace toolkit::x11
