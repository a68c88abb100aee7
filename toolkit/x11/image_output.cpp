#include "toolkit/x11/image_output.h"

#include <X11/Xutil.h>

#include <bit>
#include <cstdlib>

namespace toolkit::x11 {

namespace {

bool bits_per_pixel_is_32(Display* display, int depth) {
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    bool result = false;
    for (int i = 0; i < count; ++i)
        if (formats[i].depth == depth) result = formats[i].bits_per_pixel == 32;
    if (formats) XFree(formats);
    return result;
}

// Scales an 8-bit channel into the bits of `mask`.
unsigned long channel(unsigned value, unsigned long mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const unsigned long max = mask >> shift;
    return ((value * max + 127) / 255) << shift;
}

}  // namespace

ImageOutput::ImageOutput(Display* display, Visual* visual, int depth, PixelBuffer& pixels)
    : display_(display), visual_(visual), depth_(depth), pixels_(pixels) {
    const bool same_layout = (depth == 24 || depth == 32) && visual->c_class == TrueColor &&
                             visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 &&
                             visual->blue_mask == 0xFF && bits_per_pixel_is_32(display, depth);
    if (!same_layout) return;
    direct_ =
        XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                     reinterpret_cast<char*>(pixels.row(0)), static_cast<unsigned>(pixels.width()),
                     static_cast<unsigned>(pixels.height()), 32, pixels.stride() * 4);
    // The buffer holds 0x00RRGGBB words in this machine's order; Xlib swaps where the
    // server's order differs.
    if (direct_)
        direct_->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
}

ImageOutput::~ImageOutput() {
    if (direct_) {
        direct_->data = nullptr;  // the pixels belong to the buffer
        XDestroyImage(direct_);
    }
}

void ImageOutput::put(Drawable target, GC gc, const Rect& area) {
    const Rect r = area.intersect(pixels_.bounds());
    if (r.empty()) return;
    if (!direct_) {
        put_converted(target, gc, r);
        return;
    }
    XPutImage(display_, target, gc, direct_, r.left, r.top, r.left, r.top,
              static_cast<unsigned>(r.width()), static_cast<unsigned>(r.height()));
}

void ImageOutput::put_converted(Drawable target, GC gc, const Rect& r) {
    XImage* image =
        XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr,
                     static_cast<unsigned>(r.width()), static_cast<unsigned>(r.height()), 32, 0);
    if (!image) return;
    image->data = static_cast<char*>(
        std::malloc(static_cast<std::size_t>(image->bytes_per_line) * r.height()));
    if (!image->data) {
        XDestroyImage(image);
        return;
    }
    const bool true_colour = visual_->c_class == TrueColor || visual_->c_class == DirectColor;
    for (int y = 0; y < r.height(); ++y) {
        for (int x = 0; x < r.width(); ++x) {
            const Rgb c = pixels_.rgb_at(r.left + x, r.top + y);
            unsigned long value = 0;
            if (true_colour) {
                value = channel(c.r, visual_->red_mask) | channel(c.g, visual_->green_mask) |
                        channel(c.b, visual_->blue_mask);
            } else {
                // Without a true-colour visual only black and white are sure to exist.
                const unsigned grey = (c.r * 30u + c.g * 59u + c.b * 11u) / 100u;
                value = grey >= 128 ? WhitePixel(display_, DefaultScreen(display_))
                                    : BlackPixel(display_, DefaultScreen(display_));
            }
            XPutPixel(image, x, y, value);
        }
    }
    XPutImage(display_, target, gc, image, 0, 0, r.left, r.top, static_cast<unsigned>(r.width()),
              static_cast<unsigned>(r.height()));
    XDestroyImage(image);
}

}  // namespace toolkit::x11
