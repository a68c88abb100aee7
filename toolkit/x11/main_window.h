// The form's native window: a fixed-size, dialog-framed top-level window that shows the
// form's pixels from a back buffer and turns X events into the form's input. Its set-up and
// showing are in main_window.cpp, its painting in main_window_paint.cpp, its events in
// main_window_events.cpp; the move is a WindowMove, the first position comes from placement.
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
#include "toolkit/x11/window_move.h"
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
    void set_properties();
    void set_size_hints(Point origin);
    void finish_setup();
    void fill_beyond_client(const Rect& area);
    void run(const std::function<void()>& work) { guard_(work); }

    // One handler an event type, each the step from an X event to the form.
    void on_mapping(XMappingEvent& event);
    void on_expose(const XExposeEvent& event);
    void on_key(XKeyEvent& event, bool press);
    void on_button_press(const XButtonEvent& event);
    void on_button_release(const XButtonEvent& event);
    void on_motion(const XEvent& event);
    void on_enter(const XCrossingEvent& event);
    void on_leave(const XCrossingEvent& event);
    void on_focus(const XFocusChangeEvent& event, bool in);
    void on_map();
    void on_unmap();
    void on_client_message(const XEvent& event, bool modal);
    void on_destroy();

    Connection& connection_;
    Display* display_;
    Form& form_;
    std::function<void(const std::function<void()>&)> guard_;
    std::span<const std::uint8_t> icon_file_;
    Size size_;
    PixelBuffer back_buffer_;
    ImageOutput output_;
    Window window_ = 0;
    GC gc_ = nullptr;
    Cursor cursor_ = 0;

    PaintQueue pending_paint_;
    std::vector<Rect> pending_put_;
    bool mapped_ = false;
    bool ever_mapped_ = false;
    // The cursor and the icon come after the first frame.
    bool set_up_ = false;
    bool close_requested_ = false;
    FrameExtents frame_;

    std::bitset<256> keys_down_;
    // The press being handed to the form, for a move it may ask for.
    std::optional<PointerPress> press_;
    WindowMove move_;
    Time last_time_ = CurrentTime;
};

}  // namespace toolkit::x11
