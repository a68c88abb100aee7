#include "toolkit/win32/back_buffer.h"

#include <stdexcept>

namespace toolkit::win32 {

HBITMAP create_top_down_dib(int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

BackBuffer::BackBuffer(int width, int height) {
    void* bits = nullptr;
    bitmap_ = create_top_down_dib(width, height, &bits);
    if (!bitmap_) throw std::runtime_error("Out of system resources");
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_) {
        DeleteObject(bitmap_);
        throw std::runtime_error("Out of system resources");
    }
    old_bitmap_ = SelectObject(dc_, bitmap_);
    pixels_ = std::make_unique<PixelBuffer>(static_cast<Pixel*>(bits), width, height, width);
}

BackBuffer::~BackBuffer() {
    pixels_.reset();
    SelectObject(dc_, old_bitmap_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
}

}  // namespace toolkit::win32
