// The one connection to the X server, with the atoms the program uses and what the running
// window manager says it supports.
#pragma once

#include <string>
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

  private:
    Display* display_ = nullptr;
    int screen_ = 0;
    Window root_ = 0;
    Atoms atoms_{};
    bool has_wm_ = false;
    std::vector<Atom> supported_;
};

}  // namespace toolkit::x11
