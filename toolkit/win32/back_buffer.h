// The client area's pixels: a top-down 32-bit DIB section with the core's pixel buffer laid
// over its bits, so the toolkit and GDI draw on the same memory and a paint is one blit.
#pragma once

#include <windows.h>

#include <memory>

#include "toolkit/core/pixel_buffer.h"

namespace toolkit::win32 {

// A 32-bit DIB section with its top row first, like a pixel buffer; `bits` gets its memory.
// Null where the system has no memory for it.
HBITMAP create_top_down_dib(int width, int height, void** bits);

class BackBuffer {
  public:
    // Throws where the system has no memory for it.
    BackBuffer(int width, int height);
    ~BackBuffer();
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;

    PixelBuffer& pixels() { return *pixels_; }
    // A memory DC with the DIB section selected.
    HDC dc() const { return dc_; }

  private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_bitmap_ = nullptr;
    std::unique_ptr<PixelBuffer> pixels_;
};

}  // namespace toolkit::win32
