#include "toolkit/x11/connection.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <stdexcept>

namespace toolkit::x11 {

namespace {

// A failed request (a window the window manager destroyed meanwhile, say) is not worth
// ending the program over; the default handler would exit.
int ignore_protocol_error(Display*, XErrorEvent*) {
    return 0;
}

// The server went away (log-off, crash): end at once, quietly, as at a log-off.
int connection_lost(Display*) {
    _exit(0);
}

}  // namespace

Connection::Connection() {
    XSetErrorHandler(ignore_protocol_error);
    XSetIOErrorHandler(connection_lost);
    display_ = XOpenDisplay(nullptr);
    if (!display_) {
        const char* name = XDisplayName(nullptr);
        throw std::runtime_error(std::string("cannot open display \"") + (name ? name : "") + "\"");
    }
    screen_ = DefaultScreen(display_);
    root_ = RootWindow(display_, screen_);

    struct Name {
        const char* text;
        Atom Atoms::*field;
    };
    static constexpr std::array kNames = {
        Name{"WM_PROTOCOLS", &Atoms::wm_protocols},
        Name{"WM_DELETE_WINDOW", &Atoms::wm_delete_window},
        Name{"UTF8_STRING", &Atoms::utf8_string},
        Name{"_NET_WM_NAME", &Atoms::net_wm_name},
        Name{"_NET_WM_ICON", &Atoms::net_wm_icon},
        Name{"_NET_WM_PID", &Atoms::net_wm_pid},
        Name{"_NET_WM_WINDOW_TYPE", &Atoms::net_wm_window_type},
        Name{"_NET_WM_WINDOW_TYPE_NORMAL", &Atoms::net_wm_window_type_normal},
        Name{"_NET_WM_WINDOW_TYPE_DIALOG", &Atoms::net_wm_window_type_dialog},
        Name{"_NET_WM_STATE", &Atoms::net_wm_state},
        Name{"_NET_WM_STATE_MODAL", &Atoms::net_wm_state_modal},
        Name{"_NET_WM_MOVERESIZE", &Atoms::net_wm_moveresize},
        Name{"_NET_FRAME_EXTENTS", &Atoms::net_frame_extents},
        Name{"_NET_REQUEST_FRAME_EXTENTS", &Atoms::net_request_frame_extents},
        Name{"_NET_SUPPORTED", &Atoms::net_supported},
        Name{"_MOTIF_WM_HINTS", &Atoms::motif_wm_hints},
    };
    // One round trip for all of them.
    std::array<char*, kNames.size()> texts{};
    for (std::size_t i = 0; i < kNames.size(); ++i) texts[i] = const_cast<char*>(kNames[i].text);
    std::array<Atom, kNames.size()> atoms{};
    XInternAtoms(display_, texts.data(), static_cast<int>(texts.size()), False, atoms.data());
    for (std::size_t i = 0; i < kNames.size(); ++i) atoms_.*(kNames[i].field) = atoms[i];

    XWindowAttributes root_attributes{};
    if (XGetWindowAttributes(display_, root_, &root_attributes))
        has_wm_ = (root_attributes.all_event_masks & SubstructureRedirectMask) != 0;

    for (const long atom : read_property(root_, atoms_.net_supported, XA_ATOM, 4096))
        supported_.push_back(static_cast<Atom>(atom));
}

Connection::~Connection() {
    if (display_) XCloseDisplay(display_);
}

bool Connection::supports(Atom atom) const {
    return std::find(supported_.begin(), supported_.end(), atom) != supported_.end();
}

std::string Connection::resources() const {
    const char* text = XResourceManagerString(display_);
    return text ? text : "";
}

std::vector<long> Connection::read_property(Window window, Atom property, Atom type,
                                            long max_items) const {
    std::vector<long> items;
    Atom actual_type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, window, property, 0, max_items, False, type, &actual_type,
                           &format, &count, &after, &data) != Success ||
        !data)
        return items;
    // Xlib hands 32-bit items over as longs.
    if (actual_type == type && format == 32) {
        const auto* values = reinterpret_cast<const long*>(data);
        items.assign(values, values + count);
    }
    XFree(data);
    return items;
}

void Connection::send_to_window_manager(Window window, Atom message,
                                        const std::array<long, 5>& data) const {
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = window;
    request.xclient.message_type = message;
    request.xclient.format = 32;
    for (std::size_t i = 0; i < data.size(); ++i) request.xclient.data.l[i] = data[i];
    XSendEvent(display_, root_, False, SubstructureNotifyMask | SubstructureRedirectMask, &request);
}

void Connection::set_title_type_and_protocols(Window window, std::string_view title,
                                              Atom type) const {
    const std::string text(title);
    XTextProperty name{};
    name.value = reinterpret_cast<unsigned char*>(const_cast<char*>(text.c_str()));
    name.encoding = XA_STRING;
    name.format = 8;
    name.nitems = text.size();
    XSetWMName(display_, window, &name);
    XSetWMIconName(display_, window, &name);
    XChangeProperty(display_, window, atoms_.net_wm_name, atoms_.utf8_string, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()),
                    static_cast<int>(text.size()));
    Atom protocols[] = {atoms_.wm_delete_window};
    XSetWMProtocols(display_, window, protocols, 1);
    XChangeProperty(display_, window, atoms_.net_wm_window_type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&type), 1);
}

bool Connection::is_close_request(const XEvent& event) const {
    return event.type == ClientMessage && event.xclient.message_type == atoms_.wm_protocols &&
           static_cast<Atom>(event.xclient.data.l[0]) == atoms_.wm_delete_window;
}

}  // namespace toolkit::x11
