#include "toolkit/x11/text_freetype.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <unordered_map>
#include <utility>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

namespace toolkit::x11 {
namespace {

// Asked for in this order: the face the window was designed with, its TrueType successor,
// then the faces made to the same metrics, then whatever the system calls sans-serif.
constexpr const char* kFallbackFamilies[] = {"MS Sans Serif", "Microsoft Sans Serif",
                                             "Liberation Sans", "Arimo", "sans-serif"};
// Letters of the captions that a face must have to count as Cyrillic.
constexpr FcChar32 kCyrillicProbe[] = {0x0418, 0x0423, 0x0430, 0x0438, 0x0443, 0x044C};

// Character heights are kept in a range that a glyph cache can hold.
constexpr int kMaxEm = 400;
// A height of 0 asks for the system's default size, 8 points at 96 dpi.
constexpr int kDefaultEm = 11;
// With no face at all, text is measured as if it had the usual sans-serif metrics.
constexpr int kFallbackUnitsPerEm = 2048;
constexpr int kFallbackAscent = 1854;
constexpr int kFallbackDescent = 434;

// Windows' text metrics round the ascent and descent of a scaled font up, each on its own.
int ceil_scale(long units, int em, int units_per_em) {
    return static_cast<int>((units * em + units_per_em - 1) / units_per_em);
}

struct Glyph {
    int advance = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int rows = 0;
    std::vector<std::uint8_t> coverage;
};

struct SizedFace {
    FT_Size size = nullptr;
    int em = 0;
    int ascent = 0;
    int descent = 0;
    std::unordered_map<char32_t, Glyph> glyphs;
};

struct Face {
    FT_Face face = nullptr;
    std::string file;
    bool synthetic_bold = false;
    int units_per_em = kFallbackUnitsPerEm;
    long ascent_units = kFallbackAscent;
    long descent_units = kFallbackDescent;
    std::map<int, SizedFace> sizes;

    Face() = default;
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;
    ~Face() {
        if (face != nullptr) FT_Done_Face(face);  // also frees its sizes
    }

    int cell(int em) const {
        return ceil_scale(ascent_units, em, units_per_em) +
               ceil_scale(descent_units, em, units_per_em);
    }
    // Like a Windows LOGFONT height: negative is the em size, positive the cell height.
    int em_for(int height) const {
        if (height == 0) return kDefaultEm;
        if (height < 0) return height < -kMaxEm ? kMaxEm : -height;
        int best = 1;
        for (int em = 1; em <= kMaxEm; ++em) {
            if (std::abs(cell(em) - height) < std::abs(cell(best) - height)) best = em;
            if (cell(em) > height) break;
        }
        return best;
    }
};

bool has_cyrillic(FcPattern* font) {
    FcCharSet* charset = nullptr;
    if (FcPatternGetCharSet(font, FC_CHARSET, 0, &charset) != FcResultMatch) return false;
    return std::all_of(std::begin(kCyrillicProbe), std::end(kCyrillicProbe),
                       [&](FcChar32 c) { return FcCharSetHasChar(charset, c) == FcTrue; });
}

}  // namespace

std::u32string decode_utf8(std::string_view utf8) {
    constexpr char32_t kReplacement = 0xFFFD;
    std::u32string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<std::uint8_t>(utf8[i]);
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        // The allowed range of the second byte rules out overlong forms, surrogates and
        // values past U+10FFFF.
        std::size_t length = 0;
        char32_t cp = 0;
        std::uint8_t low = 0x80;
        std::uint8_t high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            cp = lead & 0x0Fu;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07u;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        std::size_t n = 1;
        for (; n < length && i + n < utf8.size(); ++n) {
            const auto c = static_cast<std::uint8_t>(utf8[i + n]);
            if (c < low || c > high) break;
            low = 0x80;
            high = 0xBF;
            cp = (cp << 6) | (c & 0x3Fu);
        }
        out.push_back(n == length ? cp : kReplacement);
        i += n;
    }
    return out;
}

struct FreeTypeText::Impl {
    FcConfig* config = nullptr;
    FT_Library library = nullptr;
    std::map<std::pair<std::string, bool>, std::unique_ptr<Face>> faces;

