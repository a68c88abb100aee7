#include "toolkit/x11/jpeg_turbo.h"

#include <jerror.h>
#include <jpeglib.h>

#include <bit>
#include <csetjmp>
#include <cstddef>
#include <cstdio>  // jpeglib.h uses FILE and size_t without including them
#include <stdexcept>
#include <string>
#include <vector>

namespace toolkit::x11 {
namespace {

// Bounds that keep a hostile file from taking all memory or time: 256 MB of pixels, and
// far more scans than any encoder writes (a progressive file has about ten).
constexpr unsigned long long kMaxPixels = 8192ULL * 8192ULL;
constexpr int kMaxScans = 1000;

// libjpeg's error manager, extended with the jump back out of the library. Errors unwind by
// longjmp, because an exception must not pass through libjpeg's C frames.
struct ErrorManager {
    jpeg_error_mgr pub;  // first, so that a j_common_ptr's err converts back
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

ErrorManager& manager_of(j_common_ptr cinfo) {
    return *reinterpret_cast<ErrorManager*>(cinfo->err);
}

}  // namespace

extern "C" {

static void velmorra_jpeg_error_exit(j_common_ptr cinfo) {
    ErrorManager& err = manager_of(cinfo);
    (*cinfo->err->format_message)(cinfo, err.message);
    std::longjmp(err.jump, 1);
}

// Warnings print nothing; those that mean the picture data is damaged or cut short end the
// decoding like an error, since a damaged picture is not shown at all.
static void velmorra_jpeg_emit_message(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    switch (cinfo->err->msg_code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_MUST_RESYNC:
        case JWRN_BOGUS_PROGRESSION:
            velmorra_jpeg_error_exit(cinfo);
            break;
        default:
            break;
    }
}

static void velmorra_jpeg_output_message(j_common_ptr) {}

static void velmorra_jpeg_progress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
        ErrorManager& err = manager_of(cinfo);
        std::snprintf(err.message, sizeof err.message, "JPEG has too many scans");
        std::longjmp(err.jump, 1);
    }
}

}  // extern "C"

namespace {

void fail(j_decompress_ptr cinfo, const char* message) {
    ErrorManager& err = manager_of(reinterpret_cast<j_common_ptr>(cinfo));
    std::snprintf(err.message, sizeof err.message, "%s", message);
    std::longjmp(err.jump, 1);
}

std::uint8_t mul255(unsigned a, unsigned b) {
    return static_cast<std::uint8_t>((a * b + 127) / 255);
}

// Everything that longjmp may skip lives in the caller: this frame holds only the jump
// target and plain values. Returns false with the error manager's message set on failure.
bool decode_into(jpeg_decompress_struct& cinfo, ErrorManager& err,
                 std::span<const std::uint8_t> data, Bitmap& out, std::vector<JSAMPLE>& row) {
    if (setjmp(err.jump) != 0) return false;

    jpeg_create_decompress(&cinfo);
    cinfo.progress = &err.progress;
    jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);

    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    constexpr bool little = std::endian::native == std::endian::little;
    cinfo.out_color_space = cmyk ? JCS_CMYK : little ? JCS_EXT_BGRX : JCS_RGB;
    jpeg_calc_output_dimensions(&cinfo);
    const unsigned long long pixels =
        static_cast<unsigned long long>(cinfo.output_width) * cinfo.output_height;
    if (pixels == 0 || pixels > kMaxPixels) fail(&cinfo, "JPEG is too large");

    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    out.pixels.resize(static_cast<std::size_t>(pixels));
    row.resize(static_cast<std::size_t>(cinfo.output_width) * 4);
    jpeg_start_decompress(&cinfo);

    const bool direct = !cmyk && little;
    while (cinfo.output_scanline < cinfo.output_height) {
        Pixel* target = out.pixels.data() +
                        static_cast<std::size_t>(cinfo.output_scanline) * cinfo.output_width;
        // B, G, R, X in memory is 0xXXRRGGBB in a little-endian word.
        JSAMPROW rows[1] = {direct ? reinterpret_cast<JSAMPROW>(target) : row.data()};
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) fail(&cinfo, "JPEG ended early");
        for (JDIMENSION x = 0; x < cinfo.output_width; ++x) {
            if (direct) {
                target[x] &= 0x00FFFFFFu;
            } else if (cmyk) {
                // Adobe writes CMYK inverted; without its marker the values are plain ink.
                const JSAMPLE* s = row.data() + x * 4;
                const bool inverted = cinfo.saw_Adobe_marker;
                auto ink = [&](int i) -> unsigned { return inverted ? s[i] : 255u - s[i]; };
                target[x] =
                    Rgb{mul255(ink(0), ink(3)), mul255(ink(1), ink(3)), mul255(ink(2), ink(3))}
                        .pixel();
            } else {
                const JSAMPLE* s = row.data() + x * 3;
                target[x] = Rgb{s[0], s[1], s[2]}.pixel();
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

}  // namespace

Bitmap decode_jpeg(std::span<const std::uint8_t> data) {
    ErrorManager err{};
    jpeg_decompress_struct cinfo{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = velmorra_jpeg_error_exit;
    err.pub.emit_message = velmorra_jpeg_emit_message;
    err.pub.output_message = velmorra_jpeg_output_message;
    err.progress.progress_monitor = velmorra_jpeg_progress;

    Bitmap out;
    std::vector<JSAMPLE> row;
    const bool ok = decode_into(cinfo, err, data, out, row);
    jpeg_destroy_decompress(&cinfo);
    if (!ok) throw std::runtime_error(std::string("JPEG error: ") + err.message);
    return out;
}

void register_jpeg(PictureFormats& formats) {
    formats.register_format(kJpegPictureClass, {"jpeg", "jpg"}, decode_jpeg);
}

}  // namespace toolkit::x11
