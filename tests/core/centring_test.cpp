// Where a window is first shown: centred on the monitor with its frame, halved toward zero,
// never beyond the desktop's top-left.
#include <gtest/gtest.h>

#include <climits>
#include <ostream>

#include "toolkit/core/layout.h"

namespace toolkit {
void PrintTo(const Point& p, std::ostream* os) {
    *os << "(" << p.x << ", " << p.y << ")";
}

namespace {

struct CentringCase {
    const char* what;
    Rect monitor;
    Rect desktop;
    FrameExtents frame;
    Point expected;
};

TEST(Centring, CentresTheOuterWindowOnTheMonitor) {
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

TEST(Centring, TruncatesTowardZeroWhereTheWindowIsLarger) {
    // (599 - 641) / 2 is -21 (not -21.5 rounded down to -22); the desktop starts far left.
    EXPECT_EQ(centred_outer_origin({0, 0, 599, 400}, {-1000, -1000, 599, 400}, {641, 499}, {}),
              (Point{-21, -49}));
}

TEST(Centring, StaysDefinedForExtremeFramesAndMonitors) {
    // Frames and monitors are other programs' numbers; under the sanitizers any overflow
    // stops the test.
    const Size client{641, 499};
    const Rect screen{0, 0, 1024, 768};
    const Rect everything{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    const CentringCase cases[] = {
        {"largest frame pushes the window to the desktop's corner",
         screen,
         screen,
         {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
         {0, 0}},
        {"most negative frame is held at int's end",
         screen,
         screen,
         {INT_MIN, INT_MIN, INT_MIN, INT_MIN},
         {INT_MAX, INT_MAX}},
        {"opposite extremes cancel",
         screen,
         screen,
         {INT_MAX, INT_MIN, INT_MIN, INT_MAX},
         {192, 135}},
        {"monitor over all of int", everything, everything, {}, {-321, -250}},
        {"monitor over all of int, largest frame",
         everything,
         everything,
         {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
         {INT_MIN, INT_MIN}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(centred_outer_origin(c.monitor, c.desktop, client, c.frame), c.expected)
            << c.what;
}

}  // namespace
}  // namespace toolkit
