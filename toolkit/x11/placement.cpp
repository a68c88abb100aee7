#include "toolkit/x11/placement.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace toolkit::x11 {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

}  // namespace

std::optional<int> xft_dpi(std::string_view resources) {
    std::optional<int> found;
    while (!resources.empty()) {
        const std::size_t end = resources.find('\n');
        const std::string_view line = resources.substr(0, end);
        resources = end == std::string_view::npos ? std::string_view{} : resources.substr(end + 1);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || trim(line.substr(0, colon)) != "Xft.dpi") continue;
        const std::string_view value = trim(line.substr(colon + 1));
        double dpi = 0;
        const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), dpi);
        if (ec != std::errc{} || ptr != value.data() + value.size()) continue;
        if (!(dpi >= 1 && dpi <= 10000)) continue;
        // The last setting wins, as in the resource database.
        found = static_cast<int>(std::lround(dpi));
    }
    return found;
}

}  // namespace toolkit::x11