    ~Impl() {
        faces.clear();
        if (library != nullptr) FT_Done_FreeType(library);
        if (config != nullptr) FcConfigDestroy(config);
    }

    Face& face_for(const FontSpec& font) {
        auto key = std::make_pair(std::string(font.name), font.bold);
        auto it = faces.find(key);
        if (it == faces.end()) it = faces.emplace(key, open_face(font)).first;
        return *it->second;
    }

    std::unique_ptr<Face> open_face(const FontSpec& font) {
        auto result = std::make_unique<Face>();
        if (config == nullptr || library == nullptr) return result;

        FcPattern* pattern = FcPatternCreate();
        if (pattern == nullptr) return result;
        if (!font.name.empty()) {
            const std::string name(font.name);
            FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
        }
        for (const char* family : kFallbackFamilies)
            FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
        // Russian whatever the character set asked for: the window's font must measure like
        // the captions' face, and every caption but one is Cyrillic.
        FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ru"));
        FcPatternAddInteger(pattern, FC_WEIGHT, font.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);

        FcResult status = FcResultNoMatch;
        FcFontSet* sorted = FcFontSort(config, pattern, FcFalse, nullptr, &status);
        FcPatternDestroy(pattern);
        if (sorted == nullptr) return result;

        // The best face with Cyrillic letters; a Latin-only face only where there is none.
        for (int pass = 0; pass < 2 && result->face == nullptr; ++pass) {
            for (int i = 0; i < sorted->nfont && result->face == nullptr; ++i) {
                FcPattern* candidate = sorted->fonts[i];
                if (pass == 0 && !has_cyrillic(candidate)) continue;
                load(*result, candidate, font.bold);
            }
        }
        FcFontSetDestroy(sorted);
        return result;
    }

    void load(Face& target, FcPattern* candidate, bool bold) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(candidate, FC_FILE, 0, &file) != FcResultMatch) return;
        int index = 0;
        FcPatternGetInteger(candidate, FC_INDEX, 0, &index);
        FT_Face face = nullptr;
        if (FT_New_Face(library, reinterpret_cast<const char*>(file), index, &face) != 0) return;
        if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
            FT_Done_Face(face);
            return;
        }
        target.face = face;
        target.file = reinterpret_cast<const char*>(file);
        target.units_per_em = face->units_per_EM;
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
            target.ascent_units = os2->usWinAscent;
            target.descent_units = os2->usWinDescent;
        } else {
            target.ascent_units = std::max<long>(face->ascender, 0);
            target.descent_units = std::max<long>(-face->descender, 0);
        }
        int weight = FC_WEIGHT_REGULAR;
        FcPatternGetInteger(candidate, FC_WEIGHT, 0, &weight);
        target.synthetic_bold = bold && weight < FC_WEIGHT_DEMIBOLD;
    }

    SizedFace* sized(Face& face, int height) {
        if (face.face == nullptr) return nullptr;
        const int em = face.em_for(height);
        auto it = face.sizes.find(em);
        if (it == face.sizes.end()) {
            SizedFace s;
            s.em = em;
            s.ascent = ceil_scale(face.ascent_units, em, face.units_per_em);
            s.descent = ceil_scale(face.descent_units, em, face.units_per_em);
            if (FT_New_Size(face.face, &s.size) != 0) return nullptr;
            FT_Activate_Size(s.size);
            if (FT_Set_Pixel_Sizes(face.face, 0, static_cast<FT_UInt>(em)) != 0) return nullptr;
            it = face.sizes.emplace(em, std::move(s)).first;
        }
        return &it->second;
    }

    const Glyph& glyph(Face& face, SizedFace& size, char32_t cp) {
        auto it = size.glyphs.find(cp);
        if (it != size.glyphs.end()) return it->second;
        Glyph g;
        render(face, size, cp, g);
        return size.glyphs.emplace(cp, std::move(g)).first->second;
    }

    // Hinted to the full pixel grid and drawn without antialiasing, the way the window's
    // bitmap face looks on Windows; the advance is the hinted one, without kerning.
    static void render(Face& face, SizedFace& size, char32_t cp, Glyph& out) {
        FT_Activate_Size(size.size);
        FT_UInt index = FT_Get_Char_Index(face.face, cp);
        FT_GlyphSlot slot = face.face->glyph;
        if (FT_Load_Glyph(face.face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) != 0) return;
        if (face.synthetic_bold && slot->format == FT_GLYPH_FORMAT_OUTLINE)
            FT_Outline_EmboldenXY(&slot->outline, 64, 0);
        out.advance = static_cast<int>((slot->advance.x + 32) >> 6) + (face.synthetic_bold ? 1 : 0);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return;
        const FT_Bitmap& bitmap = slot->bitmap;
        out.left = slot->bitmap_left;
        out.top = slot->bitmap_top;
        out.width = static_cast<int>(bitmap.width);
        out.rows = static_cast<int>(bitmap.rows);
        out.coverage.assign(static_cast<std::size_t>(out.width) * out.rows, 0);
        for (int y = 0; y < out.rows; ++y) {
            const unsigned char* src =
                bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
            std::uint8_t* dst = out.coverage.data() + static_cast<std::size_t>(y) * out.width;
            for (int x = 0; x < out.width; ++x) {
                if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                    dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) != 0 ? 255 : 0;
                else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY)
                    dst[x] = src[x];
            }
        }
    }
};

