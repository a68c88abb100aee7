// On Windows the art lives in the program file's resources (velmorra.rc).
#include <windows.h>

#include "resources/resources.h"

namespace resources {

std::span<const std::uint8_t> title_picture() {
    HRSRC found = FindResourceW(nullptr, L"TITLE", MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(nullptr, found);
    if (!loaded) return {};
    const void* bytes = LockResource(loaded);
    if (!bytes) return {};
    return {static_cast<const std::uint8_t*>(bytes), SizeofResource(nullptr, found)};
}

// The icon group MAINICON is read by the system itself (LoadImage in the backend), so no
// .ico bytes are kept in the program: empty on Windows.
std::span<const std::uint8_t> main_icon() {
    return {};
}

}  // namespace resources
