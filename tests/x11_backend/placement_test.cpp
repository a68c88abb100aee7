// clang-format off
// GoogleTest before Xlib, whose macros (None, Bool) would rename GoogleTest's names.
#include <gtest/gtest.h>
#include "toolkit/x11/placement.h"
// clang-format on

#include <climits>
#include <ostream>
#include <vector>

namespace toolkit {
void PrintTo(const Rect& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}
}  // namespace toolkit

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

TEST(Placement, HoldsXftDpiToTheDensitiesWindowsOffers) {
    const DpiCase cases[] = {
        {"Xft.dpi:\t1\n", 96},
        {"Xft.dpi:\t5\n", 96},
        {"Xft.dpi:\t0.5\n", 96},
        {"Xft.dpi:\t95.4\n", 96},
        {"Xft.dpi:\t480\n", 480},
        {"Xft.dpi:\t480.4\n", 480},
        {"Xft.dpi:\t481\n", 480},
        {"Xft.dpi:\t10000\n", 480},
        {"Xft.dpi:\t1e300\n", 480},
        {"Xft.dpi:\tinf\n", std::nullopt},
        {"Xft.dpi:\tnan\n", std::nullopt},
        {"Xft.dpi:\t-1e300\n", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(xft_dpi(c.resources), c.expected) << c.resources;
}

struct FrameCase {
    const char* what;
    std::vector<long> items;
    FrameExtents expected;
};

TEST(Placement, HoldsFrameExtentsToWhatAScreenCanHold) {
    const FrameCase cases[] = {
        {"openbox frame", {1, 1, 20, 1}, {1, 1, 20, 1}},
        {"no property", {}, {}},
        {"too few items", {1, 1, 20}, {}},
        {"largest 32-bit cardinal", {0xFFFFFFFFL, 2, 3, 4}, {32767, 2, 3, 4}},
        {"int's ends", {INT_MAX, INT_MIN, LONG_MAX, LONG_MIN}, {32767, 0, 32767, 0}},
        {"negative thickness", {-5, -1, 0, 7}, {0, 0, 0, 7}},
    };
    for (const auto& c : cases) {
        const FrameExtents f = bounded_frame_extents(c.items);
        EXPECT_EQ(f.left, c.expected.left) << c.what;
        EXPECT_EQ(f.right, c.expected.right) << c.what;
        EXPECT_EQ(f.top, c.expected.top) << c.what;
        EXPECT_EQ(f.bottom, c.expected.bottom) << c.what;
    }
}

struct MonitorCase {
    const char* what;
    long long x, y, width, height;
    Rect expected;
};

TEST(Placement, HoldsMonitorsToWhatAScreenCanHold) {
    const MonitorCase cases[] = {
        {"ordinary monitor", 1920, 0, 1280, 1024, {1920, 0, 3200, 1024}},
        {"left of zero", -800, -10, 800, 600, {-800, -10, 0, 590}},
        {"largest 16-bit size", 0, 0, 65535, 65535, {0, 0, 32767, 32767}},
        {"int's ends", INT_MIN, INT_MAX, INT_MAX, INT_MAX, {-32768, 32767, 32767, 32767}},
        {"long long's ends",
         LLONG_MAX,
         LLONG_MIN,
         LLONG_MAX,
         LLONG_MIN,
         {32767, -32768, 32767, -32768}},
        {"negative size", 10, 10, -100, -100, {10, 10, 10, 10}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bounded_monitor(c.x, c.y, c.width, c.height), c.expected) << c.what;
}

TEST(Placement, HoldsCoordinatesToTheProtocolsRange) {
    EXPECT_EQ(screen_coordinate(0), 0);
    EXPECT_EQ(screen_coordinate(-32768), -32768);
    EXPECT_EQ(screen_coordinate(32767), 32767);
    EXPECT_EQ(screen_coordinate(32768), 32767);
    EXPECT_EQ(screen_coordinate(-32769), -32768);
    EXPECT_EQ(screen_coordinate(LLONG_MAX), 32767);
    EXPECT_EQ(screen_coordinate(LLONG_MIN), -32768);
}

}  // namespace
}  // namespace toolkit::x11
