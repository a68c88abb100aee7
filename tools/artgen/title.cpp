#include "title.h"

#include <algorithm>
#include <cmath>

#include "logo.h"
#include "raster.h"

namespace artgen {
namespace {

constexpr int W = kTitleWidth;
constexpr int H = kTitleHeight;

// The buttons' palette: warm amber light on dark brown.
const Color kAmber = rgb(240, 155, 20);
const Color kCream = rgb(251, 230, 195);
const Color kSodium = rgb(255, 160, 55);
const Color kTail = {1.0f, 0.2f, 0.035f};

// A pinhole camera at eye height over the right-hand edge of the road, looking down it.
struct Camera {
    float horizon = 252;  // screen row of the horizon
    float centre = 340;   // screen column where the near road vanishes
    float focal = 520;    // pixels per unit of lateral offset over depth
    float height = 1.0f;  // metres above the road
};
constexpr Camera kCam;

// The road bends gently to the right in the distance: lateral offset in metres at depth z.
float bend(float z) {
    constexpr float z0 = 25, z1 = 160, k = 0.00042f;
    if (z <= z0) return 0;
    if (z <= z1) return k * (z - z0) * (z - z0);
    return k * (z1 - z0) * (z1 - z0) + 2 * k * (z1 - z0) * (z - z1);
}

// Screen position of a point `u` metres across the road, `y` metres up, `z` metres ahead.
Vec2 project(float u, float y, float z) {
    return {kCam.centre + kCam.focal * (u + bend(z)) / z,
            kCam.horizon - kCam.focal * (y - kCam.height) / z};
}

// ---- sky and skyline ------------------------------------------------------------------

Color sky(float x, float y) {
    const float t = clamp01(y / kCam.horizon);
    Color c;
    if (t < 0.45f) {
        c = mix(rgb(5, 4, 4), rgb(14, 11, 9), t / 0.45f);
    } else if (t < 0.8f) {
        c = mix(rgb(14, 11, 9), rgb(42, 29, 19), (t - 0.45f) / 0.35f);
    } else {
        c = mix(rgb(42, 29, 19), rgb(112, 68, 30), (t - 0.8f) / 0.2f);
    }
    // Low clouds lit from below by the city.
    const float cloud = smoothstep(0.5f, 0.78f, fbm(x / 230, y / 55, 11, 5)) * (0.2f + 0.8f * t);
    c += rgb(58, 40, 27) * (cloud * (0.4f + t));
    const float gx = (x - kCam.centre - 40) / 300, gy = (kCam.horizon - y) / 70;
    c += rgb(85, 42, 10) * std::exp(-gx * gx - gy * gy);
    return c;
}

struct SkylineLayer {
    Color body;
    float haze;  // how much of the horizon glow shows at the foot of the buildings
    float min_h, max_h, min_w, max_w;
    int cell_w, cell_h, win_w, win_h;
    float lit;   // share of lit windows
    float glow;  // brightness of a lit window
    std::uint32_t salt;
};

void draw_building(Image& img, const SkylineLayer& L, int x0, int x1, int top, int index) {
    const int base = static_cast<int>(kCam.horizon) + 1;
    const Color haze = rgb(105, 64, 30);
    for (int y = std::max(0, top); y < base; ++y) {
        const float fog =
            L.haze * std::pow(smoothstep(static_cast<float>(top) - 20, static_cast<float>(base),
                                         static_cast<float>(y)),
                              1.6f);
        for (int x = std::max(0, x0); x < std::min(W, x1); ++x) {
            Color c = mix(L.body, haze, fog);
            // The edge facing the glow of the city centre catches a little light.
            const bool lit_edge = (static_cast<float>(x1) < kCam.centre) ? x == x1 - 1 : x == x0;
            if (lit_edge) c = c + rgb(14, 9, 5);
            img.at(x, y) = c;
        }
    }
    const auto salt = L.salt + static_cast<std::uint32_t>(index) * 7919u;
    int floor = 0;
    for (int y = top + L.cell_h / 2 + 1; y + L.win_h < base - 1; y += L.cell_h, ++floor) {
        const float floor_share = hash01(index, floor, salt) < 0.7f ? L.lit : L.lit * 0.25f;
        int col = 0;
        for (int x = x0 + (L.cell_w - L.win_w + 1) / 2 + 1; x + L.win_w < x1;
             x += L.cell_w, ++col) {
            if (hash01(col, floor, salt + 1) >= floor_share) continue;
            const Color c = mix(kAmber, kCream, hash01(col, floor, salt + 2)) *
                            (L.glow * (0.3f + 0.7f * hash01(col, floor, salt + 3)));
            for (int wy = y; wy < y + L.win_h; ++wy) {
                for (int wx = x; wx < x + L.win_w; ++wx) {
                    if (wx >= 0 && wx < W && wy >= 0) img.at(wx, wy) = c;
                }
            }
        }
    }
}

void draw_skyline(Image& img, const SkylineLayer& L) {
    Random rnd(L.salt);
    float x = -rnd.range(0, L.max_w);
    int index = 0;
    while (x < static_cast<float>(W)) {
        const float w = rnd.range(L.min_w, L.max_w);
        const float r = rnd.uniform();
        const float h = L.min_h + (L.max_h - L.min_h) * r * r * r;
        const int x0 = static_cast<int>(x), x1 = static_cast<int>(x + w);
        const int top = static_cast<int>(kCam.horizon - h);
        draw_building(img, L, x0, x1, top, index);
        if (h > L.max_h * 0.45f && rnd.uniform() < 0.5f) {
            // A narrower crown on a tall building, sometimes with a mast and its light.
            const int inset = static_cast<int>(w * rnd.range(0.15f, 0.3f));
            const int crown = static_cast<int>(rnd.range(6, 16));
            draw_building(img, L, x0 + inset, x1 - inset, top - crown, index + 1000);
            if (rnd.uniform() < 0.6f) {
                const float mx = static_cast<float>(x0 + x1) / 2;
                const float mast = rnd.range(8, 22);
                const float mt = static_cast<float>(top - crown) - mast;
                draw_line(img, {mx, static_cast<float>(top - crown)}, {mx, mt}, 1.0f, L.body);
                light_spot(img, {mx, mt}, 1.3f, Color{1.6f, 0.45f, 0.08f});
                light_spot(img, {mx, mt}, 4.0f, Color{0.12f, 0.04f, 0.01f});
            }
        } else if (rnd.uniform() < 0.18f) {
            // Crown lighting along the roof edge.
            light_segment(img, {static_cast<float>(x0) + 1, static_cast<float>(top) + 0.5f},
                          {static_cast<float>(x1) - 1, static_cast<float>(top) + 0.5f}, 0.9f,
                          kAmber * 0.6f);
        }
        x += w + (rnd.uniform() < 0.2f ? rnd.range(2, 10) : 0);
        ++index;
    }
}

Image render_upper() {
    Image img(W, H);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            img.at(x, y) = sky(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
        }
    }
    // Far to near: paler and smaller first.
    const SkylineLayer layers[] = {
        {rgb(44, 31, 22), 0.65f, 18, 75, 8, 22, 3, 4, 1, 2, 0.45f, 0.55f, 101},
        {rgb(24, 18, 13), 0.45f, 22, 105, 14, 34, 4, 5, 2, 2, 0.35f, 0.8f, 202},
        {rgb(12, 9, 7), 0.25f, 16, 128, 22, 52, 5, 7, 3, 3, 0.28f, 1.0f, 303},
    };
    for (const SkylineLayer& L : layers) draw_skyline(img, L);
    return img;
}

// ---- street lamps and light trails ---------------------------------------------------------

struct Lamp {
    float pole_u, head_u, z;
};
constexpr float kLampHeight = 7.2f;

std::vector<Lamp> lamps() {
    std::vector<Lamp> out;
    for (float z = 30; z < 700; z += 24) {
        out.push_back({2.1f, 0.7f, z});
        out.push_back({-11.2f, -9.6f, z + 12});
    }
    return out;
}

struct Trail {
    float u;       // metres across the road
    float height;  // metres above it
    float phase;   // of its gentle weave
    Color color;
};

const Trail kTrails[] = {
    {-5.3f, 0.78f, 0.0f, kTail},         {-3.9f, 0.78f, 0.0f, kTail},
    {-5.1f, 0.66f, 1.7f, kAmber * 0.9f}, {-3.7f, 0.66f, 1.7f, kAmber * 0.9f},
    {-8.9f, 0.62f, 3.1f, kCream * 0.8f}, {-7.6f, 0.62f, 3.1f, kCream * 0.8f},
};

template <typename Fn>
void trace_trail(const Trail& t, float sign, Fn&& segment) {
    float z = 3.0f;
    auto at = [&](float depth) {
        const float weave = 0.35f * std::sin(depth * 0.045f + t.phase);
        return project(t.u + weave, sign * t.height, depth);
    };
    Vec2 prev = at(z);
    while (z < 900) {
        const float next = z * 1.04f + 0.05f;
        const Vec2 p = at(next);
        segment(prev, p, next);
        prev = p;
        z = next;
    }
}

// ---- the road ------------------------------------------------------------------------------

// Share of [v - dv/2, v + dv/2] that lies in [lo, hi]: a box filter across the pixel.
float band(float v, float dv, float lo, float hi) {
    const float a = std::max(v - dv / 2, lo), b = std::min(v + dv / 2, hi);
    return clamp01((b - a) / dv);
}

// Share of [z - dz/2, z + dz/2] covered by dashes `on` long every `period`.
float dashes(float z, float dz, float on, float period) {
    auto integral = [&](float v) {
        const float k = std::floor(v / period);
        return k * on + std::min(v - k * period, on);
    };
    return clamp01((integral(z + dz / 2) - integral(z - dz / 2)) / dz);
}

struct Surface {
    Color albedo;
    float reflect;
    float sharp;  // 1 where standing water gives a clear mirror image
};

Surface surface_at(float u, float z, float du, float dz) {
    const float detail = 1 / (1 + du * 10);  // texture fades where a pixel spans much road
    const float grain = (value_noise(u * 7, z * 7, 5) - 0.5f) * detail;
    const float patch = fbm(u * 0.6f, z * 0.25f, 9, 3);
    Surface s;
    if (u > 0.3f && u < 0.48f) {  // right kerb
        s = {rgb(46, 42, 36), 0.35f, 0};
    } else if (u >= 0.48f) {  // pavement of square slabs
        const float joints = std::max(band(std::fmod(u - 0.48f, 1.2f), du, 0, 0.04f),
                                      band(std::fmod(z, 1.2f), dz, 0, 0.04f));
        s = {mix(rgb(22, 20, 18), rgb(10, 9, 8), joints * detail) * (1 + grain * 0.3f), 0.5f, 0};
    } else if (u < -9.9f && u > -10.08f) {
        s = {rgb(40, 36, 31), 0.25f, 0};
    } else if (u <= -10.08f) {
        s = {rgb(18, 16, 14) * (1 + grain * 0.3f), 0.25f, 0};
    } else {
        // Asphalt, darker and mirror-like where water stands.
        const float water = smoothstep(0.56f, 0.64f, fbm(u * 0.3f + 3, z * 0.08f, 77, 3));
        Color asphalt = rgb(13, 12, 11) * (1 + grain * 0.6f + (patch - 0.5f) * 0.5f);
        float paint = band(u, du, 0.05f, 0.18f) + band(u, du, -9.82f, -9.7f);
        for (float lane : {-3.1f, -6.5f}) {
            paint += band(u, du, lane - 0.07f, lane + 0.07f) * dashes(z + 2, dz, 3, 9);
        }
        paint = clamp01(paint) * (1 - 0.6f * water);
        asphalt = mix(asphalt, rgb(120, 112, 98), paint * (0.75f + 0.25f * detail));
        s = {asphalt * (1 - 0.5f * water), 0.42f + 0.48f * water - 0.2f * paint, water};
    }
    return s;
}

Color lamp_light(float u, float z, const std::vector<Lamp>& all) {
    Color sum;
    for (const Lamp& l : all) {
        const float du = u - l.head_u, dz = z - l.z;
        const float d2 = (du * du + dz * dz) / (2 * 6.0f * 6.0f);
        if (d2 < 12) sum += kSodium * (0.9f * std::exp(-d2));
    }
    return sum;
}

// ---- the guard rail along the right of the pavement ------------------------------------------

constexpr float kRailU = 3.6f;        // metres right of the camera
constexpr float kRailBottom = 0.52f;  // the beam spans these heights
constexpr float kRailTop = 0.80f;

// Colour of the rail at depth z and height y, or nothing (alpha 0) where it is open.
bool rail_colour(float z, float y, const std::vector<Lamp>& all, Color& out) {
    if (y >= kRailBottom && y <= kRailTop) {
        // A W-section beam: two lit ridges with a dark fold between them.
        const float t = (y - kRailBottom) / (kRailTop - kRailBottom);
        const float a = (t - 0.2f) / 0.13f, b = (t - 0.78f) / 0.13f;
        const float ridges = 0.25f + 0.75f * std::exp(-a * a) + 0.55f * std::exp(-b * b);
        const Color light = rgb(64, 48, 34) + lamp_light(kRailU - 1.5f, z, all) * 0.9f;
        out = rgb(150, 132, 110) * light * ridges;
        if (t > 0.9f) out += kAmber * 0.25f;
        return true;
    }
    const float along = std::fmod(z + 1, 4.0f);
    if (y >= 0 && y < kRailBottom && along < 0.14f) {
        out = rgb(12, 10, 8);
        return true;
    }
    return false;
}

// Depth at which the ray through screen column px meets the rail's vertical plane.
bool rail_depth(float px, float& z) {
    const float dir = (px - kCam.centre) / kCam.focal;
    if (dir <= 0.004f) return false;
    z = kRailU / dir;
    for (int i = 0; i < 8; ++i) z = (kRailU + bend(z)) / dir;
    return z < 1500 && std::abs(dir * z - bend(z) - kRailU) < 0.01f;
}

// The rail seen directly and, where the pavement in front of it is wet, in its mirror image.
void draw_guardrail(Image& img, const std::vector<Lamp>& all) {
    constexpr int kSub = 4;
    for (int y = static_cast<int>(kCam.horizon); y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            Color direct, mirrored;
            float cover = 0, mirror_cover = 0;
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    const float px = static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / kSub;
                    const float py = static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / kSub;
                    float z = 0;
                    if (py <= kCam.horizon || !rail_depth(px, z)) continue;
                    const float ground = kCam.focal * kCam.height / (py - kCam.horizon);
                    const float drop = (py - kCam.horizon) * z / kCam.focal;
                    Color c;
                    if (z < ground) {
                        if (rail_colour(z, kCam.height - drop, all, c)) {
                            direct += c;
                            cover += 1;
                        }
                    } else if (rail_colour(z, drop - kCam.height, all, c)) {
                        mirrored += c;
                        mirror_cover += 1;
                    }
                }
            }
            constexpr float n = kSub * kSub;
            Color& p = img.at(x, y);
            if (mirror_cover > 0)
                p = mix(p, mirrored * (1 / mirror_cover), 0.45f * mirror_cover / n);
            if (cover > 0) p = mix(p, direct * (1 / cover), cover / n);
        }
    }
}

