// The JPEG picture class: decoding of real and made-up pictures, and refusal of damaged ones.
#include "toolkit/x11/jpeg_turbo.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using toolkit::Rgb;
using toolkit::x11::decode_jpeg;

struct Encoding {
    bool progressive = false;
    bool grey = false;
};

// Compresses a picture with libjpeg, at full chroma resolution like the title picture.
Bytes encode(int width, int height, const std::function<Rgb(int, int)>& colour_at,
             Encoding how = {}) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = how.grey ? 1 : 3;
    cinfo.in_color_space = how.grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    for (int c = 0; c < cinfo.num_components; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    if (how.progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < width; ++x) {
            const Rgb c = colour_at(x, y);
            if (how.grey) {
                row[x] = c.g;
            } else {
                row[x * 3] = c.r;
                row[x * 3 + 1] = c.g;
                row[x * 3 + 2] = c.b;
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes bytes(out, out + size);
    std::free(out);
    return bytes;
}

// Red above, blue below: shows whether rows come top first and channels in order.
Rgb two_bands(int, int y) {
    return y < 8 ? Rgb{200, 30, 20} : Rgb{20, 40, 210};
}

void expect_near(Rgb actual, Rgb expected) {
    EXPECT_NEAR(actual.r, expected.r, 6);
    EXPECT_NEAR(actual.g, expected.g, 6);
    EXPECT_NEAR(actual.b, expected.b, 6);
}

class Decode : public testing::TestWithParam<bool> {};

TEST_P(Decode, GivesSizeRowsAndColours) {
    const toolkit::Bitmap picture = decode_jpeg(encode(24, 16, two_bands, {GetParam(), false}));
    ASSERT_EQ(picture.width, 24);
    ASSERT_EQ(picture.height, 16);
    ASSERT_EQ(picture.pixels.size(), 24u * 16u);
    for (toolkit::Pixel p : picture.pixels) EXPECT_EQ(p & 0xFF000000u, 0u);
    expect_near(Rgb::from_pixel(picture.pixels[2 * 24 + 5]), {200, 30, 20});
    expect_near(Rgb::from_pixel(picture.pixels[13 * 24 + 5]), {20, 40, 210});
}

INSTANTIATE_TEST_SUITE_P(BaselineAndProgressive, Decode, testing::Bool());

TEST(DecodeGrey, GivesGreyPixels) {
    const toolkit::Bitmap picture = decode_jpeg(encode(8, 8,
                                                       [](int, int) {
                                                           return Rgb{0, 128, 0};
                                                       },
                                                       {false, true}));
    ASSERT_EQ(picture.pixels.size(), 64u);
    expect_near(Rgb::from_pixel(picture.pixels[27]), {128, 128, 128});
}

TEST(DecodeTitle, IsSixHundredFortyByFourHundredEighty) {
    const std::filesystem::path path = VELMORRA_TITLE_JPG;
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not there yet";
    std::ifstream in(path, std::ios::binary);
    const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const toolkit::Bitmap picture = decode_jpeg(bytes);
    EXPECT_EQ(picture.width, 640);
    EXPECT_EQ(picture.height, 480);
    EXPECT_EQ(picture.pixels.size(), 640u * 480u);
}

const Bytes& sample(bool progressive) {
    static const Bytes baseline = encode(64, 48, two_bands, {false, false});
    static const Bytes multi_scan = encode(64, 48, two_bands, {true, false});
    return progressive ? multi_scan : baseline;
}

struct CutCase {
    bool progressive;
    double keep;  // share of the file that is left
};

void PrintTo(const CutCase& c, std::ostream* os) {
    *os << (c.progressive ? "progressive" : "baseline") << ", " << c.keep << " kept";
}

class Truncated : public testing::TestWithParam<CutCase> {};

TEST_P(Truncated, Throws) {
    const Bytes& whole = sample(GetParam().progressive);
    const auto keep = static_cast<std::size_t>(static_cast<double>(whole.size()) * GetParam().keep);
    const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(keep));
    EXPECT_THROW(decode_jpeg(cut), std::runtime_error);
}

INSTANTIATE_TEST_SUITE_P(Cuts, Truncated,
                         testing::Values(CutCase{false, 0.0}, CutCase{false, 0.01},
                                         CutCase{false, 0.1}, CutCase{false, 0.5},
                                         CutCase{false, 0.9}, CutCase{true, 0.3},
                                         CutCase{true, 0.6}, CutCase{true, 0.95}));

TEST(TruncatedEnd, MissingEndMarkerThrows) {
    for (bool progressive : {false, true}) {
        const Bytes& whole = sample(progressive);
        const Bytes cut(whole.begin(), whole.end() - 2);
        EXPECT_THROW(decode_jpeg(cut), std::runtime_error) << progressive;
    }
}

struct GarbageCase {
    const char* name;
    Bytes bytes;
};

void PrintTo(const GarbageCase& c, std::ostream* os) {
    *os << c.name;
}

class Garbage : public testing::TestWithParam<GarbageCase> {};

TEST_P(Garbage, Throws) {
    EXPECT_THROW(decode_jpeg(GetParam().bytes), std::runtime_error);
}

INSTANTIATE_TEST_SUITE_P(Inputs, Garbage,
                         testing::Values(GarbageCase{"Empty", {}}, GarbageCase{"OneByte", {0xFF}},
                                         GarbageCase{"StartMarkerOnly", {0xFF, 0xD8}},
                                         GarbageCase{"Gif", {'G', 'I', 'F', '8', '9', 'a'}},
                                         GarbageCase{"StartAndEndOnly", {0xFF, 0xD8, 0xFF, 0xD9}},
                                         GarbageCase{"Zeros", Bytes(4096, 0x00)},
                                         GarbageCase{"Ones", Bytes(4096, 0xFF)}),
                         [](const testing::TestParamInfo<GarbageCase>& case_info) {
                             return std::string(case_info.param.name);
                         });

TEST(RandomGarbage, Throws) {
    std::mt19937 random(1234);
    for (int round = 0; round < 50; ++round) {
        Bytes bytes(static_cast<std::size_t>(10 + round * 37));
        for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
        if (round % 2 == 0) {
            bytes[0] = 0xFF;
            bytes[1] = 0xD8;
        }
        EXPECT_THROW(decode_jpeg(bytes), std::runtime_error) << round;
    }
}

// Damage inside the compressed data may or may not be detectable; it must never take the
// process down, and whatever comes back has the picture's size.
TEST(Corrupt, DamagedDataThrowsOrDecodes) {
    std::mt19937 random(99);
    for (bool progressive : {false, true}) {
        const Bytes& whole = sample(progressive);
        for (int round = 0; round < 100; ++round) {
            Bytes bytes = whole;
            for (int n = 0; n < 8; ++n)
                bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
            try {
                const toolkit::Bitmap picture = decode_jpeg(bytes);
                EXPECT_EQ(picture.pixels.size(),
                          static_cast<std::size_t>(picture.width) * picture.height);
            } catch (const std::runtime_error&) {
            }
        }
    }
}

// The frame header's height and width follow its marker, its length and the precision.
std::size_t frame_header(const Bytes& jpeg) {
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) return i;
    return jpeg.size();
}

TEST(Oversized, HugeDimensionsThrowWithoutAllocating) {
    Bytes bytes = sample(false);
    const std::size_t sof = frame_header(bytes);
    ASSERT_LT(sof + 9, bytes.size());
    for (std::size_t i = sof + 5; i < sof + 9; ++i) bytes[i] = 0xFF;  // 65535 x 65535
    EXPECT_THROW(decode_jpeg(bytes), std::runtime_error);
}

TEST(Registration, RegistersTheJpegPictureClass) {
    toolkit::PictureFormats formats;
    toolkit::x11::register_jpeg(formats);
    const toolkit::PictureDecoder* decoder = formats.find(toolkit::kJpegPictureClass);
    ASSERT_NE(decoder, nullptr);
    const std::vector<std::string>* extensions = formats.extensions(toolkit::kJpegPictureClass);
    ASSERT_NE(extensions, nullptr);
    EXPECT_EQ(*extensions, (std::vector<std::string>{"jpeg", "jpg"}));
    EXPECT_EQ((*decoder)(sample(true)).width, 64);
    EXPECT_EQ(formats.find("TBitmap"), nullptr);
}

}  // namespace
