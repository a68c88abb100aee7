#include "background_painter.h"

namespace toolkit {

void paint_background(PixelBuffer& target, const Rect& area, const Rect& picture_bounds,
                      const Bitmap& picture, Pixel colour) {
    // The window colour shows wherever the picture does not; filling only there spares
    // writing the picture's pixels twice.
    const Rect& r = picture_bounds;
    const Rect shown =
        Rect::from_size(r.left, r.top, picture.width, picture.height).intersect(r).intersect(area);
    target.blit(picture, {r.left, r.top}, shown);
    if (shown.empty()) {
        target.fill(area, colour);
        return;
    }
    const Rect& a = area;
    target.fill({a.left, a.top, a.right, shown.top}, colour);
    target.fill({a.left, shown.bottom, a.right, a.bottom}, colour);
    target.fill({a.left, shown.top, shown.left, shown.bottom}, colour);
    target.fill({shown.right, shown.top, a.right, shown.bottom}, colour);
}

}  // namespace toolkit