// ---- the car -------------------------------------------------------------------------------

// A low sports car seen from behind, `m` pixels to the metre, standing on `ground`.
struct CarView {
    float cx = 0, ground = 0, m = 0;
    Vec2 at(float x, float y) const { return {cx + x * 0.98f * m, ground - y * m}; }
    std::vector<Vec2> poly(std::initializer_list<Vec2> pts, bool mirror = false) const {
        std::vector<Vec2> out;
        for (Vec2 p : pts) out.push_back(at(mirror ? -p.x : p.x, p.y));
        return out;
    }
};

struct Layer {
    Image color{W, H};
    Mask alpha{W, H};
};

// Paints a shape with a vertical gradient from `top` to `bottom` over its own height.
void fill_shape(Layer& layer, const std::vector<Path>& shape, Color top, Color bottom) {
    float y0 = 1e9f, y1 = -1e9f;
    for (const Path& p : shape) {
        for (const auto& c : p.contours) {
            for (Vec2 v : c) {
                y0 = std::min(y0, v.y);
                y1 = std::max(y1, v.y);
            }
        }
    }
    const Mask cov = rasterize(shape, W, H);
    for (int y = 0; y < H; ++y) {
        const Color c = mix(top, bottom, clamp01((static_cast<float>(y) + 0.5f - y0) / (y1 - y0)));
        for (int x = 0; x < W; ++x) {
            const float a = cov.at(x, y);
            if (a <= 0) continue;
            layer.color.at(x, y) = mix(layer.color.at(x, y), c, a);
            layer.alpha.at(x, y) = std::max(layer.alpha.at(x, y), a);
        }
    }
}

