// The JPEG class's decoder hands back the picture decoded ahead only for the very bytes it
// was given, with the same pixels or the same refusal as decoding them on the spot.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <span>
#include <stdexcept>
#include <vector>

#include "toolkit/x11/jpeg_turbo.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using toolkit::x11::decode_jpeg;
using toolkit::x11::register_jpeg;

Bytes title() {
    std::ifstream in(VELMORRA_TITLE_JPG, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

const toolkit::PictureDecoder& jpeg_decoder(const toolkit::PictureFormats& formats) {
    const toolkit::PictureDecoder* decoder = formats.find("TJPEGImage");
    if (decoder == nullptr) throw std::logic_error("TJPEGImage is not registered");
    return *decoder;
}

TEST(DecodeAhead, GivesThePixelsOfADecodingOnTheSpot) {
    const Bytes bytes = title();
    toolkit::PictureFormats formats;
    register_jpeg(formats, bytes);
    const toolkit::Bitmap ahead = jpeg_decoder(formats)(bytes);
    const toolkit::Bitmap now = decode_jpeg(bytes);
    EXPECT_EQ(ahead.width, 640);
    EXPECT_EQ(ahead.height, 480);
    EXPECT_EQ(ahead.pixels, now.pixels);
}

TEST(DecodeAhead, AskedAgainDecodesAgain) {
    const Bytes bytes = title();
    toolkit::PictureFormats formats;
    register_jpeg(formats, bytes);
    const toolkit::PictureDecoder& decoder = jpeg_decoder(formats);
    const toolkit::Bitmap first = decoder(bytes);
    const toolkit::Bitmap second = decoder(bytes);
    EXPECT_EQ(first.pixels, second.pixels);
    EXPECT_EQ(second.width, 640);
}

TEST(DecodeAhead, OtherBytesAreDecodedWhenAsked) {
    const Bytes bytes = title();
    const Bytes copy = bytes;  // equal content, other place: not the picture decoded ahead
    Bytes truncated(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2));
    toolkit::PictureFormats formats;
    register_jpeg(formats, bytes);
    const toolkit::PictureDecoder& decoder = jpeg_decoder(formats);
    EXPECT_THROW(decoder(truncated), std::runtime_error);
    EXPECT_EQ(decoder(copy).pixels, decode_jpeg(bytes).pixels);
    EXPECT_EQ(decoder(bytes).width, 640);
}

TEST(DecodeAhead, PartOfThePictureIsNotThePicture) {
    const Bytes bytes = title();
    toolkit::PictureFormats formats;
    register_jpeg(formats, bytes);
    const std::span<const std::uint8_t> front(bytes.data(), bytes.size() / 2);
    EXPECT_THROW(jpeg_decoder(formats)(front), std::runtime_error);
}

TEST(DecodeAhead, DamagedBytesAreRefusedAsOnTheSpot) {
    const Bytes bytes = title();
    const Bytes damaged(bytes.begin(),
                        bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 3));
    toolkit::PictureFormats formats;
    register_jpeg(formats, damaged);
    EXPECT_THROW(jpeg_decoder(formats)(damaged), std::runtime_error);
    EXPECT_THROW(decode_jpeg(damaged), std::runtime_error);
}

TEST(DecodeAhead, NeverAskedForEndsCleanly) {
    const Bytes bytes = title();
    {
        toolkit::PictureFormats formats;
        register_jpeg(formats, bytes);
    }
    SUCCEED();
}

TEST(DecodeAhead, AMovedRegistryKeepsTheDecoding) {
    const Bytes bytes = title();
    toolkit::PictureFormats formats;
    register_jpeg(formats, bytes);
    const toolkit::PictureFormats moved = std::move(formats);
    EXPECT_EQ(jpeg_decoder(moved)(bytes).width, 640);
}

}  // namespace