FreeTypeText::FreeTypeText() : impl_(std::make_unique<Impl>()) {
    impl_->config = FcConfigReference(nullptr);
    if (FT_Init_FreeType(&impl_->library) != 0) impl_->library = nullptr;
}

FreeTypeText::FreeTypeText(const std::vector<std::string>& font_dirs)
    : impl_(std::make_unique<Impl>()) {
    impl_->config = FcConfigCreate();
    if (impl_->config != nullptr) {
        // The user's cache folder, so that scanning the folders needs no complaint.
        FcConfigParseAndLoadFromMemory(
            impl_->config,
            reinterpret_cast<const FcChar8*>(
                "<fontconfig><cachedir prefix=\"xdg\">fontconfig</cachedir></fontconfig>"),
            FcFalse);
        for (const std::string& dir : font_dirs)
            FcConfigAppFontAddDir(impl_->config, reinterpret_cast<const FcChar8*>(dir.c_str()));
    }
    if (FT_Init_FreeType(&impl_->library) != 0) impl_->library = nullptr;
}

FreeTypeText::~FreeTypeText() = default;

TextExtent FreeTypeText::measure(const FontSpec& font, std::string_view utf8) {
    Face& face = impl_->face_for(font);
    const std::u32string text = decode_utf8(utf8);
    SizedFace* size = impl_->sized(face, font.height);
    if (size == nullptr) {
        // No face: the metrics the usual fallback face would have, so layout stays sane.
        const int em = face.em_for(font.height);
        return {static_cast<int>(text.size()) * ((em + 1) / 2), face.cell(em)};
    }
    int width = 0;
    for (char32_t cp : text) width += impl_->glyph(face, *size, cp).advance;
    return {width, size->ascent + size->descent};
}

void FreeTypeText::draw(PixelBuffer& target, const ClipRegion& clip, const FontSpec& font,
                        Point top_left, std::string_view utf8, Rgb colour) {
    Face& face = impl_->face_for(font);
    SizedFace* size = impl_->sized(face, font.height);
    if (size == nullptr) return;
    // Never past the buffer, whatever clip the caller passes.
    const ClipRegion inside = clip.narrowed(target.bounds());
    const Rect& bounds = inside.bounds();
    if (bounds.empty()) return;
    const int baseline = top_left.y + size->ascent;
    int pen = top_left.x;
    for (char32_t cp : decode_utf8(utf8)) {
        const Glyph& g = impl_->glyph(face, *size, cp);
        const Rect box = Rect::from_size(pen + g.left, baseline - g.top, g.width, g.rows);
        if (!g.coverage.empty() && !box.intersect(bounds).empty()) {
            target.blend_coverage(inside, {box.left, box.top}, g.coverage.data(), g.width, g.rows,
                                  g.width, colour);
        }
        pen += g.advance;
    }
}

std::string FreeTypeText::face_file(const FontSpec& font) {
    return impl_->face_for(font).file;
}

}  // namespace toolkit::x11