Layer render_car(const CarView& car, Image& lights) {
    Layer L;
    auto both = [&](std::initializer_list<Vec2> pts) {
        return std::vector<Path>{polygon(car.poly(pts)), polygon(car.poly(pts, true))};
    };
    // Tyres.
    fill_shape(L,
               {Path{{rounded_rect_contour(car.at(-0.99f, 0.37f).x, car.at(0, 0.37f).y,
                                           car.at(-0.70f, 0).x, car.at(0, 0).y, 0.06f * car.m)}},
                Path{{rounded_rect_contour(car.at(0.70f, 0.37f).x, car.at(0, 0.37f).y,
                                           car.at(0.99f, 0).x, car.at(0, 0).y, 0.06f * car.m)}}},
               rgb(16, 14, 12), rgb(5, 5, 4));
    // Body: hips flared wider than the cabin, a deck that falls away to the sides.
    fill_shape(L,
               {polygon(car.poly({{-0.90f, 0.09f},
                                  {-0.98f, 0.19f},
                                  {-1.04f, 0.34f},
                                  {-1.05f, 0.46f},
                                  {-1.02f, 0.55f},
                                  {-0.96f, 0.62f},
                                  {-0.86f, 0.675f},
                                  {-0.70f, 0.705f},
                                  {0.0f, 0.72f},
                                  {0.70f, 0.705f},
                                  {0.86f, 0.675f},
                                  {0.96f, 0.62f},
                                  {1.02f, 0.55f},
                                  {1.05f, 0.46f},
                                  {1.04f, 0.34f},
                                  {0.98f, 0.19f},
                                  {0.90f, 0.09f},
                                  {0.55f, 0.075f},
                                  {-0.55f, 0.075f}}))},
               rgb(60, 50, 39), rgb(9, 8, 7));
    // Light from the lamps ahead sliding over the hips.
    for (float s : {-1.0f, 1.0f}) {
        light_segment(L.color, car.at(s * 1.0f, 0.40f), car.at(s * 0.93f, 0.60f), 0.05f * car.m,
                      kAmber * 0.22f);
    }
    // Fastback cabin and its rear window.
    fill_shape(L,
               {polygon(car.poly({{-0.78f, 0.69f},
                                  {-0.63f, 0.92f},
                                  {-0.53f, 1.03f},
                                  {-0.41f, 1.085f},
                                  {0.41f, 1.085f},
                                  {0.53f, 1.03f},
                                  {0.63f, 0.92f},
                                  {0.78f, 0.69f}}))},
               rgb(46, 39, 30), rgb(22, 19, 15));
    fill_shape(L,
               {polygon(car.poly({{-0.64f, 0.75f},
                                  {-0.52f, 0.95f},
                                  {-0.41f, 1.015f},
                                  {0.41f, 1.015f},
                                  {0.52f, 0.95f},
                                  {0.64f, 0.75f}}))},
               rgb(46, 35, 25), rgb(7, 6, 5));
    // Reflections of the street lights sliding across the glass.
    fill_shape(
        L,
        {polygon(car.poly({{-0.30f, 1.015f}, {-0.19f, 1.015f}, {-0.36f, 0.75f}, {-0.48f, 0.75f}})),
         polygon(car.poly({{-0.13f, 1.015f}, {-0.09f, 1.015f}, {-0.26f, 0.75f}, {-0.30f, 0.75f}}))},
        rgb(96, 70, 42), rgb(34, 26, 18));
    // Diffuser with fins, quad exhausts, number plate.
    fill_shape(
        L,
        {polygon(car.poly({{-0.56f, 0.075f}, {0.56f, 0.075f}, {0.50f, 0.26f}, {-0.50f, 0.26f}}))},
        rgb(12, 11, 9), rgb(5, 4, 4));
    for (float fx : {-0.36f, -0.12f, 0.12f, 0.36f}) {
        draw_line(L.color, car.at(fx, 0.09f), car.at(fx * 0.95f, 0.25f), 1.6f, rgb(34, 29, 23));
    }
    for (float ex : {-0.29f, -0.20f, 0.20f, 0.29f}) {
        const Vec2 c = car.at(ex, 0.16f);
        fill_shape(L, {Path{{ellipse_contour(c.x, c.y, 0.042f * car.m, 0.038f * car.m)}}},
                   rgb(86, 74, 60), rgb(40, 34, 27));
        fill_shape(L, {Path{{ellipse_contour(c.x, c.y, 0.03f * car.m, 0.027f * car.m)}}},
                   rgb(4, 3, 3), rgb(30, 14, 4));
    }
    fill_shape(
        L, {polygon(car.poly({{-0.22f, 0.30f}, {0.22f, 0.30f}, {0.22f, 0.42f}, {-0.22f, 0.42f}}))},
        rgb(46, 40, 32), rgb(30, 26, 21));
    // Rear wing on two struts, with end plates.
    fill_shape(L, both({{-0.43f, 0.70f}, {-0.38f, 0.70f}, {-0.38f, 0.87f}, {-0.43f, 0.87f}}),
               rgb(24, 20, 16), rgb(12, 10, 8));
    fill_shape(L,
               {polygon(car.poly({{-0.96f, 0.885f},
                                  {-0.90f, 0.86f},
                                  {0.90f, 0.86f},
                                  {0.96f, 0.885f},
                                  {0.96f, 0.93f},
                                  {-0.96f, 0.93f}}))},
               rgb(62, 52, 40), rgb(14, 12, 10));
    fill_shape(L, both({{-0.99f, 0.78f}, {-0.94f, 0.78f}, {-0.94f, 0.97f}, {-0.99f, 0.95f}}),
               rgb(44, 37, 29), rgb(12, 10, 8));
    // The tail lights: a bar across the whole tail and brighter blocks at its ends.
    const Color hot{3.2f, 1.25f, 0.3f};
    fill_shape(
        L,
        {polygon(car.poly({{-0.90f, 0.545f}, {0.90f, 0.545f}, {0.90f, 0.575f}, {-0.90f, 0.575f}}))},
        hot, hot * 0.8f);
    fill_shape(L, both({{-1.0f, 0.50f}, {-0.72f, 0.51f}, {-0.72f, 0.60f}, {-0.96f, 0.61f}}),
               Color{2.4f, 0.75f, 0.15f}, Color{1.8f, 0.45f, 0.08f});
    fill_shape(L, both({{-0.96f, 0.535f}, {-0.76f, 0.54f}, {-0.76f, 0.58f}, {-0.94f, 0.585f}}),
               Color{4.0f, 2.2f, 0.9f}, Color{3.5f, 1.6f, 0.5f});
    fill_shape(L,
               {polygon(car.poly({{-0.2f, 1.04f}, {0.2f, 1.04f}, {0.2f, 1.06f}, {-0.2f, 1.06f}}))},
               Color{2.0f, 0.5f, 0.1f}, Color{2.0f, 0.5f, 0.1f});
    // Amber rim light from the lamps ahead along roof, shoulders and wing.
    const Color rim = kAmber * 0.55f;
    draw_line(L.color, car.at(-0.53f, 1.03f), car.at(-0.41f, 1.085f), 1.2f, rim);
    draw_line(L.color, car.at(-0.41f, 1.085f), car.at(0.41f, 1.085f), 1.2f, rim * 1.3f);
    draw_line(L.color, car.at(0.41f, 1.085f), car.at(0.53f, 1.03f), 1.2f, rim);
    for (float s : {-1.0f, 1.0f}) {
        draw_line(L.color, car.at(s * 1.02f, 0.55f), car.at(s * 0.96f, 0.62f), 1.3f, rim);
        draw_line(L.color, car.at(s * 0.96f, 0.62f), car.at(s * 0.86f, 0.675f), 1.3f, rim * 0.9f);
        draw_line(L.color, car.at(s * 0.86f, 0.675f), car.at(s * 0.70f, 0.705f), 1.2f, rim * 0.6f);
        draw_line(L.color, car.at(s * 0.96f, 0.93f), car.at(s * 0.15f, 0.93f), 1.0f, rim * 0.7f);
        draw_line(L.color, car.at(s * 0.63f, 0.92f), car.at(s * 0.53f, 1.03f), 1.0f, rim * 0.5f);
    }
    draw_line(L.color, car.at(-0.97f, 0.30f), car.at(0.97f, 0.30f), 1.0f, rgb(66, 52, 36));
    // Glow of the lights in the air around them.
    light_segment(lights, car.at(-0.9f, 0.56f), car.at(0.9f, 0.56f), 5, kTail * 0.35f);
    for (float s : {-1.0f, 1.0f}) {
        light_spot(lights, car.at(s * 0.86f, 0.565f), 10, kTail * 0.35f);
        light_spot(lights, car.at(s * 0.86f, 0.565f), 30, kTail * 0.08f);
        // A faint horizontal flare, as a wide lens draws it.
        const Vec2 c = car.at(s * 0.86f, 0.565f);
        light_segment(lights, {c.x - 110, c.y}, {c.x + 110, c.y}, 1.0f, kTail * 0.18f);
    }
    return L;
}

