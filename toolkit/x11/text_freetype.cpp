#include "toolkit/x11/text_freetype.h"

#include <ft2build.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <unordered_map>
#include <utility>

#include "resources/sans_face.h"
#include FT_FREETYPE_H
#include FT_MODULE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_SYSTEM_H
#include FT_TRUETYPE_TABLES_H

// The FreeType modules that a hinted TrueType face drawn in black and white needs, by the
// names FreeType's own module list gives them. Each class begins with its FT_Module_Class.
extern "C" {
extern const FT_Module_Class tt_driver_class;
extern const FT_Module_Class sfnt_module_class;
extern const FT_Module_Class ft_raster1_renderer_class;
}

namespace toolkit::x11 {
namespace {

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

void* allocate(FT_Memory, long size) {
    return std::malloc(static_cast<std::size_t>(size));
}
void release(FT_Memory, void* block) {
    std::free(block);
}
void* reallocate(FT_Memory, long, long size, void* block) {
    return std::realloc(block, static_cast<std::size_t>(size));
}

// A library with those modules only. FT_Init_FreeType would add every font format FreeType
// knows and take settings from the environment (FREETYPE_PROPERTIES); the text must look
// the same wherever the program runs.
FT_Library open_library(FT_Memory memory) {
    FT_Library library = nullptr;
    if (FT_New_Library(memory, &library) != 0) return nullptr;
    for (const FT_Module_Class* module :
         {&tt_driver_class, &sfnt_module_class, &ft_raster1_renderer_class}) {
        if (FT_Add_Module(library, module) != 0) {
            FT_Done_Library(library);
            return nullptr;
        }
    }
    return library;
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
    FaceFiles files;
    FT_MemoryRec_ memory{nullptr, allocate, release, reallocate};
    FT_Library library = nullptr;
    // Regular, then bold; each opened on first use.
    std::unique_ptr<Face> faces[2];

    ~Impl() {
        for (auto& face : faces) face.reset();
        if (library != nullptr) FT_Done_Library(library);
    }

    Face& face_for(const FontSpec& font) {
        std::unique_ptr<Face>& face = faces[font.bold ? 1 : 0];
        if (face == nullptr) face = open_face(font.bold);
        return *face;
    }

    std::unique_ptr<Face> open_face(bool bold) {
        auto result = std::make_unique<Face>();
        if (library == nullptr) return result;
        // The style asked for where there is one, else the other.
        std::span<const std::uint8_t> file = bold ? files.bold : files.regular;
        if (file.empty()) file = bold ? files.regular : files.bold;
        if (!file.empty()) load(*result, file, bold);
        return result;
    }

    void load(Face& target, std::span<const std::uint8_t> file, bool bold) {
        FT_Face face = nullptr;
        if (FT_New_Memory_Face(library, file.data(), static_cast<FT_Long>(file.size()), 0, &face) !=
            0)
            return;
        if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
            FT_Done_Face(face);
            return;
        }
        target.face = face;
        target.units_per_em = face->units_per_EM;
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
            target.ascent_units = os2->usWinAscent;
            target.descent_units = os2->usWinDescent;
        } else {
            target.ascent_units = std::max<long>(face->ascender, 0);
            target.descent_units = std::max<long>(-face->descender, 0);
        }
        target.synthetic_bold = bold && (face->style_flags & FT_STYLE_FLAG_BOLD) == 0;
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

FreeTypeText::FreeTypeText()
    : FreeTypeText(FaceFiles{resources::sans_regular(), resources::sans_bold()}) {}

FreeTypeText::FreeTypeText(FaceFiles faces) : impl_(std::make_unique<Impl>()) {
    impl_->files = faces;
    impl_->library = open_library(&impl_->memory);
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

std::string FreeTypeText::face_style(const FontSpec& font) {
    const Face& face = impl_->face_for(font);
    if (face.face == nullptr) return "";
    std::string style = face.face->style_name != nullptr ? face.face->style_name : "";
    if (face.synthetic_bold) style += " emboldened";
    return style;
}

bool FreeTypeText::has_glyph(const FontSpec& font, char32_t c) {
    const Face& face = impl_->face_for(font);
    return face.face != nullptr && FT_Get_Char_Index(face.face, c) != 0;
}

}  // namespace toolkit::x11
