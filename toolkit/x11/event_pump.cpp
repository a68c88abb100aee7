#include "toolkit/x11/event_pump.h"

namespace toolkit::x11 {

bool pump_events(Display* display, const StopSignals& signals, const std::function<bool()>& done,
                 const std::function<void(XEvent&)>& handle, const std::function<void()>& idle) {
    while (!done()) {
        while (!done() && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            handle(event);
        }
        if (done()) break;
        idle();
        if (XPending(display) > 0) continue;
        if (!signals.wait_for(display)) return false;
    }
    return true;
}

XEvent latest_motion(Display* display, Window window, const XEvent& first) {
    XEvent latest = first;
    while (XCheckTypedWindowEvent(display, window, MotionNotify, &latest)) {
    }
    return latest;
}

}  // namespace toolkit::x11
