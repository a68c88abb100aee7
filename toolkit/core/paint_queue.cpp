#include "paint_queue.h"

namespace toolkit {

Rect PaintQueue::add(const Rect& area, bool erase) {
    const Rect r = area.intersect(client_);
    if (r.empty()) return r;
    for (PendingPaint& p : pending_) {
        if (p.area.intersect(r) != r) continue;
        if (p.erase || !erase) return r;
        if (p.area == r) {
            p.erase = true;
            return r;
        }
    }
    pending_.push_back({r, erase});
    return r;
}

}  // namespace toolkit
