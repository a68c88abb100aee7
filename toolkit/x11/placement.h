// What the desktop says about where the window goes and how large it is drawn: the frame the
// window manager adds (_NET_FRAME_EXTENTS), the primary monitor (XRandR) and the screen's
// density (Xft.dpi). These numbers come from other clients and are read here alone; the
// window's first position follows from them by the toolkit's centring rule.
#pragma once

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "toolkit/core/layout.h"
#include "toolkit/x11/connection.h"

namespace toolkit::x11 {

// The frame around `window` as the window manager last set it; none where it has not.
FrameExtents read_frame_extents(const Connection& connection, Window window);

// Asks the window manager how thick the frame of the not yet mapped `window` will be, runs
// `meanwhile` (the first paint), then waits up to a second for the answer. No frame where no
// window manager runs or it does not answer such requests.
FrameExtents frame_extents_before_mapping(const Connection& connection, Window window,
                                          const std::function<void()>& meanwhile);

// The primary monitor's area on the root window; the whole screen where XRandR (1.3 or
// later) names none.
Rect primary_monitor(const Connection& connection);

// Where the framed window of `client` size is first shown: centred on the primary monitor,
// never beyond the top-left of the screen.
Point first_position(const Connection& connection, Size client, const FrameExtents& frame);

// The screen's density for the window's layout: Xft.dpi where it is set, else 96.
int screen_pixels_per_inch(const Connection& connection);

// Xft.dpi from the text of the X resource database, rounded and held to 96..480 (100 % to
// 500 %, the densities Windows offers); none where it is not set or not a positive number.
std::optional<int> xft_dpi(std::string_view resources);

// Every number read above is held to what an X screen can hold before any arithmetic uses
// it: the protocol's coordinates are 16-bit, and a window manager or another client may set
// anything.

// `value` held to the range of a screen coordinate, -32768..32767.
int screen_coordinate(long long value);

// The frame from the items of _NET_FRAME_EXTENTS (left, right, top, bottom), each held to
// 0..32767; no frame unless there are exactly four.
FrameExtents bounded_frame_extents(const std::vector<long>& items);

// A monitor's area from its origin and size, each held to what a screen can hold.
Rect bounded_monitor(long long x, long long y, long long width, long long height);

}  // namespace toolkit::x11
