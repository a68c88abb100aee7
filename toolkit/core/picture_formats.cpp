#include "picture_formats.h"

#include <utility>

namespace toolkit {

void PictureFormats::register_format(std::string_view class_name,
                                     std::vector<std::string> extensions, PictureDecoder decoder) {
    for (Format& f : formats_) {
        if (f.class_name == class_name) {
            f.extensions = std::move(extensions);
            f.decoder = std::move(decoder);
            return;
        }
    }
    formats_.push_back({std::string(class_name), std::move(extensions), std::move(decoder)});
}

const PictureDecoder* PictureFormats::find(std::string_view class_name) const {
    for (const Format& f : formats_)
        if (f.class_name == class_name && f.decoder) return &f.decoder;
    return nullptr;
}

const std::vector<std::string>* PictureFormats::extensions(std::string_view class_name) const {
    for (const Format& f : formats_)
        if (f.class_name == class_name) return &f.extensions;
    return nullptr;
}

}  // namespace toolkit
