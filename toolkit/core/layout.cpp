#include "layout.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace toolkit {

int mul_div(int n, int numerator, int denominator) {
    if (denominator == 0) return n;
    const std::int64_t product = static_cast<std::int64_t>(n) * numerator;
    const std::int64_t d = denominator < 0 ? -static_cast<std::int64_t>(denominator) : denominator;
    const std::int64_t p = denominator < 0 ? -product : product;
    const std::int64_t magnitude = (std::llabs(p) * 2 + d) / (2 * d);
    return static_cast<int>(p < 0 ? -magnitude : magnitude);
}

int window_font_height(const FormDescription& d, int pixels_per_inch) {
    if (pixels_per_inch <= 0 || pixels_per_inch == d.form.pixels_per_inch)
        return d.form.font.height;
    return mul_div(d.form.font.height, pixels_per_inch, d.form.pixels_per_inch);
}

Layout scale_layout(const FormDescription& d, int /*pixels_per_inch*/, int measured_text_height) {
    const int designed = d.form.text_height;
    const bool scale =
        d.form.scaled && measured_text_height > 0 && measured_text_height != designed;
    auto s = [&](int v) { return scale ? mul_div(v, measured_text_height, designed) : v; };
    auto edges = [&](int left, int top, int width, int height) {
        return Rect{s(left), s(top), s(left + width), s(top + height)};
    };

    Layout layout;
    layout.scaled = scale;
    layout.client = {s(d.form.client_width), s(d.form.client_height)};
    // The picture control fills the client area; the picture itself keeps its size.
    layout.picture = {0, 0, layout.client.width, layout.client.height};
    for (const ButtonSettings& b : d.buttons) {
        layout.buttons.push_back(edges(b.left, b.top, b.width, b.height));
        layout.button_font_heights.push_back(s(b.font_height));
    }
    return layout;
}

Point centred_outer_origin(const Rect& monitor, const Rect& desktop, Size client,
                           const FrameExtents& frame) {
    // Wide enough for any int inputs: the frame and the monitor come from other programs.
    using Wide = std::int64_t;
    const Wide outer_width = Wide{client.width} + frame.left + frame.right;
    const Wide outer_height = Wide{client.height} + frame.top + frame.bottom;
    // Integer division truncates toward zero, also where the window is the larger.
    const Wide left = monitor.left + (Wide{monitor.right} - monitor.left - outer_width) / 2;
    const Wide top = monitor.top + (Wide{monitor.bottom} - monitor.top - outer_height) / 2;
    auto to_int = [](Wide v) {
        return static_cast<int>(
            std::clamp<Wide>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    };
    return {to_int(std::max<Wide>(left, desktop.left)), to_int(std::max<Wide>(top, desktop.top))};
}

}  // namespace toolkit
