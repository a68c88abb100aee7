// The flat button's look, layer by layer, in each of its states.
#pragma once

#include "button_state.h"
#include "form.h"
#include "pixel_buffer.h"
#include "text_service.h"

namespace toolkit {

// The shades the look is made of, beside the colours of the description.
namespace button_shades {
inline constexpr Rgb kOuterDark{0, 0, 0};
inline constexpr Rgb kOuterLight{21, 21, 21};
inline constexpr Rgb kFaceTop{100, 87, 68};
inline constexpr Rgb kFaceBottom{52, 45, 35};
inline constexpr Rgb kShadow1{39, 34, 27};
inline constexpr Rgb kShadow2{27, 23, 18};
inline constexpr Rgb kPressed{52, 45, 35};
inline constexpr Rgb kHotTop{251, 230, 195};
inline constexpr Rgb kFaceLight{103, 89, 70};
inline constexpr Rgb kFocusDot{0, 0, 0};
}  // namespace button_shades

// `a` weighted by num / den over `b`, each channel rounded to nearest.
Rgb blend(Rgb a, Rgb b, int num, int den);
// Row `i` of `n` rows shading from `top` to `bottom`, both ends exact.
Rgb shade(Rgb top, Rgb bottom, int i, int n);
// The active ring's two ends: the selection colour blended with the lightened face.
Rgb active_ring_top(Rgb highlight);
Rgb active_ring_bottom(Rgb highlight);

// Splits a caption at blanks into lines no wider than `width`; a word wider than that
// stands alone on its line.
std::vector<std::string_view> break_caption(TextService& text, const FontSpec& font,
                                            std::string_view caption, int width);

// The caption centred within `bounds` less a 5-pixel margin, broken at blanks; the lines
// keep the caption's storage.
std::vector<CaptionLine> lay_out_caption(TextService& text, const FontSpec& font,
                                         std::string_view caption, const Rect& bounds);

struct ButtonPaint {
    Rect bounds;
    std::span<const CaptionLine> caption;
    FontSpec font;
    ButtonLook look = ButtonLook::Plain;
    bool focus_rect = false;
    ButtonColours colours;
};

// Draws the button inside `clip`; the three pixels at each corner are left alone.
void paint_button(PixelBuffer& target, const ClipRegion& clip, TextService& text,
                  const ButtonPaint& button);

}  // namespace toolkit
