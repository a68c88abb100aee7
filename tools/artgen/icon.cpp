#include "icon.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "raster.h"

namespace artgen {
namespace {

const Color kAmber = rgb(240, 155, 20);
const Color kCream = rgb(251, 230, 195);

// The mark's "V": stroke width `w` at the top, a foot `2b` wide, the notch `n` above the foot.
Path v_shape(float x, float y, float h, float slant, float w, float b, float n) {
    const float k = h / 10;
    auto at = [&](float px, float py) {
        return Vec2{x + (px + (10 - py) * slant) * k, y + py * k};
    };
    return polygon({at(0, 0), at(w, 0), at(4.2f, 10 - n), at(8.4f - w, 0), at(8.4f, 0),
                    at(4.2f + b, 10), at(4.2f - b, 10)});
}

Color face_gradient(float t) {
    // The buttons' face: light brown at the top to dark brown at the bottom.
    return mix(rgb(100, 87, 68), rgb(52, 45, 35), clamp01(t));
}

Color v_gradient(float t) {
    if (t < 0.5f) return mix(rgb(255, 246, 228), rgb(251, 208, 140), t / 0.5f);
    return mix(rgb(246, 162, 26), rgb(196, 98, 12), (t - 0.5f) / 0.5f);
}

}  // namespace

Rgba render_icon(int size) {
    const float s = static_cast<float>(size);
    const bool tiny = size <= 24;
    const float margin = tiny ? 0 : std::round(s * 0.03f);
    const float radius = s * (tiny ? 0.14f : 0.17f);
    const float ring = std::max(1.0f, std::round(s * 0.035f));

    const Mask tile = rasterize(
        {Path{{rounded_rect_contour(margin, margin, s - margin, s - margin, radius)}}}, size, size);
    const Mask inner =
        rasterize({Path{{rounded_rect_contour(margin + ring, margin + ring, s - margin - ring,
                                              s - margin - ring, std::max(0.0f, radius - ring))}}},
                  size, size);

    // The V, bolder at small sizes so that it still reads at 16 pixels.
    const float vh = s * (tiny ? 0.66f : 0.56f);
    const float slant = tiny ? 0.12f : 0.2f;
    const float vw = (8.4f + 10 * slant) * vh / 10;
    const float vx = (s - vw) / 2 + (tiny ? 0 : s * 0.04f), vy = (s - vh) / 2 + s * 0.01f;
    const Path v = tiny ? v_shape(vx, vy, vh, slant, 3.3f, 1.9f, 2.6f)
                        : v_shape(vx, vy, vh, slant, 2.6f, 1.4f, 3.5f);
    const Mask vmask = rasterize({v}, size, size);
    const Mask outline = blur(vmask, std::max(0.6f, s * 0.018f));
    const Mask halo = blur(vmask, s * 0.12f);

    // Speed lines trailing off to the left of the V.
    std::vector<Path> lines;
    if (!tiny) {
        const float lw = std::max(1.5f, s * 0.028f);
        const float rows[] = {0.40f, 0.50f, 0.60f};
        const float lengths[] = {0.16f, 0.22f, 0.12f};
        for (int i = 0; i < 3; ++i) {
            const float y = s * rows[i];
            // The line ends where the V's left edge passes at this height.
            const float t = (y - vy) / vh;
            const float edge = vx + ((4.2f - 1.4f) * t + (10 - 10 * t) * slant) * vh / 10;
            const float x1 = edge - s * 0.035f, x0 = x1 - s * lengths[i];
            lines.push_back(polygon({{x0, y - lw / 2},
                                     {x1, y - lw / 2},
                                     {x1 - lw * 0.6f, y + lw / 2},
                                     {x0, y + lw / 2}}));
        }
    }
    const Mask speed = rasterize(lines, size, size);

    Rgba out;
    out.size = size;
    out.pixels.resize(static_cast<size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y) {
        const float py = static_cast<float>(y) + 0.5f;
        for (int x = 0; x < size; ++x) {
            Color c = face_gradient((py - margin) / (s - 2 * margin));
            c += kAmber * (halo.at(x, y) * 0.5f);
            // The hot ring of a button: amber at the bottom shading to cream at the top.
            const Color rim = mix(kCream, kAmber, clamp01((py - margin) / (s - 2 * margin)));
            c = mix(rim, c, inner.at(x, y));
            c = mix(c, kAmber, speed.at(x, y) * 0.9f);
            c = mix(c, rgb(26, 20, 14), clamp01(outline.at(x, y) * 2.4f) * (tiny ? 0.7f : 1.0f));
            const float t = (py - vy) / vh;
            c = mix(c, tiny ? mix(rgb(255, 220, 150), kAmber, clamp01(t)) : v_gradient(clamp01(t)),
                    vmask.at(x, y));
            const float a = tile.at(x, y);
            auto* p = &out.pixels[(static_cast<size_t>(y) * size + x) * 4];
            const float channels[3] = {c.r, c.g, c.b};
            for (int i = 0; i < 3; ++i)
                p[i] = static_cast<std::uint8_t>(clamp01(channels[i]) * 255 + 0.5f);
            p[3] = static_cast<std::uint8_t>(a * 255 + 0.5f);
        }
    }
    return out;
}

namespace {

struct Box {
    std::vector<std::array<std::uint8_t, 3>> colors;
};

// Median cut: split the box with the widest spread of colours until there are `count`.
std::vector<std::array<std::uint8_t, 3>> median_cut(std::vector<std::array<std::uint8_t, 3>> colors,
                                                    size_t count) {
    std::vector<Box> boxes;
    if (!colors.empty()) boxes.push_back({std::move(colors)});
    auto spread = [](const Box& b, int& axis) {
        int best = -1;
        for (int a = 0; a < 3; ++a) {
            int lo = 255, hi = 0;
            for (const auto& c : b.colors) {
                lo = std::min<int>(lo, c[a]);
                hi = std::max<int>(hi, c[a]);
            }
            if (hi - lo > best) {
                best = hi - lo;
                axis = a;
            }
        }
        return best;
    };
    while (boxes.size() < count) {
        size_t pick = boxes.size();
        long best = 0;
        int axis = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            int a = 0;
            const long score =
                static_cast<long>(spread(boxes[i], a)) *
                static_cast<long>(std::sqrt(static_cast<double>(boxes[i].colors.size())));
            if (boxes[i].colors.size() > 1 && score > best) {
                best = score;
                pick = i;
                axis = a;
            }
        }
        if (pick == boxes.size()) break;
        auto& cs = boxes[pick].colors;
        std::sort(cs.begin(), cs.end(), [axis](const auto& l, const auto& r) {
            return l[axis] != r[axis] ? l[axis] < r[axis] : l < r;
        });
        Box upper{{cs.begin() + static_cast<long>(cs.size() / 2), cs.end()}};
        cs.resize(cs.size() / 2);
        boxes.push_back(std::move(upper));
    }
    std::vector<std::array<std::uint8_t, 3>> palette;
    for (const Box& b : boxes) {
        long sum[3] = {0, 0, 0};
        for (const auto& c : b.colors) {
            for (int a = 0; a < 3; ++a) sum[a] += c[a];
        }
        const long n = static_cast<long>(b.colors.size());
        palette.push_back({static_cast<std::uint8_t>((sum[0] + n / 2) / n),
                           static_cast<std::uint8_t>((sum[1] + n / 2) / n),
                           static_cast<std::uint8_t>((sum[2] + n / 2) / n)});
    }
    return palette;
}

void put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

size_t row_bytes(int bits) {
    return static_cast<size_t>((bits + 31) / 32 * 4);
}

bool opaque(const Rgba& img, int x, int y) {
    return img.pixels[(static_cast<size_t>(y) * img.size + x) * 4 + 3] >= 128;
}

// A BITMAPINFOHEADER image of the icon format: the colour bitmap, then the AND mask
// (set where the desktop shows through), both bottom-up, height counted twice.
std::vector<std::uint8_t> icon_bitmap(const Rgba& img, int bpp) {
    const int n = img.size;
    std::vector<std::uint8_t> out;
    const size_t xor_size = row_bytes(n * bpp) * static_cast<size_t>(n);
    const size_t and_size = row_bytes(n) * static_cast<size_t>(n);
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(n));
    put32(out, static_cast<std::uint32_t>(2 * n));
    put16(out, 1);
    put16(out, static_cast<unsigned>(bpp));
    put32(out, 0);  // BI_RGB
    put32(out, static_cast<std::uint32_t>(xor_size + and_size));
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    if (bpp == 32) {
        for (int y = n - 1; y >= 0; --y) {
            for (int x = 0; x < n; ++x) {
                const auto* p = &img.pixels[(static_cast<size_t>(y) * n + x) * 4];
                // Fully transparent pixels are stored black, as the AND mask expects.
                const bool clear = p[3] == 0;
                out.push_back(clear ? 0 : p[2]);
                out.push_back(clear ? 0 : p[1]);
                out.push_back(clear ? 0 : p[0]);
                out.push_back(p[3]);
            }
        }
    } else {
        // Entry 0 is black for the transparent pixels; the rest come from median cut.
        std::vector<std::array<std::uint8_t, 3>> colors;
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                if (!opaque(img, x, y)) continue;
                const auto* p = &img.pixels[(static_cast<size_t>(y) * n + x) * 4];
                colors.push_back({p[0], p[1], p[2]});
            }
        }
        auto palette = median_cut(std::move(colors), 255);
        palette.insert(palette.begin(), {0, 0, 0});
        palette.resize(256, {0, 0, 0});
        for (const auto& c : palette) {
            out.insert(out.end(), {c[2], c[1], c[0], 0});
        }
        const size_t pad = row_bytes(n * 8) - static_cast<size_t>(n);
        for (int y = n - 1; y >= 0; --y) {
            for (int x = 0; x < n; ++x) {
                std::uint8_t index = 0;
                if (opaque(img, x, y)) {
                    const auto* p = &img.pixels[(static_cast<size_t>(y) * n + x) * 4];
                    int best = 1 << 30;
                    for (size_t i = 1; i < palette.size(); ++i) {
                        const int dr = palette[i][0] - p[0], dg = palette[i][1] - p[1],
                                  db = palette[i][2] - p[2];
                        const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
                        if (d < best) {
                            best = d;
                            index = static_cast<std::uint8_t>(i);
                        }
                    }
                }
                out.push_back(index);
            }
            out.insert(out.end(), pad, 0);
        }
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(row_bytes(n), 0);
        for (int x = 0; x < n; ++x) {
            if (!opaque(img, x, y))
                row[static_cast<size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> build_icon_file() {
    constexpr int kSizes[] = {256, 48, 32, 24, 16};
    std::vector<std::pair<int, Rgba>> order;  // bpp and image, in directory order
    std::vector<Rgba> rendered;
    for (int s : kSizes) rendered.push_back(render_icon(s));
    for (int bpp : {8, 32}) {
        for (const Rgba& r : rendered) order.emplace_back(bpp, r);
    }
    std::vector<std::vector<std::uint8_t>> images;
    for (const auto& [bpp, img] : order) images.push_back(icon_bitmap(img, bpp));

    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, 1);  // icon
    put16(out, static_cast<unsigned>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const int n = order[i].second.size;
        out.push_back(static_cast<std::uint8_t>(n == 256 ? 0 : n));
        out.push_back(static_cast<std::uint8_t>(n == 256 ? 0 : n));
        out.push_back(0);  // colour count: 0 for 256 colours and more
        out.push_back(0);
        put16(out, 1);
        put16(out, static_cast<unsigned>(order[i].first));
        put32(out, static_cast<std::uint32_t>(images[i].size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& img : images) out.insert(out.end(), img.begin(), img.end());
    return out;
}

void write_icon(const std::string& path) {
    const std::vector<std::uint8_t> bytes = build_icon_file();
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
        std::fflush(file.get()) != 0) {
        throw std::runtime_error("cannot write " + path);
    }
}

}  // namespace artgen
