#include "wine_session.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace e2e {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string env_or(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value ? value : fallback;
}

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Polls `done` until it holds or `limit` has passed; returns whether it held.
template <typename Done>
bool wait_until(Done done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(50ms);
    }
    return done();
}

int ignore_x_errors(Display*, XErrorEvent*) {
    return 0;
}

Atom atom(Display* d, const char* name) {
    return XInternAtom(d, name, False);
}

std::vector<unsigned long> property(Display* d, Window w, const char* name, Atom type) {
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(d, w, atom(d, name), 0, 1 << 20, False, type, &actual, &format, &count,
                           &after, &data) == Success &&
        data) {
        if (format == 32) {
            auto* longs = reinterpret_cast<unsigned long*>(data);
            values.assign(longs, longs + count);
        }
        XFree(data);
    }
    return values;
}

}  // namespace

int run(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string output_of(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        std::array<char, 512> buffer;
        while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
            out.append(buffer.data(), n);
        pclose(pipe);
    }
    return out;
}

WineSession::WineSession() {
    char folder[] = "/tmp/velmorra-wine-XXXXXX";
    if (!mkdtemp(folder)) throw std::runtime_error("no temporary folder");
    folder_ = folder;
    try {
        start_all();
    } catch (...) {
        stop_all();
        throw;
    }
}

