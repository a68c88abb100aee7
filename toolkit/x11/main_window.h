// The form's native window: a fixed-size, dialog-framed top-level window that shows the
// form's pixels from a back buffer and turns X events into the form's input.
#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "toolkit/core/form.h"
#include "toolkit/core/paint_queue.h"
#include "toolkit/core/window_host.h"
#include "toolkit/x11/connection.h"
#include "toolkit/x11/image_output.h"
#include "toolkit/x11/placement.h"
#include "toolkit/x11/xlib.h"

namespace toolkit::x11 {

class MainWindow final : public WindowHost {
  public:
    // `guard` runs each call into the form, catching what escapes it. The window is created
    // hidden; `icon_file` is a .ico file (may be empty) whose 32-bit images become the
    // window's icon after the first frame; it must outlive the window.
    MainWindow(Connection& connection, Form& form,
               std::function<void(const std::function<void()>&)> guard,
               std::span<const std::uint8_t> icon_file);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Centres the window on the primary monitor, paints it and maps it.
    void show();
    // `modal`: a message box of ours is up; input to this window is dropped.
    void handle(XEvent& event, bool modal);
    // Paints what was invalidated and sends the changed pixels to the server.
    void flush();

    Window id() const { return window_; }
    bool close_requested() const { return close_requested_; }
    // The client area on the root window, as far as this window knows it.
    Rect screen_area() const;

    // WindowHost
    void invalidate(const Rect& area, bool erase) override;
    void set_capture() override;
    void release_capture() override;
    void perform(unsigned message, std::uintptr_t wparam, std::intptr_t lparam) override;

  private:
    struct Press {
        unsigned button = 0;
        int x = 0;
        int y = 0;
        int x_root = 0;
        int y_root = 0;
        Time time = CurrentTime;
    };
    // The move by hand, where no window manager runs one.
    struct Move {
        unsigned button = 0;
        Point pointer_start;
        Point window_start;
    };

    void set_properties();
    void fill_beyond_client(const Rect& area);
    void finish_setup();
    void set_size_hints(Point origin);
    FrameExtents frame_extents_for_centring();
    FrameExtents read_frame_extents();
    Rect primary_monitor();
    void start_move();
    bool button_still_down(unsigned button);
    void cancel_wm_move();
    bool handle_move(const XEvent& event);
    void on_key(XKeyEvent& event, bool press);
    void on_button(const XButtonEvent& event, bool press);
    void on_focus(const XFocusChangeEvent& event, bool in);
    void run(const std::function<void()>& work) { guard_(work); }

    Connection& connection_;
    Display* display_;
    Form& form_;
    std::function<void(const std::function<void()>&)> guard_;
    std::span<const std::uint8_t> icon_file_;
    Size size_;
    Window window_ = 0;
    GC gc_ = nullptr;
    Cursor cursor_ = 0;
    PixelBuffer back_buffer_;
    ImageOutput output_;

    PaintQueue pending_paint_;
    std::vector<Rect> pending_put_;
    bool mapped_ = false;
    bool ever_mapped_ = false;
    // The cursor and the icon come after the first frame.
    bool set_up_ = false;
    bool close_requested_ = false;
    FrameExtents frame_;

    std::bitset<256> keys_down_;
    std::optional<Press> press_;
    std::optional<Move> move_;
    // The button of a move handed to the window manager, until its release is seen.
    unsigned wm_move_button_ = 0;
    Time last_time_ = CurrentTime;
};

}  // namespace toolkit::x11
