// clang-format off
// GoogleTest before Xlib, whose macros (None, Bool) would rename GoogleTest's names.
#include <gtest/gtest.h>
#include "toolkit/x11/placement.h"
// clang-format on

namespace toolkit::x11 {
namespace {

struct DpiCase {
    const char* resources;
    std::optional<int> expected;
};

TEST(Placement, ReadsXftDpi) {
    const DpiCase cases[] = {
        {"", std::nullopt},
        {"Xft.dpi:\t96\n", 96},
        {"Xft.antialias:\t1\nXft.dpi:\t120\nXft.hinting:\t1\n", 120},
        {"Xft.dpi: 144.0", 144},
        {"Xft.dpi:\t96.6\n", 97},
        {"Xft.dpi:\tlarge\n", std::nullopt},
        {"Xft.dpi:\t0\n", std::nullopt},
        {"Xft.dpi:\t-96\n", std::nullopt},
        {"Xft.dpix:\t120\n", std::nullopt},
        {"*dpi:\t120\n", std::nullopt},
        {"Xft.dpi:\t96\nXft.dpi:\t192\n", 192},
    };
    for (const auto& c : cases) EXPECT_EQ(xft_dpi(c.resources), c.expected) << c.resources;
}

}  // namespace
}  // namespace toolkit::x11
