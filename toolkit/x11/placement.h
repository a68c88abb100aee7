// The screen's density for the window: Xft.dpi from the X resource database.
#pragma once

#include <optional>
#include <string_view>

#include "toolkit/core/layout.h"

namespace toolkit::x11 {

// Xft.dpi from the text of the X resource database, rounded; none where it is not set or
// not a positive number.
std::optional<int> xft_dpi(std::string_view resources);

}  // namespace toolkit::x11
