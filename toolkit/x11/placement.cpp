#include "toolkit/x11/placement.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>
#include <poll.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>

namespace toolkit::x11 {

namespace {

// How long a window manager may take to say how thick its frame will be: it answers within
// a millisecond or two, but a loaded machine can hold it up far longer.
constexpr auto kFrameExtentsWait = std::chrono::milliseconds(1000);

// The densities Windows offers, 100 % to 500 %.
constexpr double kLeastDpi = 96;
constexpr double kMostDpi = 480;

// The protocol's 16-bit coordinates.
constexpr long long kLeastCoordinate = -32768;
constexpr long long kMostCoordinate = 32767;

// Waits until the window manager sets _NET_FRAME_EXTENTS on `window`, or the time is up.
void wait_for_frame_extents(const Connection& connection, Window window) {
    Display* display = connection.display();
    const auto deadline = std::chrono::steady_clock::now() + kFrameExtentsWait;
    struct Match {
        Window window;
        Atom atom;
    } match{window, connection.atoms().net_frame_extents};
    auto is_extents = [](Display*, XEvent* e, XPointer arg) -> Bool {
        const auto* m = reinterpret_cast<const Match*>(arg);
        return e->type == PropertyNotify && e->xproperty.window == m->window &&
               e->xproperty.atom == m->atom;
    };
    XEvent event{};
    while (!XCheckIfEvent(display, &event, is_extents, reinterpret_cast<XPointer>(&match))) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{ConnectionNumber(display), POLLIN, 0};
        poll(&p, 1, static_cast<int>(left.count()));
    }
}

Rect whole_screen(const Connection& connection) {
    Display* display = connection.display();
    const int screen = connection.screen();
    return bounded_monitor(0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen));
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

}  // namespace

FrameExtents read_frame_extents(const Connection& connection, Window window) {
    return bounded_frame_extents(
        connection.read_property(window, connection.atoms().net_frame_extents, XA_CARDINAL, 4));
}

FrameExtents frame_extents_before_mapping(const Connection& connection, Window window,
                                          const std::function<void()>& meanwhile) {
    const Atom request = connection.atoms().net_request_frame_extents;
    if (!connection.has_window_manager() || !connection.supports(request)) return {};
    connection.send_to_window_manager(window, request);
    XFlush(connection.display());
    meanwhile();
    wait_for_frame_extents(connection, window);
    return read_frame_extents(connection, window);
}

Rect primary_monitor(const Connection& connection) {
    Display* display = connection.display();
    const Rect whole = whole_screen(connection);
    int event_base = 0;
    int error_base = 0;
    int major = 0;
    int minor = 0;
    if (!XRRQueryExtension(display, &event_base, &error_base) ||
        !XRRQueryVersion(display, &major, &minor) || (major == 1 && minor < 3))
        return whole;
    const RROutput primary = XRRGetOutputPrimary(display, connection.root());
    if (primary == None) return whole;
    Rect monitor = whole;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, connection.root());
    if (!resources) return whole;
    if (XRROutputInfo* output = XRRGetOutputInfo(display, resources, primary)) {
        if (output->crtc != None) {
            if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, output->crtc)) {
                if (crtc->width > 0 && crtc->height > 0)
                    monitor = bounded_monitor(crtc->x, crtc->y, crtc->width, crtc->height);
                XRRFreeCrtcInfo(crtc);
            }
        }
        XRRFreeOutputInfo(output);
    }
    XRRFreeScreenResources(resources);
    return monitor;
}

Point first_position(const Connection& connection, Size client, const FrameExtents& frame) {
    return centred_outer_origin(primary_monitor(connection), whole_screen(connection), client,
                                frame);
}

int screen_pixels_per_inch(const Connection& connection) {
    return xft_dpi(connection.resources()).value_or(96);
}

std::optional<int> xft_dpi(std::string_view resources) {
    std::optional<int> found;
    while (!resources.empty()) {
        const std::size_t end = resources.find('\n');
        const std::string_view line = resources.substr(0, end);
        resources = end == std::string_view::npos ? std::string_view{} : resources.substr(end + 1);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || trim(line.substr(0, colon)) != "Xft.dpi") continue;
        const std::string_view value = trim(line.substr(colon + 1));
        double dpi = 0;
        const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), dpi);
        if (ec != std::errc{} || ptr != value.data() + value.size()) continue;
        if (!(dpi > 0 && std::isfinite(dpi))) continue;
        // The last setting wins, as in the resource database.
        found = static_cast<int>(std::lround(std::clamp(dpi, kLeastDpi, kMostDpi)));
    }
    return found;
}

int screen_coordinate(long long value) {
    return static_cast<int>(std::clamp(value, kLeastCoordinate, kMostCoordinate));
}

FrameExtents bounded_frame_extents(const std::vector<long>& items) {
    if (items.size() != 4) return {};
    auto thickness = [](long v) { return std::max(0, screen_coordinate(v)); };
    return {thickness(items[0]), thickness(items[1]), thickness(items[2]), thickness(items[3])};
}

Rect bounded_monitor(long long x, long long y, long long width, long long height) {
    const int left = screen_coordinate(x);
    const int top = screen_coordinate(y);
    // Sizes are 16-bit and unsigned in the protocol.
    auto size = [](long long v) { return std::clamp(v, 0LL, 65535LL); };
    return {left, top, screen_coordinate(left + size(width)),
            screen_coordinate(top + size(height))};
}

}  // namespace toolkit::x11
