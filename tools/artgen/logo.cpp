#include "logo.h"

namespace artgen {
namespace {

// Letters are drawn in units of a tenth of the cap height, y downwards from the cap line.
struct Glyph {
    char letter;
    float width;
    std::vector<Path> paths;
};

Path box(float x0, float y0, float x1, float y1) {
    return polygon(rect_contour(x0, y0, x1, y1));
}

// A horizontal bar whose right end is cut at an angle, the mark's signature detail.
Path bar(float x0, float y0, float x1, float y1) {
    return polygon({{x0, y0}, {x1, y0}, {x1 - 0.6f * (y1 - y0) / 2.2f, y1}, {x0, y1}});
}

const std::vector<Glyph>& glyphs() {
    static const std::vector<Glyph> table = {
        {'V',
         8.4f,
         {polygon(
             {{0, 0}, {2.5f, 0}, {4.2f, 6.3f}, {5.9f, 0}, {8.4f, 0}, {5.5f, 10}, {2.9f, 10}})}},
        {'E',
         6.6f,
         {box(0, 0, 2.3f, 10), bar(0, 0, 6.6f, 2.2f), bar(0, 3.9f, 5.7f, 6.1f),
          bar(0, 7.8f, 6.6f, 10)}},
        {'L', 6.3f, {box(0, 0, 2.3f, 10), bar(0, 7.8f, 6.3f, 10)}},
        {'M',
         9.8f,
         {box(0, 0, 2.3f, 10), box(7.5f, 0, 9.8f, 10),
          polygon({{0, 0},
                   {2.5f, 0},
                   {4.9f, 4.4f},
                   {7.3f, 0},
                   {9.8f, 0},
                   {6.1f, 6.9f},
                   {3.7f, 6.9f}})}},
        {'O',
         8.2f,
         {Path{{rounded_rect_contour(0, 0, 8.2f, 10, 2.7f),
                rounded_rect_contour(2.3f, 2.2f, 5.9f, 7.8f, 0.6f)}}}},
        {'R',
         7.9f,
         {box(0, 0, 2.3f, 10),
          Path{{rounded_rect_contour(0, 0, 7.6f, 6.3f, 2.3f),
                rounded_rect_contour(2.3f, 2.1f, 5.3f, 4.2f, 0.4f)}},
          polygon({{3.3f, 5.0f}, {5.9f, 5.0f}, {7.9f, 10}, {5.2f, 10}})}},
        {'A',
         8.4f,
         {polygon(
              {{2.9f, 0}, {5.5f, 0}, {8.4f, 10}, {5.9f, 10}, {4.2f, 3.9f}, {2.5f, 10}, {0, 10}}),
          box(1.9f, 6.4f, 6.5f, 8.3f)}},
    };
    return table;
}

const Glyph* find_glyph(char c) {
    for (const Glyph& g : glyphs()) {
        if (g.letter == c) return &g;
    }
    return nullptr;
}

}  // namespace

float logo_width(std::string_view text, const LogoPlacement& placement) {
    float units = 0;
    bool first = true;
    for (char c : text) {
        const Glyph* g = find_glyph(c);
        if (!g) continue;
        units += g->width + (first ? 0 : placement.spacing);
        first = false;
    }
    return units * placement.height / 10;
}

std::vector<Path> logo_paths(std::string_view text, const LogoPlacement& placement) {
    const float scale = placement.height / 10;
    std::vector<Path> out;
    float pen = 0;
    for (char c : text) {
        const Glyph* g = find_glyph(c);
        if (!g) continue;
        for (Path p : g->paths) {
            for (auto& contour : p.contours) {
                for (Vec2& v : contour) {
                    const float x = pen + v.x + (10 - v.y) * placement.slant;
                    v = {placement.left + x * scale, placement.top + v.y * scale};
                }
            }
            out.push_back(std::move(p));
        }
        pen += g->width + placement.spacing;
    }
    return out;
}

}  // namespace artgen
