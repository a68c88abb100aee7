// The program's one X event loop, run by the application and, while it is up, by the
// message window: events to their handler, the pending paints out, then a wait.
#pragma once

#include <functional>

#include "toolkit/x11/stop_signals.h"
#include "toolkit/x11/xlib.h"

namespace toolkit::x11 {

// Hands each queued event to `handle` until `done` holds. Once the queue is empty `idle`
// runs (the paints go out) and the loop waits for the server or a stop signal. Returns
// false where a stop signal ended it, true where `done` did.
bool pump_events(Display* display, const StopSignals& signals, const std::function<bool()>& done,
                 const std::function<void(XEvent&)>& handle, const std::function<void()>& idle);

// The newest of the motion events queued for `window`, `first` where none is queued: a
// pointer that moved on makes the moves before it worthless.
XEvent latest_motion(Display* display, Window window, const XEvent& first);

}  // namespace toolkit::x11
