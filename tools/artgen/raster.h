// A small floating-point rasteriser for the procedural art: images, coverage masks,
// anti-aliased polygon filling, blurs and noise. Everything is deterministic.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace artgen {

struct Color {
    float r = 0, g = 0, b = 0;
    Color operator+(Color o) const { return {r + o.r, g + o.g, b + o.b}; }
    Color operator-(Color o) const { return {r - o.r, g - o.g, b - o.b}; }
    Color operator*(float k) const { return {r * k, g * k, b * k}; }
    Color operator*(Color o) const { return {r * o.r, g * o.g, b * o.b}; }
    Color& operator+=(Color o) { return *this = *this + o; }
    float luma() const { return 0.299f * r + 0.587f * g + 0.114f * b; }
};

// Colour from 8-bit components, in the 0..1 range.
constexpr Color rgb(int r, int g, int b) {
    return {static_cast<float>(r) / 255.0f, static_cast<float>(g) / 255.0f,
            static_cast<float>(b) / 255.0f};
}
Color mix(Color a, Color b, float t);
float clamp01(float v);
float smoothstep(float e0, float e1, float x);

struct Vec2 {
    float x = 0, y = 0;
};

// One filled area: its contours are combined by the even-odd rule, so a second
// contour inside the first cuts a hole.
struct Path {
    std::vector<std::vector<Vec2>> contours;
};

std::vector<Vec2> rect_contour(float x0, float y0, float x1, float y1);
std::vector<Vec2> rounded_rect_contour(float x0, float y0, float x1, float y1, float radius);
std::vector<Vec2> ellipse_contour(float cx, float cy, float rx, float ry);
Path polygon(std::vector<Vec2> points);

template <typename T>
class Grid {
  public:
    Grid() = default;
    Grid(int width, int height, T fill = T{})
        : w_(width), h_(height), v_(static_cast<size_t>(width) * height, fill) {}
    int width() const { return w_; }
    int height() const { return h_; }
    T& at(int x, int y) { return v_[static_cast<size_t>(y) * w_ + x]; }
    const T& at(int x, int y) const { return v_[static_cast<size_t>(y) * w_ + x]; }
    // Clamped read, for filters that look past the edges.
    const T& clamped(int x, int y) const {
        x = x < 0 ? 0 : (x >= w_ ? w_ - 1 : x);
        y = y < 0 ? 0 : (y >= h_ ? h_ - 1 : y);
        return at(x, y);
    }
    std::vector<T>& data() { return v_; }

  private:
    int w_ = 0, h_ = 0;
    std::vector<T> v_;
};

using Image = Grid<Color>;
using Mask = Grid<float>;

// Coverage (0..1) of the union of the paths, with exact horizontal coverage on
// several sub-scanlines per row.
Mask rasterize(const std::vector<Path>& shape, int width, int height);

// Gaussian-like blur: three box passes each way.
Image blur(const Image& src, float radius);
Mask blur(const Mask& src, float radius);

// Paints `color` over `dst` where `mask` covers it.
void paint(Image& dst, const Mask& mask, Color color, float opacity = 1.0f);

// Draws an opaque anti-aliased line of the given width.
void draw_line(Image& dst, Vec2 a, Vec2 b, float width, Color color, float opacity = 1.0f);
// Blurs along columns only, as light smeared on a wet road.
Image blur_vertical(const Image& src, float radius);

// Adds a soft line of light from a to b: a Gaussian cross-section of the given
// width (pixels, to the 1/e point) and peak colour.
void light_segment(Image& dst, Vec2 a, Vec2 b, float width, Color peak);
// Adds a round glow: peak colour at the centre, Gaussian falloff of the given radius.
void light_spot(Image& dst, Vec2 centre, float radius, Color peak);

// Deterministic pseudo-random numbers and smooth value noise.
class Random {
  public:
    explicit Random(std::uint64_t start) : s_(start) {}
    std::uint64_t next();
    float uniform();  // [0, 1)
    float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }

  private:
    std::uint64_t s_;
};
float hash01(int x, int y, std::uint32_t salt);
float value_noise(float x, float y, std::uint32_t salt);
float fbm(float x, float y, std::uint32_t salt, int octaves);

}  // namespace artgen
