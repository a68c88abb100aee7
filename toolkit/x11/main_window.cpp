// The main window's set-up and showing: the window and its properties for the window
// manager, its first position, and what waits until the first frame is on the screen.
#include "toolkit/x11/main_window.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "toolkit/x11/frame_hints.h"
#include "toolkit/x11/ico_reader.h"

namespace toolkit::x11 {

namespace {

constexpr long kEventMask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                            ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                            LeaveWindowMask | FocusChangeMask | StructureNotifyMask |
                            PropertyChangeMask;

Window create_window(const Connection& connection, const PixelBuffer& pixels) {
    Display* display = connection.display();
    XSetWindowAttributes attributes{};
    // No background: the server never clears the window, so nothing flickers before the
    // back buffer's pixels arrive.
    attributes.background_pixmap = None;
    attributes.border_pixel = BlackPixel(display, connection.screen());
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = kEventMask;
    return XCreateWindow(
        display, connection.root(), 0, 0, static_cast<unsigned>(pixels.width()),
        static_cast<unsigned>(pixels.height()), 0, CopyFromParent, InputOutput, CopyFromParent,
        CWBackPixmap | CWBorderPixel | CWBitGravity | CWEventMask | CWCursor, &attributes);
}

}  // namespace

MainWindow::MainWindow(Connection& connection, Form& form,
                       std::function<void(const std::function<void()>&)> guard,
                       std::span<const std::uint8_t> icon_file)
    : connection_(connection),
      display_(connection.display()),
      form_(form),
      guard_(std::move(guard)),
      icon_file_(icon_file),
      size_(form.client_size()),
      back_buffer_(std::max(1, size_.width), std::max(1, size_.height)),
      output_(display_, DefaultVisual(display_, connection.screen()),
              DefaultDepth(display_, connection.screen()), back_buffer_),
      window_(create_window(connection, back_buffer_)),
      pending_paint_({0, 0, size_.width, size_.height}),
      move_(connection, window_) {
    XGCValues values{};
    values.graphics_exposures = False;
    values.foreground = BlackPixel(display_, connection.screen());
    gc_ = XCreateGC(display_, window_, GCGraphicsExposures | GCForeground, &values);
    set_properties();
    Bool supported = False;
    // A held key then repeats as presses alone, so a repeat is told from a new press; set
    // before the window can have the focus.
    XkbSetDetectableAutoRepeat(display_, True, &supported);
}

MainWindow::~MainWindow() {
    XFreeGC(display_, gc_);
    XDestroyWindow(display_, window_);
    if (cursor_) XFreeCursor(display_, cursor_);
    XFlush(display_);
}

void MainWindow::set_properties() {
    const Atoms& a = connection_.atoms();
    connection_.set_title_type_and_protocols(window_, form_.caption(), a.net_wm_window_type_normal);
    XClassHint class_hint{};
    std::string res_name = "velmorra";
    std::string res_class = "Velmorra";
    class_hint.res_name = res_name.data();
    class_hint.res_class = res_class.data();
    XWMHints wm_hints{};
    wm_hints.flags = InputHint | StateHint | WindowGroupHint;
    wm_hints.input = True;
    wm_hints.initial_state = NormalState;
    wm_hints.window_group = window_;
    // Also sets WM_CLIENT_MACHINE, which gives _NET_WM_PID its meaning.
    XSetWMProperties(display_, window_, nullptr, nullptr, nullptr, 0, nullptr, &wm_hints,
                     &class_hint);
    set_size_hints({0, 0});
    const unsigned long pid = static_cast<unsigned long>(getpid());
    XChangeProperty(display_, window_, a.net_wm_pid, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    request_dialog_frame(connection_, window_);
}

void MainWindow::set_size_hints(Point origin) {
    XSizeHints hints{};
    // USPosition: the place is the program's choice, not for the window manager to redo.
    hints.flags = USPosition | PPosition | PSize | PMinSize | PMaxSize | PWinGravity;
    hints.x = origin.x;
    hints.y = origin.y;
    hints.width = hints.min_width = hints.max_width = back_buffer_.width();
    hints.height = hints.min_height = hints.max_height = back_buffer_.height();
    hints.win_gravity = NorthWestGravity;
    XSetWMNormalHints(display_, window_, &hints);
}

void MainWindow::finish_setup() {
    // What the first frame does not need waits until it is on the screen.
    cursor_ = XCreateFontCursor(display_, XC_left_ptr);
    XDefineCursor(display_, window_, cursor_);
    const std::vector<unsigned long> icon = net_wm_icon_data(read_icon_images_32bit(icon_file_));
    if (!icon.empty())
        XChangeProperty(display_, window_, connection_.atoms().net_wm_icon, XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(icon.data()),
                        static_cast<int>(icon.size()));
}

void MainWindow::show() {
    // Without a window manager this window takes the focus itself once it is mapped, so the
    // first frame can already show the focused button.
    if (!connection_.has_window_manager()) run([&] { form_.activate(); });
    invalidate({0, 0, size_.width, size_.height}, true);
    // The first paint runs while the window manager answers.
    frame_ = frame_extents_before_mapping(connection_, window_, [this] { flush(); });
    flush();
    const Point origin = first_position(connection_, size_, frame_);
    // With north-west gravity the window manager puts its frame's corner at the position;
    // without a window manager there is no frame and the frame extents are zero.
    set_size_hints(origin);
    XMoveWindow(display_, window_, origin.x, origin.y);
    XMapRaised(display_, window_);
    XFlush(display_);
}

Rect MainWindow::screen_area() const {
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display_, window_, connection_.root(), 0, 0, &x, &y, &child);
    return Rect::from_size(x, y, size_.width, size_.height);
}

void MainWindow::set_capture() {
    // The server already keeps the pointer for the window from a press to its release.
}

void MainWindow::release_capture() {
    XUngrabPointer(display_, last_time_);
}

void MainWindow::perform(unsigned message, std::uintptr_t wparam, std::intptr_t) {
    // The system's move command, which a press on the picture sends.
    if (message == kWmSysCommand && (wparam & 0xFFF0) == kScMove && press_)
        move_.start(*press_, frame_);
}

}  // namespace toolkit::x11
