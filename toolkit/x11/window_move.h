// Moving the window with the mouse, as a press on its picture asks (the system's move
// command). Where the window manager runs moves, the move is handed to it
// (_NET_WM_MOVERESIZE); elsewhere the window follows the pointer by hand under a pointer
// grab. Either way a move never starts once its button is up and never outlives its release.
#pragma once

#include <optional>

#include "toolkit/core/layout.h"
#include "toolkit/x11/connection.h"

namespace toolkit::x11 {

// The press a move starts from, as the server reported it.
struct PointerPress {
    unsigned button = 0;
    Point at;       // in the window
    Point at_root;  // on the root window
    Time time = CurrentTime;
};

class WindowMove {
  public:
    WindowMove(const Connection& connection, Window window);

    // Moves the window with the pointer from `press` on, while its button is held; `frame`
    // is the window manager's frame around the window.
    void start(const PointerPress& press, const FrameExtents& frame);
    // A press reached the window: a move handed to the window manager is over.
    void press_seen();
    // A release of `button` reached the window. Where that ends a move handed to the window
    // manager, the window manager took the pointer too late and would move the window until
    // the next release: the move is cancelled.
    void release_seen(unsigned button);
    // While the window follows the pointer by hand: follows `event`'s pointer position and
    // takes the pointer, key and crossing events (true); false for any other event and at
    // any other time.
    bool follow(const XEvent& event);

  private:
    // The move by hand, where no window manager runs one.
    struct ByHand {
        unsigned button = 0;
        Point pointer_start;
        Point window_start;
    };

    bool button_still_down(unsigned button) const;
    void hand_to_window_manager(const PointerPress& press);
    void start_by_hand(const PointerPress& press, const FrameExtents& frame);
    void move_to(int x_root, int y_root) const;
    void end_by_hand(Time time);

    const Connection& connection_;
    Display* display_;
    Window window_;
    std::optional<ByHand> by_hand_;
    // The button of a move handed to the window manager, until its release is seen.
    unsigned wm_move_button_ = 0;
};

}  // namespace toolkit::x11
