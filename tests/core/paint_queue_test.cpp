// Which repaints the queue keeps between two frames.
#include "toolkit/core/paint_queue.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using toolkit::PendingPaint;
using toolkit::Rect;

constexpr Rect kClient{0, 0, 641, 499};
constexpr Rect kDirectX{343, 457, 631, 485};
constexpr Rect kGame{343, 386, 631, 414};

struct QueueCase {
    const char* name;
    std::vector<PendingPaint> added;
    std::vector<PendingPaint> queued;
};

void PrintTo(const QueueCase& c, std::ostream* os) {
    *os << c.name;
}

class Queue : public ::testing::TestWithParam<QueueCase> {};

TEST_P(Queue, Keeps) {
    toolkit::PaintQueue queue(kClient);
    for (const PendingPaint& p : GetParam().added) queue.add(p.area, p.erase);
    EXPECT_EQ(queue.take(), GetParam().queued);
    EXPECT_TRUE(queue.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Repaints, Queue,
    ::testing::Values(
        QueueCase{"OneButton", {{kDirectX, false}}, {{kDirectX, false}}},
        QueueCase{"SameButtonTwice", {{kDirectX, false}, {kDirectX, false}}, {{kDirectX, false}}},
        QueueCase{
            "TwoButtons", {{kDirectX, false}, {kGame, false}}, {{kDirectX, false}, {kGame, false}}},
        QueueCase{
            "ButtonInsideAWholeErase", {{kClient, true}, {kDirectX, false}}, {{kClient, true}}},
        QueueCase{"EraseInsideAButtonOnlyRepaintIsKept",
                  {{kClient, false}, {kDirectX, true}},
                  {{kClient, false}, {kDirectX, true}}},
        QueueCase{"SameAreaLaterErasedBecomesOneErase",
                  {{kDirectX, false}, {kDirectX, true}},
                  {{kDirectX, true}}},
        QueueCase{"ClippedToTheClientArea",
                  {{{600, 480, 700, 600}, true}},
                  {{{600, 480, 641, 499}, true}}},
        QueueCase{"OutsideAddsNothing", {{{641, 0, 700, 10}, true}}, {}}),
    [](const auto& tc) { return tc.param.name; });

}  // namespace
