#include "jpeg_file.h"

#include <jpeglib.h>

#include <cstdio>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string_view>

namespace artgen {
namespace {

void append(std::vector<std::uint8_t>& out, std::string_view bytes) {
    for (char c : bytes) out.push_back(static_cast<std::uint8_t>(c));
}
void append_be16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}
void append_be32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    append_be16(out, v >> 16);
    append_be16(out, v & 0xFFFF);
}

// One 12-byte TIFF directory entry; `value` holds the value itself or its offset.
void ifd_entry(std::vector<std::uint8_t>& out, unsigned tag, unsigned type, std::uint32_t count,
               std::uint32_t value) {
    append_be16(out, tag);
    append_be16(out, type);
    append_be32(out, count);
    if (type == 3 && count == 1) {  // a SHORT sits in the first two bytes
        append_be16(out, value);
        append_be16(out, 0);
    } else {
        append_be32(out, value);
    }
}

constexpr unsigned kShort = 3, kLong = 4, kRational = 5, kAscii = 2;

// The fewest scans a progressive file can have: the DC coefficients of all three components
// in one scan, then each component's AC coefficients whole. Without successive approximation
// there are no refinement passes, which are most of the cost of decoding libjpeg's default
// ten-scan script (about 40 % fewer instructions for this picture with libjpeg-turbo). The
// final coefficients, and so the decoded pixels, are the same as with any other script.
constexpr jpeg_scan_info kScans[] = {
    {3, {0, 1, 2}, 0, 0, 0, 0},
    {1, {0}, 1, 63, 0, 0},
    {1, {1}, 1, 63, 0, 0},
    {1, {2}, 1, 63, 0, 0},
};

}  // namespace

std::vector<std::uint8_t> exif_payload(int width, int height) {
    // Big-endian TIFF: IFD0 at 8 with six entries, then its values, then the Exif IFD.
    constexpr std::string_view software = "velmorra-artgen";
    const std::uint32_t ifd0_size = 2 + 6 * 12 + 4;
    const std::uint32_t xres_at = 8 + ifd0_size;
    const std::uint32_t yres_at = xres_at + 8;
    const std::uint32_t software_at = yres_at + 8;
    const std::uint32_t software_len = static_cast<std::uint32_t>(software.size()) + 1;
    const std::uint32_t exif_ifd_at = software_at + ((software_len + 1) & ~1u);

    std::vector<std::uint8_t> tiff;
    append(tiff, "MM");
    append_be16(tiff, 42);
    append_be32(tiff, 8);
    append_be16(tiff, 6);
    ifd_entry(tiff, 0x0112, kShort, 1, 1);  // orientation: top-left
    ifd_entry(tiff, 0x011A, kRational, 1, xres_at);
    ifd_entry(tiff, 0x011B, kRational, 1, yres_at);
    ifd_entry(tiff, 0x0128, kShort, 1, 2);  // resolution in inches
    ifd_entry(tiff, 0x0131, kAscii, software_len, software_at);
    ifd_entry(tiff, 0x8769, kLong, 1, exif_ifd_at);
    append_be32(tiff, 0);  // no further IFD
    for (int i = 0; i < 2; ++i) {
        append_be32(tiff, 72);
        append_be32(tiff, 1);
    }
    append(tiff, software);
    tiff.push_back(0);
    if (software_len % 2) tiff.push_back(0);
    append_be16(tiff, 3);
    ifd_entry(tiff, 0xA001, kShort, 1, 1);  // colour space: sRGB
    ifd_entry(tiff, 0xA002, kLong, 1, static_cast<std::uint32_t>(width));
    ifd_entry(tiff, 0xA003, kLong, 1, static_cast<std::uint32_t>(height));
    append_be32(tiff, 0);

    std::vector<std::uint8_t> out;
    append(out, std::string_view("Exif\0\0", 6));
    out.insert(out.end(), tiff.begin(), tiff.end());
    return out;
}

std::vector<std::uint8_t> photoshop_payload() {
    std::vector<std::uint8_t> out;
    append(out, std::string_view("Photoshop 3.0\0", 14));
    auto resource = [&](unsigned id, const std::vector<std::uint8_t>& data) {
        append(out, "8BIM");
        append_be16(out, id);
        append_be16(out, 0);  // empty Pascal name, padded to even length
        append_be32(out, static_cast<std::uint32_t>(data.size()));
        out.insert(out.end(), data.begin(), data.end());
        if (data.size() % 2) out.push_back(0);
    };
    // 0x03ED resolution info: 72 dpi both ways, shown in inches.
    std::vector<std::uint8_t> res;
    for (int i = 0; i < 2; ++i) {
        append_be32(res, 72u << 16);
        append_be16(res, 1);
        append_be16(res, 1);
    }
    resource(0x03ED, res);
    // 0x0404 IPTC: record version and the object name.
    std::vector<std::uint8_t> iptc = {0x1C, 2, 0, 0, 2, 0, 4};
    constexpr std::string_view name = "VELMORRA";
    iptc.insert(iptc.end(), {0x1C, 2, 5, 0, static_cast<std::uint8_t>(name.size())});
    append(iptc, name);
    resource(0x0404, iptc);
    return out;
}

std::vector<std::uint8_t> xmp_payload() {
    std::vector<std::uint8_t> out;
    append(out, std::string_view("http://ns.adobe.com/xap/1.0/\0", 29));
    append(out,
           "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
           "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
           " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
           "  <rdf:Description rdf:about=\"\"\n"
           "    xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"\n"
           "    xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n"
           "    xmp:CreatorTool=\"velmorra-artgen\">\n"
           "   <dc:title><rdf:Alt><rdf:li "
           "xml:lang=\"x-default\">VELMORRA</rdf:li></rdf:Alt></dc:title>\n"
           "  </rdf:Description>\n"
           " </rdf:RDF>\n"
           "</x:xmpmeta>\n"
           "<?xpacket end=\"w\"?>");
    return out;
}

void write_title_jpeg(const std::string& path, const std::vector<std::uint8_t>& rgb, int width,
                      int height, int quality) {
    if (rgb.size() != static_cast<size_t>(width) * height * 3) {
        throw std::invalid_argument("pixel buffer does not match the picture size");
    }
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file) throw std::runtime_error("cannot write " + path);

    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);  // the default handler reports and exits
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file.get());
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    for (int i = 0; i < cinfo.num_components; ++i) {
        cinfo.comp_info[i].h_samp_factor = 1;  // full-resolution colour
        cinfo.comp_info[i].v_samp_factor = 1;
    }
    cinfo.write_JFIF_header = FALSE;  // the Exif segment leads instead
    cinfo.scan_info = kScans;
    cinfo.num_scans = static_cast<int>(std::size(kScans));
    jpeg_start_compress(&cinfo, TRUE);

    const auto exif = exif_payload(width, height);
    const auto photoshop = photoshop_payload();
    const auto xmp = xmp_payload();
    jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
    jpeg_write_marker(&cinfo, JPEG_APP0 + 13, photoshop.data(),
                      static_cast<unsigned>(photoshop.size()));
    jpeg_write_marker(&cinfo, JPEG_APP0 + 1, xmp.data(), static_cast<unsigned>(xmp.size()));

    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + static_cast<size_t>(cinfo.next_scanline) *
                                                             static_cast<size_t>(width) * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    if (std::fflush(file.get()) != 0) throw std::runtime_error("cannot write " + path);
}

}  // namespace artgen
