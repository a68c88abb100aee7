#include "resources/resources.h"
#include "resources/sans_face.h"

extern "C" {
extern const std::uint8_t velmorra_title_picture_begin[];
extern const std::uint8_t velmorra_title_picture_end[];
extern const std::uint8_t velmorra_main_icon_begin[];
extern const std::uint8_t velmorra_main_icon_end[];
extern const std::uint8_t velmorra_sans_regular_begin[];
extern const std::uint8_t velmorra_sans_regular_end[];
extern const std::uint8_t velmorra_sans_bold_begin[];
extern const std::uint8_t velmorra_sans_bold_end[];
}

namespace resources {

std::span<const std::uint8_t> title_picture() {
    return {velmorra_title_picture_begin, velmorra_title_picture_end};
}

std::span<const std::uint8_t> main_icon() {
    return {velmorra_main_icon_begin, velmorra_main_icon_end};
}

std::span<const std::uint8_t> sans_regular() {
    return {velmorra_sans_regular_begin, velmorra_sans_regular_end};
}

std::span<const std::uint8_t> sans_bold() {
    return {velmorra_sans_bold_begin, velmorra_sans_bold_end};
}

}  // namespace resources
