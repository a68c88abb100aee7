// Text for Linux builds: one sans-serif face compiled into the program, measured with
// Windows' metrics and rendered by FreeType from memory. Reads no file and needs no display.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "toolkit/core/text_service.h"

namespace toolkit::x11 {

// A face's regular and bold styles as TrueType files in memory; either may be empty.
struct FaceFiles {
    std::span<const std::uint8_t> regular;
    std::span<const std::uint8_t> bold;
};

class FreeTypeText final : public TextService {
  public:
    // Writes every font, whatever family it names, in the face compiled into the program.
    FreeTypeText();
    // Writes in these files, which must outlive the service. A missing style is made from
    // the other one; with neither, text is measured with the usual sans-serif metrics and
    // not drawn.
    explicit FreeTypeText(FaceFiles faces);
    ~FreeTypeText() override;
    FreeTypeText(const FreeTypeText&) = delete;
    FreeTypeText& operator=(const FreeTypeText&) = delete;

    TextExtent measure(const FontSpec& font, std::string_view utf8) override;
    void draw(PixelBuffer& target, const ClipRegion& clip, const FontSpec& font, Point top_left,
              std::string_view utf8, Rgb colour) override;

    // The style name of the face file that stands for `font` ("Regular", "Bold"), followed
    // by " emboldened" where the bold look is made from it; empty where there is no face.
    std::string face_style(const FontSpec& font);
    // Whether the face that stands for `font` has a glyph of its own for `c`; a character
    // it lacks is drawn as its missing-glyph box.
    bool has_glyph(const FontSpec& font, char32_t c);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Splits UTF-8 into code points; each malformed sequence (stray or missing continuation
// bytes, overlong forms, surrogates, values past U+10FFFF) becomes one U+FFFD.
std::u32string decode_utf8(std::string_view utf8);

}  // namespace toolkit::x11
