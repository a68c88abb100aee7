// The one connection to the X server: the atoms the program uses, what the running window
// manager says it supports, and the few ways the program talks to window managers and other
// clients (properties read, client messages sent, windows named).
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/x11/xlib.h"

namespace toolkit::x11 {

struct Atoms {
    Atom wm_protocols;
    Atom wm_delete_window;
    Atom utf8_string;
    Atom net_wm_name;
    Atom net_wm_icon;
    Atom net_wm_pid;
    Atom net_wm_window_type;
    Atom net_wm_window_type_normal;
    Atom net_wm_window_type_dialog;
    Atom net_wm_state;
    Atom net_wm_state_modal;
    Atom net_wm_moveresize;
    Atom net_frame_extents;
    Atom net_request_frame_extents;
    Atom net_supported;
    Atom motif_wm_hints;
};

class Connection {
  public:
    // Throws std::runtime_error where no display can be opened.
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Display* display() const { return display_; }
    int screen() const { return screen_; }
    Window root() const { return root_; }
    const Atoms& atoms() const { return atoms_; }

    // Whether a window manager manages the root (it redirects the root's substructure).
    bool has_window_manager() const { return has_wm_; }
    // Whether the window manager lists `atom` in _NET_SUPPORTED.
    bool supports(Atom atom) const;
    // The X resource database as text (RESOURCE_MANAGER), read when the display was opened.
    std::string resources() const;

    // The 32-bit items of `window`'s `property` (at most `max_items`) where it has the type
    // `type`; empty where it is missing or of another type or format. Every property another
    // client sets (the window manager's above all) is read through here.
    std::vector<long> read_property(Window window, Atom property, Atom type, long max_items) const;
    // A client message about `window` to the window manager (sent to the root window, as the
    // EWMH asks). Not flushed.
    void send_to_window_manager(Window window, Atom message,
                                const std::array<long, 5>& data = {}) const;
    // Gives `window` its title (WM_NAME, WM_ICON_NAME and _NET_WM_NAME), its window type
    // (_NET_WM_WINDOW_TYPE) and the WM_DELETE_WINDOW protocol, so its close box asks first.
    void set_title_type_and_protocols(Window window, std::string_view title, Atom type) const;
    // Whether `event` is a window manager's request to close its window (WM_DELETE_WINDOW).
    bool is_close_request(const XEvent& event) const;

  private:
    Display* display_ = nullptr;
    int screen_ = 0;
    Window root_ = 0;
    Atoms atoms_{};
    bool has_wm_ = false;
    std::vector<Atom> supported_;
};

}  // namespace toolkit::x11
