#include "button_painter.h"

namespace toolkit {

Rgb blend(Rgb a, Rgb b, int num, int den) {
    auto mix = [num, den](int x, int y) {
        return static_cast<std::uint8_t>((x * num + y * (den - num) + den / 2) / den);
    };
    return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

Rgb shade(Rgb top, Rgb bottom, int i, int n) {
    if (n <= 1) return top;
    return blend(bottom, top, i, n - 1);
}

Rgb active_ring_top(Rgb highlight) {
    return blend(highlight, button_shades::kFaceLight, 1, 2);
}
Rgb active_ring_bottom(Rgb highlight) {
    return blend(highlight, button_shades::kFaceLight, 3, 4);
}

std::vector<std::string_view> break_caption(TextService& text, const FontSpec& font,
                                            std::string_view caption, int width) {
    std::vector<std::string_view> lines;
    std::size_t line_start = std::string_view::npos;
    std::size_t line_end = 0;
    std::size_t pos = 0;
    while (pos < caption.size()) {
        const std::size_t word_start = caption.find_first_not_of(' ', pos);
        if (word_start == std::string_view::npos) break;
        std::size_t word_end = caption.find(' ', word_start);
        if (word_end == std::string_view::npos) word_end = caption.size();
        if (line_start == std::string_view::npos) {
            line_start = word_start;
        } else if (text.measure(font, caption.substr(line_start, word_end - line_start)).width >
                   width) {
            lines.push_back(caption.substr(line_start, line_end - line_start));
            line_start = word_start;
        }
        line_end = word_end;
        pos = word_end;
    }
    if (line_start != std::string_view::npos)
        lines.push_back(caption.substr(line_start, line_end - line_start));
    return lines;
}

std::vector<CaptionLine> lay_out_caption(TextService& text, const FontSpec& font,
                                         std::string_view caption, const Rect& bounds) {
    const Rect text_box = bounds.inset(5);
    const auto lines = break_caption(text, font, caption, text_box.width());
    std::vector<CaptionLine> placed;
    if (lines.empty()) return placed;
    const int line_height = text.measure(font, lines.front()).height;
    const int total = line_height * static_cast<int>(lines.size());
    int y = text_box.top + (text_box.height() - total) / 2;
    for (std::string_view line : lines) {
        const int w = text.measure(font, line).width;
        placed.push_back({line, {text_box.left + (text_box.width() - w) / 2, y}});
        y += line_height;
    }
    return placed;
}

namespace {

using namespace button_shades;

// The face: a gradient down to its last gradient row, then two shadow rows.
Rgb plain_face_row(int row, int face_height) {
    const int gradient_rows = face_height - 2;
    if (row < gradient_rows) return shade(kFaceTop, kFaceBottom, row, gradient_rows);
    return row == gradient_rows ? kShadow1 : kShadow2;
}

void paint_ring(PixelBuffer& target, const ClipRegion& clip, const Rect& face, Rgb top,
                Rgb bottom) {
    const int h = face.height();
    for (int ring = 0; ring < 2; ++ring) {
        const Rect r = face.inset(ring);
        if (r.empty()) break;
        for (int y = r.top; y < r.bottom; ++y) {
            const Pixel c = shade(top, bottom, y - face.top, h).pixel();
            if (y == r.top || y == r.bottom - 1) {
                target.fill(clip, {r.left, y, r.right, y + 1}, c);
            } else {
                target.set(clip, r.left, y, c);
                target.set(clip, r.right - 1, y, c);
            }
        }
    }
}

}  // namespace

void paint_button(PixelBuffer& target, const ClipRegion& outer_clip, TextService& text,
                  const ButtonPaint& button) {
    const Rect b = button.bounds;
    if (b.width() < 6 || b.height() < 6) return;
    const ClipRegion clip = outer_clip.narrowed(b);
    if (clip.bounds().empty()) return;
    const int l = b.left, t = b.top, r = b.right - 1, btm = b.bottom - 1;

    // Outer ring: dark on the left and top, lighter on the right and bottom; the corner
    // pixel and its two neighbours stay unpainted.
    target.fill(clip, {l + 2, t, r - 1, t + 1}, kOuterDark.pixel());
    target.fill(clip, {l, t + 2, l + 1, btm - 1}, kOuterDark.pixel());
    target.fill(clip, {l + 2, btm, r - 1, btm + 1}, kOuterLight.pixel());
    target.fill(clip, {r, t + 2, r + 1, btm - 1}, kOuterLight.pixel());

    // Frame, one pixel in, corners painted.
    const Pixel frame = button.colours.frame.pixel();
    target.fill(clip, {l + 1, t + 1, r, t + 2}, frame);
    target.fill(clip, {l + 1, btm - 1, r, btm}, frame);
    target.fill(clip, {l + 1, t + 2, l + 2, btm - 1}, frame);
    target.fill(clip, {r - 1, t + 2, r, btm - 1}, frame);

    const Rect face = b.inset(2);
    if (button.look == ButtonLook::Pressed) {
        target.fill(clip, face, kPressed.pixel());
    } else {
        for (int y = face.top; y < face.bottom; ++y)
            target.fill(clip, {face.left, y, face.right, y + 1},
                        plain_face_row(y - face.top, face.height()).pixel());
        if (button.look == ButtonLook::Hot)
            paint_ring(target, clip, face, kHotTop, button.colours.hot_track);
        else if (button.look == ButtonLook::Active)
            paint_ring(target, clip, face, active_ring_top(button.colours.highlight),
                       active_ring_bottom(button.colours.highlight));
    }

    // The caption does not move when the button is pressed.
    for (const CaptionLine& line : button.caption)
        text.draw(target, clip, button.font, line.at, line.text, button.colours.text);

    // Focus rectangle, three pixels in, a dot where x + y is even in button coordinates.
    if (button.focus_rect) {
        const Rect f = b.inset(3);
        const Pixel dot = kFocusDot.pixel();
        for (int x = f.left; x < f.right; ++x) {
            if (((x - l) + (f.top - t)) % 2 == 0) target.set(clip, x, f.top, dot);
            if (((x - l) + (f.bottom - 1 - t)) % 2 == 0) target.set(clip, x, f.bottom - 1, dot);
        }
        for (int y = f.top + 1; y < f.bottom - 1; ++y) {
            if (((f.left - l) + (y - t)) % 2 == 0) target.set(clip, f.left, y, dot);
            if (((f.right - 1 - l) + (y - t)) % 2 == 0) target.set(clip, f.right - 1, y, dot);
        }
    }
}

}  // namespace toolkit
