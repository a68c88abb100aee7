#include "raster.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace artgen {

Color mix(Color a, Color b, float t) {
    return a + (b - a) * t;
}

float clamp01(float v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

float smoothstep(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

std::vector<Vec2> rect_contour(float x0, float y0, float x1, float y1) {
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

std::vector<Vec2> rounded_rect_contour(float x0, float y0, float x1, float y1, float radius) {
    constexpr int kSteps = 10;
    constexpr float kPi = std::numbers::pi_v<float>;
    radius = std::min({radius, (x1 - x0) / 2, (y1 - y0) / 2});
    const Vec2 centres[4] = {{x1 - radius, y0 + radius},
                             {x1 - radius, y1 - radius},
                             {x0 + radius, y1 - radius},
                             {x0 + radius, y0 + radius}};
    std::vector<Vec2> out;
    for (int c = 0; c < 4; ++c) {
        for (int i = 0; i <= kSteps; ++i) {
            float a = (static_cast<float>(c) - 1 + static_cast<float>(i) / kSteps) * kPi / 2;
            out.push_back(
                {centres[c].x + radius * std::cos(a), centres[c].y + radius * std::sin(a)});
        }
    }
    return out;
}

std::vector<Vec2> ellipse_contour(float cx, float cy, float rx, float ry) {
    constexpr int kSteps = 64;
    std::vector<Vec2> out;
    for (int i = 0; i < kSteps; ++i) {
        float a = 2 * std::numbers::pi_v<float> * static_cast<float>(i) / kSteps;
        out.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
    }
    return out;
}

Path polygon(std::vector<Vec2> points) {
    return Path{{std::move(points)}};
}

Mask rasterize(const std::vector<Path>& shape, int width, int height) {
    constexpr int kSub = 5;
    Mask out(width, height);
    std::vector<float> crossings;
    std::vector<std::pair<float, float>> spans;
    for (int y = 0; y < height; ++y) {
        for (int s = 0; s < kSub; ++s) {
            const float sy = static_cast<float>(y) + (static_cast<float>(s) + 0.5f) / kSub;
            spans.clear();
            for (const Path& path : shape) {
                crossings.clear();
                for (const auto& contour : path.contours) {
                    const size_t n = contour.size();
                    for (size_t i = 0; i < n; ++i) {
                        Vec2 a = contour[i];
                        Vec2 b = contour[(i + 1) % n];
                        if ((a.y <= sy && b.y > sy) || (b.y <= sy && a.y > sy)) {
                            crossings.push_back(a.x + (sy - a.y) / (b.y - a.y) * (b.x - a.x));
                        }
                    }
                }
                std::sort(crossings.begin(), crossings.end());
                for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
                    spans.emplace_back(crossings[i], crossings[i + 1]);
                }
            }
            if (spans.empty()) continue;
            std::sort(spans.begin(), spans.end());
            // Merge overlapping spans so that the union counts once.
            std::vector<std::pair<float, float>> merged;
            for (auto sp : spans) {
                if (!merged.empty() && sp.first <= merged.back().second) {
                    merged.back().second = std::max(merged.back().second, sp.second);
                } else {
                    merged.push_back(sp);
                }
            }
            for (auto [a, b] : merged) {
                a = std::clamp(a, 0.0f, static_cast<float>(width));
                b = std::clamp(b, 0.0f, static_cast<float>(width));
                if (b <= a) continue;
                int xa = static_cast<int>(a);
                int xb = std::min(static_cast<int>(b), width - 1);
                for (int x = xa; x <= xb; ++x) {
                    float lo = std::max(a, static_cast<float>(x));
                    float hi = std::min(b, static_cast<float>(x + 1));
                    if (hi > lo) out.at(x, y) += (hi - lo) / kSub;
                }
            }
        }
    }
    for (float& v : out.data()) v = clamp01(v);
    return out;
}

namespace {

template <typename T>
void box_pass(Grid<T>& img, int radius, bool horizontal) {
    if (radius <= 0) return;
    const int len = horizontal ? img.width() : img.height();
    const int lines = horizontal ? img.height() : img.width();
    std::vector<T> line(static_cast<size_t>(len));
    const float norm = 1.0f / static_cast<float>(2 * radius + 1);
    for (int l = 0; l < lines; ++l) {
        auto get = [&](int i) -> const T& {
            return horizontal ? img.clamped(i, l) : img.clamped(l, i);
        };
        T sum{};
        for (int i = -radius; i <= radius; ++i) sum = sum + get(i);
        for (int i = 0; i < len; ++i) {
            line[static_cast<size_t>(i)] = sum * norm;
            sum = sum + get(i + radius + 1) - get(i - radius);
        }
        for (int i = 0; i < len; ++i) {
            (horizontal ? img.at(i, l) : img.at(l, i)) = line[static_cast<size_t>(i)];
        }
    }
}

template <typename T>
Grid<T> blur_grid(const Grid<T>& src, float sigma) {
    // Three box passes approximate a Gaussian of this sigma.
    const float ideal = std::sqrt(4 * sigma * sigma + 1);
    const int radius = static_cast<int>((ideal - 1) / 2 + 0.5f);
    Grid<T> out = src;
    for (int pass = 0; pass < 3; ++pass) {
        box_pass(out, radius, true);
        box_pass(out, radius, false);
    }
    return out;
}

}  // namespace

Image blur(const Image& src, float radius) {
    return blur_grid(src, radius);
}
Mask blur(const Mask& src, float radius) {
    return blur_grid(src, radius);
}

void paint(Image& dst, const Mask& mask, Color color, float opacity) {
    for (int y = 0; y < dst.height(); ++y) {
        for (int x = 0; x < dst.width(); ++x) {
            float a = mask.at(x, y) * opacity;
            if (a > 0) dst.at(x, y) = mix(dst.at(x, y), color, a);
        }
    }
}

namespace {

// Calls fn(pixel, squared distance from its centre to segment ab) for every pixel of
// `dst` within `reach` of the segment.
template <typename Fn>
void near_segment(Image& dst, Vec2 a, Vec2 b, float reach, Fn&& fn) {
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min(a.x, b.x) - reach)));
    const int x1 =
        std::min(dst.width() - 1, static_cast<int>(std::ceil(std::max(a.x, b.x) + reach)));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - reach)));
    const int y1 =
        std::min(dst.height() - 1, static_cast<int>(std::ceil(std::max(a.y, b.y) + reach)));
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float len2 = dx * dx + dy * dy;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            float px = static_cast<float>(x) + 0.5f - a.x, py = static_cast<float>(y) + 0.5f - a.y;
            float t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f) : 0.0f;
            float ex = px - t * dx, ey = py - t * dy;
            fn(dst.at(x, y), ex * ex + ey * ey);
        }
    }
}

}  // namespace

