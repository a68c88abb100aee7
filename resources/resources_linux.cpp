#include "resources/resources.h"

extern "C" {
extern const std::uint8_t velmorra_title_picture_begin[];
extern const std::uint8_t velmorra_title_picture_end[];
extern const std::uint8_t velmorra_main_icon_begin[];
extern const std::uint8_t velmorra_main_icon_end[];
}

namespace resources {

std::span<const std::uint8_t> title_picture() {
    return {velmorra_title_picture_begin, velmorra_title_picture_end};
}

std::span<const std::uint8_t> main_icon() {
    return {velmorra_main_icon_begin, velmorra_main_icon_end};
}

}  // namespace resources
