// Sends rectangles of a pixel buffer to a window. On the usual 24-bit TrueColor visual the
// buffer's own memory is the image; other visuals get each rectangle converted.
#pragma once

#include "toolkit/core/pixel_buffer.h"
#include "toolkit/x11/xlib.h"

namespace toolkit::x11 {

class ImageOutput {
  public:
    ImageOutput(Display* display, Visual* visual, int depth, PixelBuffer& pixels);
    ~ImageOutput();
    ImageOutput(const ImageOutput&) = delete;
    ImageOutput& operator=(const ImageOutput&) = delete;

    void put(Drawable target, GC gc, const Rect& area);

  private:
    void put_converted(Drawable target, GC gc, const Rect& area);

    Display* display_;
    Visual* visual_;
    int depth_;
    PixelBuffer& pixels_;
    XImage* direct_ = nullptr;
};

}  // namespace toolkit::x11
