// A virtual X display with a window manager and a fresh Wine prefix, a fixture disc of
// stand-in programs, and the menu running on it, driven with xdotool like a person would.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(Point, Point) = default;
};

// Runs a command line through the shell with the session's environment; returns its status.
int run(const std::string& command);
// Runs a command line and returns what it printed.
std::string output_of(const std::string& command);

class WineSession {
  public:
    // Starts everything; throws std::runtime_error where a piece cannot start.
    WineSession();
    ~WineSession();
    WineSession(const WineSession&) = delete;
    WineSession& operator=(const WineSession&) = delete;

    Display* display() const { return display_; }
    const std::string& folder() const { return folder_; }
    // The disc's root, which holds the menu, setup.exe, explorer.exe, addon\ and DirectX\.
    std::string disc() const { return folder_ + "/disc"; }
    // A folder that holds nothing.
    std::string elsewhere() const { return folder_ + "/elsewhere"; }
    std::string inspect_exe() const { return folder_ + "/inspect.exe"; }
    // The Windows path Wine shows for a folder of the session.
    static std::string windows_path(const std::string& unix_path);

  private:
    void start_all();
    void stop_all();
    pid_t start(const std::vector<std::string>& argv);
    void build_fixture();

    std::string folder_;
    pid_t xvfb_ = 0;
    pid_t window_manager_ = 0;
    Display* display_ = nullptr;
    bool own_prefix_ = false;
};

// X windows of the program, from the window manager's client list.
struct ProgramWindows {
    Window owner = 0;  // the taskbar entry
    Window main = 0;   // the menu window
};

// One run of the menu.
class RunningMenu {
  public:
    RunningMenu(WineSession& session, const std::string& current_folder);
    ~RunningMenu();
    RunningMenu(const RunningMenu&) = delete;
    RunningMenu& operator=(const RunningMenu&) = delete;

    const ProgramWindows& windows() const { return windows_; }
    Point client_origin() const;
    // The pixel at a client position as 0xRRGGBB.
    unsigned long pixel(Point client) const;

    // Input at client coordinates.
    void move_to(Point client) const;
    void click(Point client, int button = 1) const;
    void press(Point client, int button = 1) const;
    void release(int button = 1) const;
    void keys(const std::string& xdotool_keys) const;
    void hold_key(const std::string& key, std::chrono::milliseconds held) const;

    // Lines the stand-ins wrote, once there are at least `count` of them (or a while has
    // passed), and after a pause in which any straggler could still arrive.
    std::vector<std::string> launches(std::size_t count) const;
    // "cmd=...|show=...|flags=...|cwd=..." as a stand-in writes it.
    static std::string launch_line(const std::string& command_line, int show,
                                   const std::string& folder);

    // Waits for the process to end; its exit code, or nothing if it does not end.
    std::optional<int> wait_exit();
    bool running() const { return pid_ != 0; }
    // key=value lines that inspect.exe printed about the window.
    std::map<std::string, std::string> inspect() const;

  private:
    bool shows_a_button_frame() const;
    // Waits until the menu has been the active window for a little while.
    void wait_until_keys_reach_the_menu() const;

    WineSession& session_;
    std::string log_;
    pid_t pid_ = 0;
    ProgramWindows windows_;
};

// Queries of the X display.
std::vector<Window> client_list(Display* d);
std::string window_title(Display* d, Window w);
std::vector<std::string> net_wm_state(Display* d, Window w);
bool has_net_wm_icon(Display* d, Window w);
bool is_viewable(Display* d, Window w);
Window active_window(Display* d);
// Asks the window manager to close a window, as its close box or a taskbar menu does.
void request_close(Display* d, Window w);

}  // namespace e2e
