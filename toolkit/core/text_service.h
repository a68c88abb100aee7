// Text is the one thing the toolkit cannot draw by itself: each platform supplies it.
#pragma once

#include <string_view>

#include "geometry.h"
#include "pixel_buffer.h"

namespace toolkit {

enum class Charset { Default, Russian };

struct FontSpec {
    std::string_view name;
    // As in a Windows LOGFONT: negative is the character (em) height in pixels, positive the
    // cell height.
    int height = -11;
    bool bold = false;
    Charset charset = Charset::Default;
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

struct TextExtent {
    int width = 0;
    // Ascent plus descent, the line height a Windows text metric reports.
    int height = 0;
    friend bool operator==(TextExtent, TextExtent) = default;
};

class TextService {
  public:
    virtual ~TextService() = default;
    // Size of one line of UTF-8 text.
    virtual TextExtent measure(const FontSpec& font, std::string_view utf8) = 0;
    // Draws one line with the top-left of its cell at `top_left`, transparent background,
    // writing only inside `clip`.
    virtual void draw(PixelBuffer& target, const ClipRegion& clip, const FontSpec& font,
                      Point top_left, std::string_view utf8, Rgb colour) = 0;
};

}  // namespace toolkit
