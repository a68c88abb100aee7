// Points, rectangles and colours shared by the toolkit and its backends.
#pragma once

#include <algorithm>
#include <cstdint>

namespace toolkit {

struct Point {
    int x = 0;
    int y = 0;
    friend constexpr bool operator==(Point, Point) = default;
};

struct Size {
    int width = 0;
    int height = 0;
    friend constexpr bool operator==(Size, Size) = default;
};

// Right and bottom are exclusive, as in a Windows RECT.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static constexpr Rect from_size(int left, int top, int width, int height) {
        return {left, top, left + width, top + height};
    }
    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr bool empty() const { return right <= left || bottom <= top; }
    constexpr bool contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    constexpr Rect intersect(const Rect& o) const {
        Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
               std::min(bottom, o.bottom)};
        return r.empty() ? Rect{} : r;
    }
    constexpr Rect unite(const Rect& o) const {
        if (empty()) return o;
        if (o.empty()) return *this;
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
                std::max(bottom, o.bottom)};
    }
    constexpr Rect offset(int dx, int dy) const {
        return {left + dx, top + dy, right + dx, bottom + dy};
    }
    constexpr Rect inset(int d) const { return {left + d, top + d, right - d, bottom - d}; }
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// A pixel is 0x00RRGGBB: the memory layout of a 32-bit top-down Windows DIB and of a
// 24-bit-depth TrueColor X image on a little-endian machine.
using Pixel = std::uint32_t;

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    constexpr Pixel pixel() const { return (Pixel{r} << 16) | (Pixel{g} << 8) | Pixel{b}; }
    static constexpr Rgb from_pixel(Pixel p) {
        return {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                static_cast<std::uint8_t>(p)};
    }
    // A colour value of the window description keeps red in its lowest byte.
    static constexpr Rgb from_color_value(std::uint32_t v) {
        return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                static_cast<std::uint8_t>(v >> 16)};
    }
    friend constexpr bool operator==(Rgb, Rgb) = default;
};

}  // namespace toolkit
