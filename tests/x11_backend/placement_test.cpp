#include "toolkit/x11/placement.h"

#include <gtest/gtest.h>

#include <ostream>

namespace toolkit {
void PrintTo(const Point& p, std::ostream* os) {
    *os << "(" << p.x << ", " << p.y << ")";
}
}  // namespace toolkit

namespace toolkit::x11 {
namespace {

struct CentringCase {
    const char* what;
    Rect monitor;
    Rect desktop;
    FrameExtents frame;
    Point expected;
};

TEST(Placement, CentresTheOuterWindowOnTheMonitor) {
    const Size client{641, 499};
    const CentringCase cases[] = {
        {"no frame, even screen", {0, 0, 1024, 768}, {0, 0, 1024, 768}, {}, {191, 134}},
        {"no frame, odd screen halves toward zero",
         {0, 0, 1023, 767},
         {0, 0, 1023, 767},
         {},
         {191, 134}},
        {"openbox frame", {0, 0, 1023, 767}, {0, 0, 1023, 767}, {1, 1, 20, 1}, {190, 123}},
        {"second monitor", {1920, 0, 3200, 1024}, {0, 0, 3200, 1080}, {}, {2239, 262}},
        {"monitor smaller than the window", {0, 0, 600, 400}, {0, 0, 600, 400}, {}, {0, 0}},
        {"beyond the monitor but inside the desktop",
         {100, 50, 700, 450},
         {0, 0, 1400, 900},
         {},
         {80, 1}},
        {"desktop to the left of zero", {-800, 0, 0, 600}, {-800, 0, 1024, 768}, {}, {-721, 50}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(centred_outer_origin(c.monitor, c.desktop, client, c.frame), c.expected)
            << c.what;
}

TEST(Placement, TruncatesTowardZeroWhereTheWindowIsLarger) {
    // (599 - 641) / 2 is -21 (not -21.5 rounded down to -22); the desktop starts far left.
    EXPECT_EQ(centred_outer_origin({0, 0, 599, 400}, {-1000, -1000, 599, 400}, {641, 499}, {}),
              (Point{-21, -49}));
}

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
