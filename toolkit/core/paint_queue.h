// Parts of the client area waiting to be painted again, kept so that no part is painted twice
// between two frames.
#pragma once

#include <utility>
#include <vector>

#include "geometry.h"

namespace toolkit {

struct PendingPaint {
    Rect area;
    // With the background and picture first, or only the buttons over what is there.
    bool erase = false;
    friend bool operator==(const PendingPaint&, const PendingPaint&) = default;
};

class PaintQueue {
  public:
    explicit PaintQueue(Rect client) : client_(client) {}

    // Queues `area` clipped to the client area and returns the clipped area (empty where none
    // of it lies inside). An area a queued one already covers adds nothing, unless it needs
    // erasing and the queued one does not.
    Rect add(const Rect& area, bool erase);
    // What is queued, oldest first; the queue is empty afterwards.
    std::vector<PendingPaint> take() { return std::exchange(pending_, {}); }
    bool empty() const { return pending_.empty(); }

  private:
    Rect client_;
    std::vector<PendingPaint> pending_;
};

}  // namespace toolkit
