// The form's background: its picture at natural size and the window colour wherever the
// picture does not reach.
#pragma once

#include "geometry.h"
#include "pixel_buffer.h"

namespace toolkit {

// Paints `area` of the background into `target`: the part of `picture` that lies inside
// `picture_bounds` (its top-left corner at theirs), and `colour` everywhere else.
void paint_background(PixelBuffer& target, const Rect& area, const Rect& picture_bounds,
                      const Bitmap& picture, Pixel colour);

}  // namespace toolkit
