// A 32-bit pixel surface: the client area is composed here and then handed to the window
// system whole or in rectangles.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "geometry.h"

namespace toolkit {

// A decoded picture, top row first.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;
};

// Where a painter may write: a rectangle less the rectangles of the controls in front.
class ClipRegion {
  public:
    explicit ClipRegion(Rect bounds) : bounds_(bounds) {}
    void exclude(const Rect& r) {
        if (!r.intersect(bounds_).empty()) holes_.push_back(r);
    }
    const Rect& bounds() const { return bounds_; }
    bool contains(Point p) const {
        if (!bounds_.contains(p)) return false;
        for (const Rect& h : holes_)
            if (h.contains(p)) return false;
        return true;
    }
    ClipRegion narrowed(const Rect& r) const {
        ClipRegion c(bounds_.intersect(r));
        c.holes_ = holes_;
        return c;
    }
    std::span<const Rect> holes() const { return holes_; }

  private:
    Rect bounds_;
    std::vector<Rect> holes_;
};

class PixelBuffer {
  public:
    // Owns its pixels.
    PixelBuffer(int width, int height);
    // Works on pixels owned elsewhere, such as the bits of a DIB section; stride in pixels.
    PixelBuffer(Pixel* pixels, int width, int height, int stride);

    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    int stride() const { return stride_; }
    Rect bounds() const { return {0, 0, width_, height_}; }
    Pixel* row(int y) { return pixels_ + static_cast<std::ptrdiff_t>(y) * stride_; }
    const Pixel* row(int y) const { return pixels_ + static_cast<std::ptrdiff_t>(y) * stride_; }
    Pixel at(int x, int y) const { return row(y)[x]; }
    Rgb rgb_at(int x, int y) const { return Rgb::from_pixel(at(x, y)); }

    void fill(const Rect& area, Pixel colour);
    void fill(const ClipRegion& clip, const Rect& area, Pixel colour);
    void set(const ClipRegion& clip, int x, int y, Pixel colour) {
        if (clip.contains({x, y})) row(y)[x] = colour;
    }
    // Copies the picture with its top-left corner at `at`, only inside `clip`.
    void blit(const Bitmap& picture, Point at, const Rect& clip);
    // Lays `colour` over the pixels by an 8-bit coverage mask (0 = untouched, 255 = solid),
    // as text renderers produce it; `coverage` has `mask_width` bytes a row.
    void blend_coverage(const ClipRegion& clip, Point at, const std::uint8_t* coverage,
                        int mask_width, int mask_height, int mask_pitch, Rgb colour);

    // How many pixels the writes above have touched since the last reset: lets tests and
    // benchmarks see what a repaint cost.
    std::size_t pixels_written() const { return written_; }
    void reset_pixels_written() { written_ = 0; }

  private:
    std::vector<Pixel> owned_;
    Pixel* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    std::size_t written_ = 0;
};

}  // namespace toolkit
