// The shipped art, checked byte by byte: the title picture must be a progressive,
// full-resolution 640 x 480 JPEG with its editor metadata, and the icon group must hold
// its ten bitmap images in order with the sizes the program file declares.
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes read_resource(const std::string& name) {
    std::ifstream in(std::string(VELMORRA_RESOURCES_DIR) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const Bytes& title() {
    static const Bytes bytes = read_resource("title.jpg");
    return bytes;
}

const Bytes& icon() {
    static const Bytes bytes = read_resource("mainicon.ico");
    return bytes;
}

unsigned be16(const Bytes& b, size_t at) {
    return (b.at(at) << 8) | b.at(at + 1);
}
unsigned le16(const Bytes& b, size_t at) {
    return b.at(at) | (b.at(at + 1) << 8);
}
std::uint32_t le32(const Bytes& b, size_t at) {
    return le16(b, at) | (static_cast<std::uint32_t>(le16(b, at + 2)) << 16);
}

bool starts_with(const Bytes& b, size_t at, std::string_view prefix) {
    if (at + prefix.size() > b.size()) return false;
    return std::equal(prefix.begin(), prefix.end(), b.begin() + static_cast<long>(at),
                      [](char c, std::uint8_t u) { return static_cast<std::uint8_t>(c) == u; });
}

// ---- the title picture --------------------------------------------------------------

// One marker segment before the first scan: its marker and payload (after the length).
struct Segment {
    unsigned marker = 0;
    Bytes payload;
};

// Walks the segments from SOI up to and including the first SOS.
std::vector<Segment> header_segments(const Bytes& b) {
    std::vector<Segment> out;
    size_t at = 2;
    while (at + 4 <= b.size()) {
        if (b[at] != 0xFF) {
            ADD_FAILURE() << "no marker at offset " << at;
            break;
        }
        const unsigned marker = b[at + 1];
        const unsigned length = be16(b, at + 2);
        if (length < 2 || at + 2 + length > b.size()) {
            ADD_FAILURE() << "segment " << std::hex << marker << " runs past the end";
            break;
        }
        out.push_back({marker, Bytes(b.begin() + static_cast<long>(at + 4),
                                     b.begin() + static_cast<long>(at + 2 + length))});
        if (marker == 0xDA) break;
        at += 2 + length;
    }
    return out;
}

TEST(TitlePicture, BeginsWithSoiAndEndsWithEoi) {
    const Bytes& b = title();
    ASSERT_GE(b.size(), 4u);
    EXPECT_EQ(be16(b, 0), 0xFFD8u);
    EXPECT_EQ(be16(b, b.size() - 2), 0xFFD9u);
}

TEST(TitlePicture, HasOneProgressiveFrameOf640x480WithFullResolutionColour) {
    int frames = 0;
    for (const Segment& s : header_segments(title())) {
        const bool sof = s.marker >= 0xC0 && s.marker <= 0xCF && s.marker != 0xC4 &&
                         s.marker != 0xC8 && s.marker != 0xCC;
        if (!sof) continue;
        ++frames;
        EXPECT_EQ(s.marker, 0xC2u) << "not a progressive Huffman frame";
        ASSERT_EQ(s.payload.size(), 6u + 3 * 3);
        EXPECT_EQ(s.payload[0], 8) << "precision";
        EXPECT_EQ(be16(s.payload, 1), 480u) << "height";
        EXPECT_EQ(be16(s.payload, 3), 640u) << "width";
        ASSERT_EQ(s.payload[5], 3) << "components";
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(s.payload[6 + 3 * c + 1], 0x11) << "sampling of component " << c;
        }
    }
    EXPECT_EQ(frames, 1);
}

struct MetadataCase {
    const char* name;
    unsigned marker;
    std::string_view identifier;
    std::string_view follows;  // what the block after the identifier begins with
};

void PrintTo(const MetadataCase& c, std::ostream* os) {
    *os << c.name;
}

class TitleMetadata : public ::testing::TestWithParam<MetadataCase> {};

TEST_P(TitleMetadata, SegmentIsPresentBeforeTheFirstScan) {
    const MetadataCase& c = GetParam();
    int found = 0;
    for (const Segment& s : header_segments(title())) {
        if (s.marker != c.marker || !starts_with(s.payload, 0, c.identifier)) continue;
        ++found;
        EXPECT_TRUE(starts_with(s.payload, c.identifier.size(), c.follows))
            << c.name << " block does not begin with " << c.follows;
    }
    EXPECT_EQ(found, 1) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Segments, TitleMetadata,
    ::testing::Values(
        MetadataCase{"Exif", 0xE1, std::string_view("Exif\0\0", 6), "MM\0*"},
        MetadataCase{"Photoshop", 0xED, std::string_view("Photoshop 3.0\0", 14), "8BIM"},
        MetadataCase{"XMP", 0xE1, std::string_view("http://ns.adobe.com/xap/1.0/\0", 29),
                     "<?xpacket begin="}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(TitlePicture, ExifDirectoryLiesInsideItsSegment) {
    for (const Segment& s : header_segments(title())) {
        if (s.marker != 0xE1 || !starts_with(s.payload, 0, std::string_view("Exif\0\0", 6)))
            continue;
        const Bytes tiff(s.payload.begin() + 6, s.payload.end());
        ASSERT_GE(tiff.size(), 8u);
        const size_t ifd = (static_cast<size_t>(be16(tiff, 4)) << 16) | be16(tiff, 6);
        ASSERT_LE(ifd + 2, tiff.size());
        const unsigned entries = be16(tiff, ifd);
        EXPECT_GT(entries, 0u);
        EXPECT_LE(ifd + 2 + 12 * entries + 4, tiff.size());
        return;
    }
    FAIL() << "no Exif segment";
}

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void on_jpeg_error(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

TEST(TitlePicture, DecodesToAFullSizePictureWithDetail) {
    const Bytes& b = title();
    ASSERT_FALSE(b.empty());
    jpeg_decompress_struct cinfo{};
    JpegError err{};
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = on_jpeg_error;
    std::vector<std::uint8_t> pixels;
    unsigned width = 0, height = 0, components = 0;
    bool progressive = false;
    if (setjmp(err.jump) != 0) {
        jpeg_destroy_decompress(&cinfo);
        FAIL() << "libjpeg rejected the picture";
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, b.data(), static_cast<unsigned long>(b.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    width = cinfo.output_width;
    height = cinfo.output_height;
    components = static_cast<unsigned>(cinfo.output_components);
    progressive = cinfo.progressive_mode;
    pixels.resize(static_cast<size_t>(width) * height * components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row =
            pixels.data() + static_cast<size_t>(cinfo.output_scanline) * width * components;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);

    EXPECT_EQ(width, 640u);
    EXPECT_EQ(height, 480u);
    EXPECT_EQ(components, 3u);
    EXPECT_TRUE(progressive);
    // A real picture, not a flat fill: the brightness varies across it.
    double sum = 0, sum2 = 0;
    const size_t count = pixels.size() / 3;
    for (size_t i = 0; i < count; ++i) {
        const double y =
            0.299 * pixels[3 * i] + 0.587 * pixels[3 * i + 1] + 0.114 * pixels[3 * i + 2];
        sum += y;
        sum2 += y * y;
    }
    const double mean = sum / static_cast<double>(count);
    EXPECT_GT(sum2 / static_cast<double>(count) - mean * mean, 100.0) << "too flat";
}

// ---- the icon group ------------------------------------------------------------------

constexpr size_t kDirectoryEntry = 16;
constexpr size_t kHeader = 6;

TEST(MainIcon, DirectoryHoldsTenIcons) {
    const Bytes& b = icon();
    ASSERT_GE(b.size(), kHeader);
    EXPECT_EQ(le16(b, 0), 0u) << "reserved";
    EXPECT_EQ(le16(b, 2), 1u) << "type: icon";
    EXPECT_EQ(le16(b, 4), 10u) << "count";
}

struct IconCase {
    int index;
    unsigned size;
    unsigned bpp;
    std::uint32_t bytes;
};

void PrintTo(const IconCase& c, std::ostream* os) {
    *os << "image " << c.index + 1 << ": " << c.size << "x" << c.size << ", " << c.bpp << " bpp, "
        << c.bytes << " bytes";
}

class MainIconImage : public ::testing::TestWithParam<IconCase> {
  protected:
    size_t entry() const {
        return kHeader + kDirectoryEntry * static_cast<size_t>(GetParam().index);
    }
    std::uint32_t offset() const { return le32(icon(), entry() + 12); }
};

TEST_P(MainIconImage, DirectoryEntryDescribesIt) {
    const IconCase& c = GetParam();
    const Bytes& b = icon();
    ASSERT_LE(entry() + kDirectoryEntry, b.size());
    const unsigned dir_size = c.size == 256 ? 0 : c.size;  // 0 stands for 256
    EXPECT_EQ(b[entry()], dir_size) << "width";
    EXPECT_EQ(b[entry() + 1], dir_size) << "height";
    EXPECT_EQ(b[entry() + 3], 0) << "reserved";
    EXPECT_EQ(le16(b, entry() + 6), c.bpp) << "bit count";
    EXPECT_EQ(le32(b, entry() + 8), c.bytes) << "bytes in resource";
}

TEST_P(MainIconImage, IsABitmapWithDoubleHeight) {
    const IconCase& c = GetParam();
    const Bytes& b = icon();
    ASSERT_LE(static_cast<size_t>(offset()) + c.bytes, b.size()) << "image runs past the end";
    const size_t at = offset();
    EXPECT_FALSE(starts_with(b, at, "\x89PNG")) << "stored as PNG";
    EXPECT_EQ(le32(b, at), 40u) << "BITMAPINFOHEADER size";
    EXPECT_EQ(le32(b, at + 4), c.size) << "width";
    EXPECT_EQ(le32(b, at + 8), 2 * c.size) << "height counts colour bitmap and mask";
    EXPECT_EQ(le16(b, at + 12), 1u) << "planes";
    EXPECT_EQ(le16(b, at + 14), c.bpp) << "bit count";
    EXPECT_EQ(le32(b, at + 16), 0u) << "uncompressed";
}

// Where the desktop shows through: the AND mask bit of pixel (x, y), y from the top.
bool mask_bit(const Bytes& b, size_t mask_at, unsigned size, unsigned x, unsigned y) {
    const size_t row = (size + 31) / 32 * 4;
    return (b.at(mask_at + (size - 1 - y) * row + x / 8) >> (7 - x % 8)) & 1;
}

TEST_P(MainIconImage, MaskMatchesTheImage) {
    const IconCase& c = GetParam();
    const Bytes& b = icon();
    ASSERT_LE(static_cast<size_t>(offset()) + c.bytes, b.size());
    const size_t pixels_at = offset() + 40 + (c.bpp == 8 ? 256 * 4 : 0);
    const size_t colour_row = (c.size * c.bpp + 31) / 32 * 4;
    const size_t mask_at = pixels_at + colour_row * c.size;
    ASSERT_EQ(mask_at + (c.size + 31) / 32 * 4 * c.size, offset() + static_cast<size_t>(c.bytes));
    unsigned clear = 0, solid = 0, partial = 0;
    for (unsigned y = 0; y < c.size; ++y) {
        for (unsigned x = 0; x < c.size; ++x) {
            const bool through = mask_bit(b, mask_at, c.size, x, y);
            (through ? clear : solid) += 1;
            if (c.bpp != 32) continue;
            const std::uint8_t alpha = b.at(pixels_at + (c.size - 1 - y) * colour_row + x * 4 + 3);
            EXPECT_EQ(through, alpha < 128) << "pixel " << x << "," << y;
            if (alpha > 0 && alpha < 255) ++partial;
        }
    }
    EXPECT_GT(solid, c.size * c.size / 2) << "the icon is mostly opaque";
    if (c.bpp == 32) {
        EXPECT_GT(partial, 0u) << "no soft edges in the alpha channel";
    }
    if (c.size >= 32) {
        EXPECT_GT(clear, 0u) << "the rounded corners show through";
    }
}

INSTANTIATE_TEST_SUITE_P(Images, MainIconImage,
                         ::testing::Values(IconCase{0, 256, 8, 74792}, IconCase{1, 48, 8, 3752},
                                           IconCase{2, 32, 8, 2216}, IconCase{3, 24, 8, 1736},
                                           IconCase{4, 16, 8, 1384}, IconCase{5, 256, 32, 270376},
                                           IconCase{6, 48, 32, 9640}, IconCase{7, 32, 32, 4264},
                                           IconCase{8, 24, 32, 2440}, IconCase{9, 16, 32, 1128}),
                         [](const auto& param_info) {
                             return std::to_string(param_info.param.index + 1) + "_" +
                                    std::to_string(param_info.param.size) + "px_" +
                                    std::to_string(param_info.param.bpp) + "bpp";
                         });

TEST(MainIcon, ImagesLieInsideTheFileWithoutOverlapping) {
    const Bytes& b = icon();
    ASSERT_GE(b.size(), kHeader + 10 * kDirectoryEntry);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> spans;  // offset, size
    for (size_t i = 0; i < 10; ++i) {
        const size_t e = kHeader + kDirectoryEntry * i;
        spans.emplace_back(le32(b, e + 12), le32(b, e + 8));
    }
    std::sort(spans.begin(), spans.end());
    std::uint64_t end = kHeader + 10 * kDirectoryEntry;
    for (const auto& [at, size] : spans) {
        EXPECT_GE(at, end) << "image at " << at << " overlaps the directory or another image";
        end = static_cast<std::uint64_t>(at) + size;
        EXPECT_LE(end, b.size()) << "image at " << at << " runs past the end";
    }
}

}  // namespace