void WineSession::start_all() {
    // The X server picks a free display and tells its number through a pipe.
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) throw std::runtime_error("no pipe");
    xvfb_ = start({"Xvfb", "-displayfd", std::to_string(pipe_fds[1]), "-screen", "0", "1024x768x24",
                   "-nolisten", "tcp"});
    close(pipe_fds[1]);
    std::string number;
    char c;
    while (read(pipe_fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(pipe_fds[0]);
    if (number.empty()) throw std::runtime_error("Xvfb did not start");
    setenv("DISPLAY", (":" + number).c_str(), 1);
    display_ = XOpenDisplay(nullptr);
    if (!display_) throw std::runtime_error("cannot open the X display");
    XSetErrorHandler(ignore_x_errors);

    window_manager_ = start({"openbox", "--sm-disable"});
    const Window root = DefaultRootWindow(display_);
    if (!wait_until(
            [&] {
                return !property(display_, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW).empty();
            },
            20s))
        throw std::runtime_error("openbox did not start");

    setenv("WINEPREFIX", (folder_ + "/prefix").c_str(), 1);
    own_prefix_ = true;
    setenv("WINEDEBUG", "-all", 1);
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    if (run("wineboot -i >/dev/null 2>&1") != 0) throw std::runtime_error("wineboot failed");
    // Wine lists its own fonts (fonts-wine) for new prefixes but does not find them where
    // Debian keeps them; a Windows system has them in its Fonts folder.
    const fs::path fonts = folder_ + "/prefix/drive_c/windows/Fonts";
    fs::create_directories(fonts);
    for (const auto& f : fs::directory_iterator(env_or("WINE_FONTS", "/usr/share/wine/fonts")))
        fs::copy_file(f.path(), fonts / f.path().filename(), fs::copy_options::skip_existing);
    build_fixture();
}

void WineSession::build_fixture() {
    const std::string cc = env_or("MINGW_CC", "x86_64-w64-mingw32-gcc-posix");
    const std::string sources = env_or("VELMORRA_E2E_SOURCES", ".");
    for (const char* program : {"standin", "inspect"}) {
        const std::string build = cc + " -Os -s -o " + quoted(folder_ + "/" + program + ".exe") +
                                  " " + quoted(sources + "/" + program + ".c");
        if (run(build) != 0) throw std::runtime_error("cannot build " + std::string(program));
    }
    const fs::path disc = this->disc();
    fs::create_directories(disc / "addon");
    fs::create_directories(disc / "DirectX");
    fs::create_directories(elsewhere());
    const char* exe = std::getenv("VELMORRA_EXE");
    if (!exe) throw std::runtime_error("VELMORRA_EXE is not set");
    fs::copy_file(exe, disc / "velmorra.exe");
    const fs::path standin = folder_ + "/standin.exe";
    fs::copy_file(standin, disc / "setup.exe");
    fs::copy_file(standin, disc / "explorer.exe");
    fs::copy_file(standin, disc / "DirectX" / "DXSETUP.exe");
}

WineSession::~WineSession() {
    stop_all();
}

void WineSession::stop_all() {
    // Only this prefix's server, then the two processes this session started.
    if (own_prefix_) run("wineserver -k >/dev/null 2>&1");
    for (pid_t pid : {window_manager_, xvfb_}) {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        if (pid == window_manager_ && display_) {
            XCloseDisplay(display_);
            display_ = nullptr;
        }
    }
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

pid_t WineSession::start(const std::vector<std::string>& argv) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    if (pid < 0) throw std::runtime_error("cannot start " + argv[0]);
    return pid;
}

std::string WineSession::windows_path(const std::string& unix_path) {
    std::string path = "Z:" + unix_path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::vector<Window> client_list(Display* d) {
    return property(d, DefaultRootWindow(d), "_NET_CLIENT_LIST", XA_WINDOW);
}

std::string window_title(Display* d, Window w) {
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(d, w, atom(d, "_NET_WM_NAME"), 0, 1024, False, atom(d, "UTF8_STRING"),
                           &actual, &format, &count, &after, &data) == Success &&
        data) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    return title;
}

std::vector<std::string> net_wm_state(Display* d, Window w) {
    std::vector<std::string> names;
    for (unsigned long a : property(d, w, "_NET_WM_STATE", XA_ATOM)) {
        if (char* name = XGetAtomName(d, a)) {
            names.emplace_back(name);
            XFree(name);
        }
    }
    return names;
}

bool has_net_wm_icon(Display* d, Window w) {
    // Width, height, then that many pixels.
    const auto icon = property(d, w, "_NET_WM_ICON", XA_CARDINAL);
    return icon.size() > 2 && icon.size() >= 2 + icon[0] * icon[1];
}

bool is_viewable(Display* d, Window w) {
    XWindowAttributes a{};
    return XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable;
}

Window active_window(Display* d) {
    const auto active = property(d, DefaultRootWindow(d), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    return active.empty() ? 0 : active[0];
}

void request_close(Display* d, Window w) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = atom(d, "_NET_CLOSE_WINDOW");
    e.xclient.format = 32;
    e.xclient.data.l[0] = CurrentTime;
    e.xclient.data.l[1] = 2;  // from a pager or taskbar, as a person's request
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &e);
    XFlush(d);
}