// ---- finishing -----------------------------------------------------------------------------

float shoulder(float v) {
    // Linear up to 0.8, then rolls off towards 1 so bright lights keep their colour.
    if (v <= 0.8f) return std::max(v, 0.0f);
    return 0.8f + 0.2f * (1 - std::exp(-(v - 0.8f) / 0.2f));
}

void draw_logo(Image& img) {
    LogoPlacement place;
    place.height = 76;
    place.top = 26;
    place.slant = 0.24f;
    const float width = logo_width("VELMORRA", place) + place.slant * place.height;
    place.left = (static_cast<float>(W) - width) / 2;
    const std::vector<Path> paths = logo_paths("VELMORRA", place);
    const Mask cov = rasterize(paths, W, H);

    // Halo, drop shadow and a dark outline first, so the letters stand off the sky.
    const Mask halo = blur(cov, 14);
    const Mask wide = blur(cov, 2.2f);
    std::vector<Path> shadow_paths = paths;
    for (Path& p : shadow_paths) {
        for (auto& c : p.contours) {
            for (Vec2& v : c) v = {v.x + 4, v.y + 5};
        }
    }
    const Mask shadow = blur(rasterize(shadow_paths, W, H), 3);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            Color& c = img.at(x, y);
            c += kAmber * (halo.at(x, y) * 0.45f);
            c = c * (1 - 0.7f * shadow.at(x, y));
            c = mix(c, rgb(24, 18, 12), clamp01(wide.at(x, y) * 2.2f));
        }
    }
    // The face: cream above the midline, hot amber below it, like chrome at dusk.
    const float mid = place.top + place.height * 0.5f;
    for (int y = 0; y < H; ++y) {
        const float py = static_cast<float>(y) + 0.5f;
        Color face;
        if (py < mid) {
            face = mix(rgb(255, 248, 232), rgb(250, 206, 140),
                       clamp01((py - place.top) / (mid - place.top)));
        } else {
            face = mix(rgb(246, 160, 24), rgb(160, 72, 10),
                       clamp01((py - mid) / (place.top + place.height - mid)));
        }
        for (int x = 0; x < W; ++x) {
            const float a = cov.at(x, y);
            if (a <= 0) continue;
            // A lit upper edge and a darker lower edge bevel each stroke.
            const float above = y > 1 ? cov.at(x, y - 2) : 0;
            const float below = y + 2 < H ? cov.at(x, y + 2) : 0;
            Color c = face;
            c = mix(c, rgb(255, 252, 240), clamp01(a - above) * 0.8f);
            c = c * (1 - 0.45f * clamp01(a - below));
            img.at(x, y) = mix(img.at(x, y), c, a);
        }
    }
    // A thin amber line under the mark, fading out at both ends.
    const float line_y = place.top + place.height + 12;
    for (int x = 0; x < W; ++x) {
        const float t = (static_cast<float>(x) - static_cast<float>(W) / 2) / 250;
        const float k = std::exp(-t * t * t * t * 3);
        for (int y = 0; y < H; ++y) {
            const float d = (static_cast<float>(y) + 0.5f - line_y) / 0.8f;
            img.at(x, y) += kAmber * (k * std::exp(-d * d) * 0.9f);
            const float g = (static_cast<float>(y) + 0.5f - line_y) / 5;
            img.at(x, y) += kAmber * (k * std::exp(-g * g) * 0.12f);
        }
    }
}

}  // namespace

