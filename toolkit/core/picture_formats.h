// Picture classes the description loader can build, registered by the platform at start-up.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pixel_buffer.h"

namespace toolkit {

// The picture class of the JPEG pictures a description holds, under which each platform
// registers its JPEG decoder.
inline constexpr std::string_view kJpegPictureClass = "TJPEGImage";

// Turns the stored bytes of a picture into pixels; throws when the bytes are not a picture.
using PictureDecoder = std::function<Bitmap(std::span<const std::uint8_t>)>;

class PictureFormats {
  public:
    void register_format(std::string_view class_name, std::vector<std::string> extensions,
                         PictureDecoder decoder);
    // Null where no such class is registered.
    const PictureDecoder* find(std::string_view class_name) const;
    const std::vector<std::string>* extensions(std::string_view class_name) const;

  private:
    struct Format {
        std::string class_name;
        std::vector<std::string> extensions;
        PictureDecoder decoder;
    };
    std::vector<Format> formats_;
};

}  // namespace toolkit