RunningMenu::RunningMenu(WineSession& session, const std::string& current_folder)
    : session_(session) {
    static int runs = 0;
    log_ = session.folder() + "/launches-" + std::to_string(++runs) + ".log";
    const std::string exe = session.disc() + "/velmorra.exe";
    pid_ = fork();
    if (pid_ == 0) {
        if (chdir(current_folder.c_str()) != 0) _exit(126);
        // The stand-ins write here; Wine hands the environment on to them.
        setenv("VELMORRA_STANDIN_LOG", log_.c_str(), 1);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execlp("wine", "wine", exe.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid_ < 0) throw std::runtime_error("cannot start wine");

    Display* d = session.display();
    const bool shown = wait_until(
        [&] {
            windows_ = {};
            for (Window w : client_list(d)) {
                if (window_title(d, w) != "Velmorra") continue;
                Window owner = 0;
                if (XGetTransientForHint(d, w, &owner))
                    windows_.main = w;
                else
                    windows_.owner = w;
            }
            // Both windows there; the menu shown, painted (a button's silver frame crosses
            // column 500 at any density) and active.
            return windows_.owner && windows_.main && is_viewable(d, windows_.main) &&
                   shows_a_button_frame() && active_window(d) == windows_.main;
        },
        30s);
    if (!shown) throw std::runtime_error("the menu did not show up painted and active");
}

RunningMenu::~RunningMenu() {
    if (!pid_) return;
    if (windows_.main) request_close(session_.display(), windows_.main);
    if (!wait_exit()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        run("wineserver -k >/dev/null 2>&1");
    }
}

Point RunningMenu::client_origin() const {
    Window child = 0;
    int x = 0;
    int y = 0;
    XTranslateCoordinates(session_.display(), windows_.main, DefaultRootWindow(session_.display()),
                          0, 0, &x, &y, &child);
    return {x, y};
}

bool RunningMenu::shows_a_button_frame() const {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(session_.display(), windows_.main, &a) || a.width <= 500)
        return false;
    XImage* column = XGetImage(session_.display(), windows_.main, 500, 0, 1,
                               static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
    if (!column) return false;
    bool found = false;
    for (int y = 0; y < a.height && !found; ++y)
        found = (XGetPixel(column, 0, y) & 0xFFFFFF) == 0xC0C0C0;
    XDestroyImage(column);
    return found;
}

unsigned long RunningMenu::pixel(Point client) const {
    XImage* image =
        XGetImage(session_.display(), windows_.main, client.x, client.y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return ~0ul;
    const unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return p;
}

void RunningMenu::move_to(Point client) const {
    const Point o = client_origin();
    run("xdotool mousemove " + std::to_string(o.x + client.x) + " " +
        std::to_string(o.y + client.y));
}

void RunningMenu::click(Point client, int button) const {
    move_to(client);
    run("xdotool click " + std::to_string(button));
}

void RunningMenu::press(Point client, int button) const {
    move_to(client);
    run("xdotool mousedown " + std::to_string(button));
}

void RunningMenu::release(int button) const {
    run("xdotool mouseup " + std::to_string(button));
}

void RunningMenu::wait_until_keys_reach_the_menu() const {
    // A program the menu has just started may hold the focus for a moment before it goes
    // (Wine activates its window briefly); a key typed then would be that program's.
    Display* d = session_.display();
    int steady = 0;
    wait_until(
        [&] {
            steady = active_window(d) == windows_.main ? steady + 1 : 0;
            return steady >= 5;
        },
        10s);
}

void RunningMenu::keys(const std::string& xdotool_keys) const {
    wait_until_keys_reach_the_menu();
    run("xdotool key --delay 80 " + xdotool_keys);
}

void RunningMenu::hold_key(const std::string& key, std::chrono::milliseconds held) const {
    wait_until_keys_reach_the_menu();
    run("xdotool keydown " + key);
    std::this_thread::sleep_for(held);
    run("xdotool keyup " + key);
}

std::vector<std::string> RunningMenu::launches(std::size_t count) const {
    auto read = [this] {
        std::vector<std::string> lines;
        std::ifstream in(log_);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    };
    wait_until([&] { return read().size() >= count; }, 15s);
    // A program started last may still be on its way.
    std::this_thread::sleep_for(800ms);
    return read();
}

std::string RunningMenu::launch_line(const std::string& command_line, int show,
                                     const std::string& folder) {
    return "cmd=" + command_line + "|show=" + std::to_string(show) +
           "|flags=1|cwd=" + WineSession::windows_path(folder);
}

std::optional<int> RunningMenu::wait_exit() {
    if (!pid_) return std::nullopt;
    int status = 0;
    if (!wait_until([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, 15s))
        return std::nullopt;
    pid_ = 0;
    return WIFEXITED(status) ? std::optional<int>(WEXITSTATUS(status)) : std::nullopt;
}

std::map<std::string, std::string> RunningMenu::inspect() const {
    std::map<std::string, std::string> values;
    std::istringstream lines(output_of("wine " + quoted(session_.inspect_exe()) + " 2>/dev/null"));
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

}  // namespace e2e
