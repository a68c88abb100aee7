#include "toolkit/win32/gdi_text.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "toolkit/win32/back_buffer.h"
#include "toolkit/win32/wide_text.h"

namespace toolkit::win32 {

GdiTextService::GdiTextService() : measure_dc_(CreateCompatibleDC(nullptr)) {}

GdiTextService::~GdiTextService() {
    DeleteDC(measure_dc_);
    for (const CachedFont& f : fonts_) DeleteObject(f.font);
}

void GdiTextService::bind_surface(const PixelBuffer* buffer, HDC dc) {
    unbind_surface(buffer);
    surfaces_.push_back({buffer, dc});
}

void GdiTextService::unbind_surface(const PixelBuffer* buffer) {
    std::erase_if(surfaces_, [buffer](const Surface& s) { return s.buffer == buffer; });
}

HFONT GdiTextService::font_for(const FontSpec& wanted) {
    for (const CachedFont& f : fonts_)
        if (f.request == wanted) return f.font;
    const std::wstring face = widen(wanted.name, CP_UTF8);
    const BYTE charset = wanted.charset == Charset::Russian ? RUSSIAN_CHARSET : DEFAULT_CHARSET;
    HFONT font = CreateFontW(wanted.height, 0, 0, 0, wanted.bold ? FW_BOLD : FW_NORMAL, FALSE,
                             FALSE, FALSE, charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    fonts_.push_back({wanted, font});
    return font;
}

TextExtent GdiTextService::measure(const FontSpec& font, std::string_view utf8) {
    const std::wstring text = widen(utf8, CP_UTF8);
    HGDIOBJ old = SelectObject(measure_dc_, font_for(font));
    SIZE size{};
    GetTextExtentPoint32W(measure_dc_, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICW metrics{};
    GetTextMetricsW(measure_dc_, &metrics);
    SelectObject(measure_dc_, old);
    return {static_cast<int>(size.cx), static_cast<int>(metrics.tmHeight)};
}

// `origin` is where the buffer's (0,0) lies on the DC.
void GdiTextService::draw_on(HDC dc, const ClipRegion& clip, Point origin, const FontSpec& font,
                             Point at, const std::wstring& text, Rgb colour) {
    const Rect& b = clip.bounds();
    HRGN region =
        CreateRectRgn(b.left + origin.x, b.top + origin.y, b.right + origin.x, b.bottom + origin.y);
    for (const Rect& h : clip.holes()) {
        HRGN hole = CreateRectRgn(h.left + origin.x, h.top + origin.y, h.right + origin.x,
                                  h.bottom + origin.y);
        CombineRgn(region, region, hole, RGN_DIFF);
        DeleteObject(hole);
    }
    SelectClipRgn(dc, region);
    DeleteObject(region);
    HGDIOBJ old = SelectObject(dc, font_for(font));
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    SetTextColor(dc, RGB(colour.r, colour.g, colour.b));
    TextOutW(dc, at.x + origin.x, at.y + origin.y, text.c_str(), static_cast<int>(text.size()));
    SelectObject(dc, old);
    SelectClipRgn(dc, nullptr);
    GdiFlush();
}

void GdiTextService::draw(PixelBuffer& target, const ClipRegion& clip, const FontSpec& font,
                          Point top_left, std::string_view utf8, Rgb colour) {
    const std::wstring text = widen(utf8, CP_UTF8);
    if (text.empty()) return;
    for (const Surface& s : surfaces_) {
        if (s.buffer == &target) {
            draw_on(s.dc, clip, {0, 0}, font, top_left, text, colour);
            return;
        }
    }

    // Any other buffer: copy the part the text can touch into a scratch DIB, draw there, and
    // copy back what lies inside the clip.
    const TextExtent extent = measure(font, utf8);
    // Room for overhang of italic or bold glyphs past the advance width.
    const Rect box{top_left.x - 2, top_left.y, top_left.x + extent.width + 4,
                   top_left.y + extent.height};
    const Rect area = box.intersect(clip.bounds()).intersect(target.bounds());
    if (area.empty()) return;
    void* bits = nullptr;
    HBITMAP dib = create_top_down_dib(area.width(), area.height(), &bits);
    if (!dib) return;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib);
    auto* scratch = static_cast<Pixel*>(bits);
    const auto w = static_cast<std::size_t>(area.width());
    for (int y = area.top; y < area.bottom; ++y)
        std::memcpy(scratch + static_cast<std::size_t>(y - area.top) * w, target.row(y) + area.left,
                    w * sizeof(Pixel));
    draw_on(dc, clip, {-area.left, -area.top}, font, top_left, text, colour);
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (clip.contains({x, y}))
                target.row(y)[x] = scratch[static_cast<std::size_t>(y - area.top) * w +
                                           static_cast<std::size_t>(x - area.left)] &
                                   0x00FFFFFFu;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dib);
}

}  // namespace toolkit::win32
