// A small X client for the end-to-end tests and the start-up benchmark: asks a window to
// close the way a window manager does, and times how long a program takes from exec to
// showing its finished window.
//
//   x11_probe close WINDOW          send WM_DELETE_WINDOW, as a window manager does
//   x11_probe wm-close WINDOW       ask the window manager to close the window
//                                   (_NET_CLOSE_WINDOW), as a taskbar's Close does
//   x11_probe reference OUT CMD...  start CMD, wait until its window is mapped and has
//                                   settled, store sample rows of its pixels in OUT, end it
//   x11_probe time REF CMD...       start CMD; print the milliseconds from exec until its
//                                   window shows exactly the rows of REF, and its peak RSS
//                                   in KiB after it ends
//   x11_probe pointer X Y           move the pointer to X,Y and print a fingerprint of the
//                                   pointer's image there
//   x11_probe arrow                 print the fingerprint of the standard arrow pointer
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/Xfixes.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

int usage() {
    std::fputs(
        "usage: x11_probe close WINDOW | wm-close WINDOW | reference OUT CMD... | time REF "
        "CMD... | pointer X Y | arrow\n",
        stderr);
    return 2;
}

int ask_window_manager_to_close(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_CLOSE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = CurrentTime;
    event.xclient.data.l[1] = 2;  // from a pager or taskbar
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureNotifyMask | SubstructureRedirectMask, &event);
    XSync(display, False);
    return 0;
}

int close_window(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    return 0;
}

struct Started {
    pid_t pid = -1;
    Window window = 0;
    Clock::time_point exec_time;
};

// Starts the program and waits for the first top-level window it maps (no window manager
// runs on the probe's display, so the window is a child of the root).
bool start_and_wait_for_map(Display* display, char** argv, Started& s) {
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);
    s.exec_time = Clock::now();
    if (posix_spawnp(&s.pid, argv[0], nullptr, nullptr, argv, environ) != 0) return false;
    const auto deadline = s.exec_time + std::chrono::seconds(20);
    while (Clock::now() < deadline) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && event.xmap.event == root && !event.xmap.override_redirect) {
            s.window = event.xmap.window;
            return true;
        }
    }
    return false;
}

// Sixteen rows spread over the window: enough to tell the finished frame, and light enough
// that polling for it does not slow the X server down for the program being timed.
std::vector<unsigned char> grab(Display* display, Window window) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(display, window, &a)) return {};
    std::vector<unsigned char> pixels;
    constexpr int kRows = 16;
    for (int i = 0; i < kRows; ++i) {
        const int y = a.height * i / kRows;
        XImage* image =
            XGetImage(display, window, 0, y, static_cast<unsigned>(a.width), 1, AllPlanes, ZPixmap);
        if (!image) return {};
        pixels.insert(pixels.end(), image->data, image->data + image->bytes_per_line);
        XDestroyImage(image);
    }
    return pixels;
}

long stop(pid_t pid) {
    kill(pid, SIGTERM);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return usage.ru_maxrss;
}

// The pointer's image where it is now: size, hot spot and a checksum of its pixels.
std::string pointer_fingerprint(Display* display) {
    XSync(display, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (!image) return "none";
    unsigned long sum = 0;
    for (int i = 0; i < image->width * image->height; ++i)
        sum = sum * 31 + (image->pixels[i] & 0xFFFFFFFFul);
    char out[96];
    std::snprintf(out, sizeof out, "%dx%d+%d+%d:%lx", image->width, image->height, image->xhot,
                  image->yhot, sum);
    XFree(image);
    return out;
}

int print_pointer_at(Display* display, int x, int y) {
    XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, x, y);
    std::printf("%s\n", pointer_fingerprint(display).c_str());
    return 0;
}

// Shows a small window of its own with the standard arrow and reads the pointer over it.
int print_arrow(Display* display) {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.cursor = XCreateFontCursor(display, XC_left_ptr);
    const Window w =
        XCreateWindow(display, DefaultRootWindow(display), 0, 0, 8, 8, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect | CWCursor, &attributes);
    XMapRaised(display, w);
    XSync(display, False);
    const int code = print_pointer_at(display, 4, 4);
    XDestroyWindow(display, w);
    XSync(display, False);
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fputs("x11_probe: cannot open display\n", stderr);
        return 2;
    }
    const std::string mode = argv[1];
    if (mode == "arrow") return print_arrow(display);
    if (argc < 3) return usage();
    if (mode == "pointer" && argc == 4)
        return print_pointer_at(display, std::atoi(argv[2]), std::atoi(argv[3]));
    if (mode == "close") return close_window(display, std::strtoul(argv[2], nullptr, 0));
    if (mode == "wm-close")
        return ask_window_manager_to_close(display, std::strtoul(argv[2], nullptr, 0));
    if (argc < 4) return usage();
    Started s;
    if (mode == "reference") {
        if (!start_and_wait_for_map(display, argv + 3, s)) return 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        const auto pixels = grab(display, s.window);
        stop(s.pid);
        std::ofstream(argv[2], std::ios::binary)
            .write(reinterpret_cast<const char*>(pixels.data()),
                   static_cast<std::streamsize>(pixels.size()));
        return pixels.empty() ? 1 : 0;
    }
    if (mode == "time") {
        std::ifstream in(argv[2], std::ios::binary);
        const std::vector<unsigned char> reference{std::istreambuf_iterator<char>(in), {}};
        if (!start_and_wait_for_map(display, argv + 3, s)) return 1;
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        bool matched = false;
        while (!matched && Clock::now() < deadline) matched = grab(display, s.window) == reference;
        const auto ms =
            std::chrono::duration<double, std::milli>(Clock::now() - s.exec_time).count();
        const long rss = stop(s.pid);
        if (!matched) return 1;
        std::printf("%.2f %ld\n", ms, rss);
        return 0;
    }
    return usage();
}
