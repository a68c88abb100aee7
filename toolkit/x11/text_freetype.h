// Text for Linux builds: faces chosen by fontconfig, measured with Windows' metrics and
// rendered by FreeType. Needs no display.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/core/text_service.h"

namespace toolkit::x11 {

class FreeTypeText final : public TextService {
  public:
    // Uses the system's fonts, as fontconfig is set up on this machine.
    FreeTypeText();
    // Uses only the fonts in `font_dirs`, with no configuration; none at all is allowed.
    explicit FreeTypeText(const std::vector<std::string>& font_dirs);
    ~FreeTypeText() override;
    FreeTypeText(const FreeTypeText&) = delete;
    FreeTypeText& operator=(const FreeTypeText&) = delete;

    TextExtent measure(const FontSpec& font, std::string_view utf8) override;
    void draw(PixelBuffer& target, const ClipRegion& clip, const FontSpec& font, Point top_left,
              std::string_view utf8, Rgb colour) override;

    // The file of the face that stands for `font`; empty where no usable face was found.
    std::string face_file(const FontSpec& font);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Splits UTF-8 into code points; each malformed sequence (stray or missing continuation
// bytes, overlong forms, surrogates, values past U+10FFFF) becomes one U+FFFD.
std::u32string decode_utf8(std::string_view utf8);

}  // namespace toolkit::x11
