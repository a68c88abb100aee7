// Captions through GDI: the fonts are the system's, drawn onto the pixels of a DIB section.
#pragma once

#include <windows.h>

#include <vector>

#include "toolkit/core/text_service.h"

namespace toolkit::win32 {

class GdiTextService : public TextService {
  public:
    GdiTextService();
    ~GdiTextService() override;
    GdiTextService(const GdiTextService&) = delete;
    GdiTextService& operator=(const GdiTextService&) = delete;

    // A pixel buffer that lies over the bits of a DIB section selected into `dc`: text for
    // it is drawn straight into it. Text for any other buffer goes through a scratch DIB.
    void bind_surface(const PixelBuffer* buffer, HDC dc);
    void unbind_surface(const PixelBuffer* buffer);

    TextExtent measure(const FontSpec& font, std::string_view utf8) override;
    void draw(PixelBuffer& target, const ClipRegion& clip, const FontSpec& font, Point top_left,
              std::string_view utf8, Rgb colour) override;

  private:
    struct CachedFont {
        FontSpec request;
        HFONT font;
    };
    struct Surface {
        const PixelBuffer* buffer;
        HDC dc;
    };
    HFONT font_for(const FontSpec& wanted);
    void draw_on(HDC dc, const ClipRegion& clip, Point origin, const FontSpec& font, Point at,
                 const std::wstring& text, Rgb colour);

    HDC measure_dc_;
    std::vector<CachedFont> fonts_;
    std::vector<Surface> surfaces_;
};

}  // namespace toolkit::win32