void light_segment(Image& dst, Vec2 a, Vec2 b, float width, Color peak) {
    near_segment(dst, a, b, 3 * width + 1, [&](Color& c, float d2) {
        d2 /= width * width;
        if (d2 < 9) c += peak * std::exp(-d2);
    });
}

void draw_line(Image& dst, Vec2 a, Vec2 b, float width, Color color, float opacity) {
    // A line thinner than a pixel is drawn a pixel wide and fainter.
    const float w = std::max(width, 1.0f);
    near_segment(dst, a, b, w / 2 + 1, [&](Color& c, float d2) {
        const float cov = clamp01(w / 2 - std::sqrt(d2) + 0.5f) * (width / w);
        if (cov > 0) c = mix(c, color, cov * opacity);
    });
}

Image blur_vertical(const Image& src, float radius) {
    const float ideal = std::sqrt(4 * radius * radius + 1);
    const int box = static_cast<int>((ideal - 1) / 2 + 0.5f);
    Image out = src;
    for (int pass = 0; pass < 3; ++pass) box_pass(out, box, false);
    return out;
}

void light_spot(Image& dst, Vec2 centre, float radius, Color peak) {
    light_segment(dst, centre, centre, radius, peak);
}

std::uint64_t Random::next() {
    // splitmix64
    std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

float Random::uniform() {
    return static_cast<float>(next() >> 40) / static_cast<float>(1ull << 24);
}

float hash01(int x, int y, std::uint32_t salt) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 0x8DA6B343u ^
                      static_cast<std::uint32_t>(y) * 0xD8163841u ^ salt * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0x1000000);
}

float value_noise(float x, float y, std::uint32_t salt) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const float tx = smoothstep(0, 1, x - fx), ty = smoothstep(0, 1, y - fy);
    const float a = hash01(ix, iy, salt), b = hash01(ix + 1, iy, salt);
    const float c = hash01(ix, iy + 1, salt), d = hash01(ix + 1, iy + 1, salt);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float fbm(float x, float y, std::uint32_t salt, int octaves) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * value_noise(x, y, salt + static_cast<std::uint32_t>(o) * 101u);
        norm += amp;
        amp *= 0.5f;
        x *= 2.03f;
        y *= 2.03f;
    }
    return sum / norm;
}

}  // namespace artgen
