// The main window's painting: the form paints what it asked for into the back buffer, and
// the changed pixels go to the server once mapped.
#include <algorithm>

#include "toolkit/x11/main_window.h"

namespace toolkit::x11 {

void MainWindow::invalidate(const Rect& area, bool erase) {
    pending_paint_.add(area, erase);
}

void MainWindow::flush() {
    for (const PendingPaint& p : pending_paint_.take()) {
        run([&] { form_.paint(back_buffer_, p.area, p.erase); });
        pending_put_.push_back(p.area);
    }
    if (!mapped_) {
        // Nothing is visible yet; the Expose events after mapping ask for the pixels.
        pending_put_.clear();
        return;
    }
    if (pending_put_.empty()) return;
    // Many small pieces (an Expose series, say) go as the box around them.
    if (pending_put_.size() > 16) {
        Rect box;
        for (const Rect& r : pending_put_) box = box.unite(r);
        pending_put_.assign(1, box);
    }
    std::vector<Rect> done;
    for (const Rect& r : pending_put_) {
        if (std::find(done.begin(), done.end(), r) != done.end()) continue;
        output_.put(window_, gc_, r);
        fill_beyond_client(r);
        done.push_back(r);
    }
    pending_put_.clear();
    if (!set_up_) {
        set_up_ = true;
        XFlush(display_);  // the first frame goes out before the rest of the set-up
        finish_setup();
    }
}

void MainWindow::fill_beyond_client(const Rect& r) {
    // Where a window manager made the window larger than its fixed size (full screen, say),
    // the rest shows black, as the window's colour.
    const Rect right{std::max(r.left, size_.width), r.top, r.right, r.bottom};
    const Rect below{r.left, std::max(r.top, size_.height), std::min(r.right, size_.width),
                     r.bottom};
    for (const Rect& part : {right, below}) {
        if (part.empty()) continue;
        XFillRectangle(display_, window_, gc_, part.left, part.top,
                       static_cast<unsigned>(part.width()), static_cast<unsigned>(part.height()));
    }
}

}  // namespace toolkit::x11