std::vector<std::uint8_t> render_title() {
    const Image upper = render_upper();
    const std::vector<Lamp> all_lamps = lamps();

    // Where the car stands and how large it is.
    const float car_z = 4.3f;
    CarView car;
    car.m = kCam.focal / car_z;
    car.cx = project(-1.4f, 0, car_z).x;
    car.ground = project(0, 0, car_z).y;

    Image lights(W, H);    // light seen directly
    Image mirrored(W, H);  // light seen in the wet road
    Image car_glow(W, H);  // glow of the car's own lights, in front of everything
    const Layer car_layer = render_car(car, car_glow);

    // What the wet road mirrors: the sky and city turned over at the horizon, and the car
    // turned over at its own wheels.
    Image source(W, H);
    for (int y = 0; y < H; ++y) {
        const int my = std::max(0, 2 * static_cast<int>(kCam.horizon) - y - 1);
        for (int x = 0; x < W; ++x) source.at(x, y) = upper.at(x, std::min(my, H - 1));
    }
    for (int y = 0; y < H; ++y) {
        const int ry = 2 * static_cast<int>(car.ground) - y;
        if (ry < 0 || ry >= H) continue;
        for (int x = 0; x < W; ++x) {
            const float a = car_layer.alpha.at(x, y);
            if (a > 0) {
                Color c = car_layer.color.at(x, y);
                c = {std::min(c.r, 1.0f), std::min(c.g, 0.6f), std::min(c.b, 0.3f)};
                source.at(x, ry) = mix(source.at(x, ry), c * 0.5f, a);
            }
        }
    }
    const Image sharp = blur_vertical(source, 1.5f);
    const Image soft = blur(blur_vertical(source, 9), 1.2f);

    // Lamps, their pools of light and their streaks in the water.
    for (const Lamp& l : all_lamps) {
        const Vec2 head = project(l.head_u, kLampHeight, l.z);
        const float size = kCam.focal * 0.35f / l.z;
        const float fade = 1 / (1 + l.z / 260);
        light_spot(lights, head, std::max(0.7f, size), kSodium * (3.0f * fade));
        light_spot(lights, head, std::max(2.5f, size * 6), kSodium * (0.28f * fade));
        const Vec2 r = project(l.head_u, -kLampHeight, l.z);
        const float len = 2400 / l.z;
        light_segment(mirrored, {r.x, r.y - len * 0.25f}, {r.x, r.y + len},
                      std::max(1.0f, size * 1.4f), kSodium * (0.9f * fade));
    }
    // Long-exposure trails of the traffic that went before, and their mirror images.
    for (const Trail& t : kTrails) {
        trace_trail(t, 1, [&](Vec2 a, Vec2 b, float z) {
            const float w = std::min(2.2f, std::max(0.5f, kCam.focal * 0.04f / z));
            const float fade = smoothstep(4, 16, z) / (1 + z / 220);
            light_segment(lights, a, b, w, t.color * (1.6f * fade));
            light_segment(lights, a, b, w * 6, t.color * (0.14f * fade));
        });
        trace_trail(t, -1, [&](Vec2 a, Vec2 b, float z) {
            const float w = std::min(2.0f, std::max(0.7f, kCam.focal * 0.03f / z));
            const float fade = smoothstep(4, 16, z) / (1 + z / 220);
            light_segment(mirrored, a, b, w, t.color * (0.7f * fade));
        });
    }
    // The car's lights in the water below it: the bar mirrored and smeared downwards,
    // with longer streaks under the bright end blocks.
    for (int k = 0; k < 10; ++k) {
        const float drop = 0.2f + 0.08f * static_cast<float>(k);
        const float fall = std::exp(-(drop - 0.56f) * (drop - 0.56f) * 8);
        light_segment(mirrored, car.at(-0.88f, -drop), car.at(0.88f, -drop), 2.2f,
                      kTail * (0.25f * fall));
    }
    for (float s : {-1.0f, 1.0f}) {
        light_segment(mirrored, car.at(s * 0.86f, -0.15f), car.at(s * 0.86f, -1.5f), 0.06f * car.m,
                      kTail * 0.5f);
        light_segment(mirrored, car.at(s * 0.86f, -0.3f), car.at(s * 0.86f, -1.0f), 0.025f * car.m,
                      Color{1.2f, 0.5f, 0.1f});
    }
    const Image streaks = blur(blur_vertical(mirrored, 4), 1.2f);

    // Compose the street.
    Image img = upper;
    for (int y = static_cast<int>(kCam.horizon); y < H; ++y) {
        const float py = static_cast<float>(y) + 0.5f;
        const float z = kCam.focal * kCam.height / (py - kCam.horizon);
        const float dz = z * z / (kCam.focal * kCam.height);
        const float du = z / kCam.focal;
        const float near = clamp01((py - kCam.horizon) / static_cast<float>(H - kCam.horizon));
        // Grazing views mirror more than views straight down.
        const float fresnel = 1.0f - 0.55f * std::sqrt(near);
        for (int x = 0; x < W; ++x) {
            const float px = static_cast<float>(x) + 0.5f;
            const float u = (px - kCam.centre) * z / kCam.focal - bend(z);
            const Surface s = surface_at(u, z, du, dz);
            // Ripples shift the mirror image sideways a little.
            const float ripple =
                (value_noise(px / 25, py / 3, 31) - 0.5f) * 10 * near * (1 - s.sharp);
            const int sx = std::clamp(static_cast<int>(px + ripple), 0, W - 1);
            const Color refl = mix(soft.at(sx, y), sharp.at(sx, y), s.sharp);
            const Color ambient = rgb(36, 27, 20) * 0.8f + lamp_light(u, z, all_lamps);
            Color c = s.albedo * ambient + refl * (s.reflect * fresnel);
            c += streaks.at(x, y) * (s.reflect * 1.6f);
            img.at(x, y) = c;
        }
    }
    draw_guardrail(img, all_lamps);
    // Lamp posts and their arms, dark against the glow.
    for (const Lamp& l : all_lamps) {
        const Vec2 foot = project(l.pole_u, 0, l.z),
                   top = project(l.pole_u, kLampHeight + 0.2f, l.z);
        const Vec2 head = project(l.head_u, kLampHeight + 0.1f, l.z);
        const float w = kCam.focal * 0.16f / l.z;
        draw_line(img, foot, top, w, rgb(9, 8, 7));
        draw_line(img, top, head, w * 0.7f, rgb(9, 8, 7));
    }
    // The car's shadow on the road, then the car, which hides the light behind it.
    {
        const Mask shade = blur(
            rasterize(
                {Path{{ellipse_contour(car.cx, car.ground - 2, 1.08f * car.m, 0.06f * car.m)}}}, W,
                H),
            4);
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) img.at(x, y) = img.at(x, y) * (1 - 0.8f * shade.at(x, y));
        }
    }
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const float a = car_layer.alpha.at(x, y);
            img.at(x, y) = mix(img.at(x, y), car_layer.color.at(x, y), a);
            lights.at(x, y) = lights.at(x, y) * (1 - a) + car_glow.at(x, y);
        }
    }
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) img.at(x, y) += lights.at(x, y);
    }

    // Bloom: what is brighter than the paper spreads into the air.
    Image bright(W, H);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const Color c = img.at(x, y);
            bright.at(x, y) = {std::max(0.0f, c.r - 0.55f), std::max(0.0f, c.g - 0.55f),
                               std::max(0.0f, c.b - 0.55f)};
        }
    }
    const Image b1 = blur(bright, 3), b2 = blur(bright, 12), b3 = blur(bright, 40);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            Color c = img.at(x, y) + b1.at(x, y) * 0.5f + b2.at(x, y) * 0.5f + b3.at(x, y) * 0.6f;
            img.at(x, y) = {shoulder(c.r), shoulder(c.g), shoulder(c.b)};
        }
    }

    // Vignette, and a calm dark corner where the buttons stand.
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const float dx = (static_cast<float>(x) - W / 2.0f) / (W / 2.0f);
            const float dy = (static_cast<float>(y) - H / 2.0f) / (H / 2.0f);
            float k = 1 - 0.5f * smoothstep(0.5f, 1.45f, std::sqrt(dx * dx + dy * dy * 0.8f));
            const float corner = smoothstep(300, 360, static_cast<float>(x)) *
                                 smoothstep(340, 400, static_cast<float>(y));
            k *= 1 - 0.6f * corner;
            img.at(x, y) = img.at(x, y) * k;
        }
    }
    draw_logo(img);

    // Fine film grain, which also keeps gradients from banding.
    std::vector<std::uint8_t> out(static_cast<size_t>(W) * H * 3);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const Color c = img.at(x, y);
            const float grain = (hash01(x, y, 4242) + hash01(x, y, 4243) - 1) * 0.028f;
            const float v[3] = {c.r, c.g, c.b};
            for (int i = 0; i < 3; ++i) {
                const float s = clamp01(v[i] + grain) * 255 + 0.5f;
                out[(static_cast<size_t>(y) * W + x) * 3 + i] = static_cast<std::uint8_t>(s);
            }
        }
    }
    return out;
}

}  // namespace artgen
