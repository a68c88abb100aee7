// The menu as a screen reader finds it under Wine: clients in other processes read the tree,
// press the buttons, move the focus and listen to the focus and state events.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "wine_session.h"

namespace {

using e2e::Point;
using e2e::RunningMenu;
using namespace std::chrono_literals;

constexpr const char* kClientLibraries = " -loleacc -loleaut32 -lole32 -luuid";

// Role and state values of the accessibility interface.
constexpr int kRoleClient = 10;
constexpr int kRolePushButton = 43;
constexpr unsigned kFocusable = 0x100000;
constexpr unsigned kFocused = 0x4;

std::string env_or(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value ? value : fallback;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::map<std::string, std::string> values_of(const std::string& text) {
    std::map<std::string, std::string> values;
    for (const std::string& line : lines_of(text)) {
        const auto eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A client's "node" line as the tree prints it.
std::string node_line(const std::string& name, int role, unsigned state, Point at, int width,
                      int height, const std::string& action) {
    char numbers[128];
    std::snprintf(numbers, sizeof numbers, "|role=%d|state=0x%x|location=%d %d %d %d|", role, state,
                  at.x, at.y, width, height);
    return "name=" + name + numbers + "action=" + action;
}

// A Wine program of the session run in the background, its output going to a file.
class BackgroundClient {
  public:
    BackgroundClient(const std::string& exe, const std::vector<std::string>& args,
                     std::string output)
        : output_(std::move(output)) {
        pid_ = fork();
        if (pid_ == 0) {
            const int out = open(output_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int null = open("/dev/null", O_WRONLY);
            dup2(out, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            std::vector<char*> argv{const_cast<char*>("wine"), const_cast<char*>(exe.c_str())};
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execvp("wine", argv.data());
            _exit(127);
        }
    }
    ~BackgroundClient() {
        if (pid_ > 0 && !wait_exit()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    BackgroundClient(const BackgroundClient&) = delete;
    BackgroundClient& operator=(const BackgroundClient&) = delete;

    std::vector<std::string> lines() const { return lines_of(read_file(output_)); }
    // Waits until a line equal to `line` was printed; whether it was.
    bool wait_for(const std::string& line, std::chrono::seconds limit = 30s) const {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            for (const std::string& l : lines())
                if (l == line) return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }
    // The exit code, or nothing where the program did not end in time or did not exit.
    std::optional<int> wait_exit(std::chrono::seconds limit = 30s) {
        if (pid_ <= 0) return std::nullopt;
        const auto end = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (std::chrono::steady_clock::now() < end) {
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                return WIFEXITED(status) ? std::optional<int>(WEXITSTATUS(status)) : std::nullopt;
            }
            std::this_thread::sleep_for(100ms);
        }
        return std::nullopt;
    }

  private:
    std::string output_;
    pid_t pid_ = 0;
};

class WineAccessibility : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        try {
            session_ = std::make_unique<e2e::WineSession>();
            const std::string cc = env_or("MINGW_CC", "x86_64-w64-mingw32-gcc-posix");
            const std::string sources = env_or("VELMORRA_E2E_SOURCES", ".");
            for (const char* program : {"a11y_client", "a11y_events"}) {
                const std::string build = cc + " -Os -s -o '" + session_->folder() + "/" + program +
                                          ".exe' '" + sources + "/" + program + ".c'" +
                                          kClientLibraries;
                if (e2e::run(build) != 0)
                    throw std::runtime_error("cannot build " + std::string(program));
            }
        } catch (const std::exception& e) {
            session_.reset();
            failure_ = e.what();
        }
    }
    static void TearDownTestSuite() { session_.reset(); }
    void SetUp() override {
        if (!session_) GTEST_FAIL() << "no Wine session: " << failure_;
        // No button hot from a pointer left over it.
        e2e::run("xdotool mousemove 0 0");
    }

    static std::string exe(const char* program) {
        return session_->folder() + "/" + program + ".exe";
    }
    static std::string disc() { return session_->disc(); }
    // What the client printed for one command.
    static std::map<std::string, std::string> client(const std::string& args) {
        return values_of(
            e2e::output_of("wine '" + exe("a11y_client") + "' " + args + " 2>/dev/null"));
    }
    static std::string setup_line() { return RunningMenu::launch_line("setup.exe", 1, disc()); }
    static std::string addons_line() {
        return RunningMenu::launch_line("explorer.exe addon", 3, disc());
    }
    static std::string directx_line() {
        return RunningMenu::launch_line("DirectX\\DXSETUP.exe", 1, disc());
    }

    static inline std::unique_ptr<e2e::WineSession> session_;
    static inline std::string failure_;
};

struct ExpectedNode {
    const char* key;
    const char* name;
    int role;
    unsigned state;
    Point at;  // client position
    int width;
    int height;
    const char* action;
};

// As the menu opens at 96 pixels per inch, the pointer elsewhere.
const ExpectedNode kOpenedTree[] = {
    {"node0", "Velmorra", kRoleClient, kFocusable, {0, 0}, 641, 499, "-"},
    {"node1",
     "Установить DirectX",
     kRolePushButton,
     kFocusable | kFocused,
     {343, 457},
     288,
     28,
     "Press"},
    {"node2", "Установить Игру", kRolePushButton, kFocusable, {343, 386}, 288, 28, "Press"},
    {"node3", "VELMORRA Car Upgrade", kRolePushButton, kFocusable, {343, 413}, 288, 28, "Press"},
};

void expect_tree(const std::map<std::string, std::string>& tree, Point origin) {
    for (const ExpectedNode& n : kOpenedTree) {
        EXPECT_EQ(tree.count(n.key) ? tree.at(n.key) : "(none)",
                  node_line(n.name, n.role, n.state, {origin.x + n.at.x, origin.y + n.at.y},
                            n.width, n.height, n.action))
            << n.key;
    }
}

TEST_F(WineAccessibility, TheTreeShowsTheClientAreaAndThreeButtonsInTabOrder) {
    RunningMenu menu(*session_, disc());
    auto tree = client("tree");
    ASSERT_EQ(tree["object"], "0x00000000");
    EXPECT_EQ(tree["count"], "3");
    expect_tree(tree, menu.client_origin());
    const std::map<std::string, std::string> navigation = {
        {"focus", "1"}, {"first", "1"},     {"last", "3"},      {"next1", "2"},     {"next2", "3"},
        {"next3", "1"}, {"previous1", "3"}, {"previous2", "1"}, {"previous3", "2"}, {"parent", "1"},
    };
    for (const auto& [key, value] : navigation) EXPECT_EQ(tree[key], value) << key;
}

TEST_F(WineAccessibility, HitTestFindsWhatAPressThereWouldFind) {
    RunningMenu menu(*session_, disc());
    const Point o = menu.client_origin();
    struct Case {
        Point at;  // client position
        std::string child;
    };
    const Case cases[] = {
        {{360, 470}, "1"}, {{360, 400}, "2"}, {{400, 413}, "3"},  // RzButton2 in front
        {{400, 412}, "2"}, {{100, 100}, "0"},                     // the picture: the client
        {{-3, 100}, "-"},                                         // the frame: not ours
    };
    for (const Case& c : cases) {
        const auto hit =
            client("hit " + std::to_string(o.x + c.at.x) + " " + std::to_string(o.y + c.at.y));
        EXPECT_EQ(hit.count("hit") ? hit.at("hit") : "(none)", c.child) << c.at.x << "," << c.at.y;
    }
}

TEST_F(WineAccessibility, DefaultActionStartsEachButtonsCommandOnce) {
    RunningMenu menu(*session_, disc());
    const std::string expected[] = {directx_line(), setup_line(), addons_line()};
    std::vector<std::string> started;
    for (int child = 1; child <= 3; ++child) {
        EXPECT_EQ(client("press " + std::to_string(child))["result"], "0x00000000") << child;
        started.push_back(expected[child - 1]);
        // One at a time, so that a second start of one button would show.
        EXPECT_EQ(menu.launches(started.size()), started) << child;
    }
    // The client area itself has no action, and starts nothing.
    EXPECT_NE(client("press 0")["result"], "0x00000000");
    EXPECT_EQ(menu.launches(3), started);
}

// Pixels down a column through both rings of the upgrade and DirectX buttons.
std::vector<unsigned long> ring_pixels(const RunningMenu& menu) {
    std::vector<unsigned long> pixels;
    for (int y = 414; y <= 440; ++y) pixels.push_back(menu.pixel({400, y}));
    for (int y = 458; y <= 480; ++y) pixels.push_back(menu.pixel({400, y}));
    for (int x = 343; x <= 350; ++x) pixels.push_back(menu.pixel({x, 425}));
    return pixels;
}

TEST_F(WineAccessibility, TakeFocusShowsTheRingAsTheKeyboardDoesAndEnterClicksThere) {
    std::vector<unsigned long> by_keyboard;
    {
        RunningMenu menu(*session_, disc());
        menu.keys("shift+Tab");
        std::this_thread::sleep_for(500ms);
        by_keyboard = ring_pixels(menu);
    }
    RunningMenu menu(*session_, disc());
    const auto before = ring_pixels(menu);
    EXPECT_NE(before, by_keyboard);
    EXPECT_EQ(client("focus 3")["result"], "0x00000000");
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(ring_pixels(menu), by_keyboard);
    EXPECT_EQ(client("tree")["focus"], "3");
    menu.keys("Return");
    EXPECT_EQ(menu.launches(1), std::vector<std::string>{addons_line()});
}

TEST_F(WineAccessibility, LocationsMoveWithTheDraggedWindow) {
    RunningMenu menu(*session_, disc());
    const Point before = menu.client_origin();
    expect_tree(client("tree"), before);
    const Point grab{100, 100};
    menu.press(grab);
    for (int step = 1; step <= 6; ++step) {
        e2e::run("xdotool mousemove " + std::to_string(before.x + grab.x + 10 * step) + " " +
                 std::to_string(before.y + grab.y + 5 * step));
        std::this_thread::sleep_for(40ms);
    }
    menu.release();
    e2e::run("xdotool mousemove 0 0");
    std::this_thread::sleep_for(500ms);
    const Point after = menu.client_origin();
    ASSERT_EQ(after, (Point{before.x + 60, before.y + 30}));
    expect_tree(client("tree"), after);
}

// Child ids of the focus events, and the state events, as an out-of-context hook saw them.
std::vector<std::string> events_of(const std::vector<std::string>& lines, const char* kind) {
    std::vector<std::string> out;
    for (const std::string& l : lines)
        if (l.rfind(kind, 0) == 0) out.push_back(l);
    return out;
}

TEST_F(WineAccessibility, FocusEventsAsTheMenuOpensAndAsTabMovesTheFocus) {
    BackgroundClient events(exe("a11y_events"), {}, session_->folder() + "/events.log");
    ASSERT_TRUE(events.wait_for("ready"));
    {
        RunningMenu menu(*session_, disc());
        std::this_thread::sleep_for(1s);
        const auto opened = events_of(events.lines(), "focus");
        ASSERT_FALSE(opened.empty());
        // The focused button is told as the menu opens, and nothing moves the focus after.
        EXPECT_EQ(opened.back(), "focus 1");
        menu.keys("Tab");
        menu.keys("Tab");
        menu.keys("shift+Tab");
        std::this_thread::sleep_for(1s);
        auto all = events_of(events.lines(), "focus");
        const std::vector<std::string> after_open(all.begin() + static_cast<long>(opened.size()),
                                                  all.end());
        EXPECT_EQ(after_open, (std::vector<std::string>{"focus 2", "focus 3", "focus 2"}));
        // Space shows the button pressed while held; the release clicks it.
        menu.hold_key("space", 300ms);
        std::this_thread::sleep_for(1s);
        EXPECT_EQ(events_of(events.lines(), "state"),
                  (std::vector<std::string>{"state 2", "state 2"}));
        EXPECT_EQ(menu.launches(1), std::vector<std::string>{setup_line()});
    }
    EXPECT_EQ(events.wait_exit(), std::optional<int>(0));
}

TEST_F(WineAccessibility, AnObjectHeldPastTheMenusEndAnswersAnErrorAndCrashesNothing) {
    std::optional<BackgroundClient> holder;
    {
        RunningMenu menu(*session_, disc());
        holder.emplace(exe("a11y_client"), std::vector<std::string>{"hold"},
                       session_->folder() + "/hold.log");
        ASSERT_TRUE(holder->wait_for("held=1"));
        e2e::request_close(session_->display(), menu.windows().main);
        EXPECT_EQ(menu.wait_exit(), std::optional<int>(0));
    }
    EXPECT_EQ(holder->wait_exit(), std::optional<int>(0));
    const auto values = values_of(read_file(session_->folder() + "/hold.log"));
    EXPECT_EQ(values.count("gone") ? values.at("gone") : "", "1");
    for (const char* key : {"count_after", "name_after"}) {
        const std::string hr = values.count(key) ? values.at(key) : "";
        ASSERT_EQ(hr.size(), 10u) << key;
        // A failure code: the top bit set.
        EXPECT_GE(std::stoul(hr, nullptr, 16), 0x80000000ul) << key << " " << hr;
    }
}

// The weak link itself, inside one process: the window goes, the object stays with its
// client and answers that it is no longer connected; nothing is clicked any more.
TEST_F(WineAccessibility, AnObjectHeldInProcessPastTheWindowsEndIsDisconnected) {
    const std::string exe_path = env_or("VELMORRA_EXE", "");
    const std::string windows_build = exe_path.substr(0, exe_path.rfind('/'));
    const std::string sources = env_or("VELMORRA_E2E_SOURCES", ".");
    std::string cxx = env_or("MINGW_CC", "x86_64-w64-mingw32-gcc-posix");
    cxx.replace(cxx.rfind("gcc"), 3, "g++");
    const std::string probe = session_->folder() + "/a11y_lifetime.exe";
    std::string build = cxx + " -std=c++20 -Os -s -static -I'" + sources + "/../..' -o '" + probe +
                        "' '" + sources + "/a11y_lifetime.cpp'";
    for (const char* lib :
         {"ui/libvelmorra_ui.a", "resources/libvelmorra_resources.a",
          "toolkit/win32/libvelmorra_win32.a", "toolkit/win32/libvelmorra_wide_text.a",
          "toolkit/core/libvelmorra_core.a"})
        build += " '" + windows_build + "/" + lib + "'";
    build += std::string(kClientLibraries) + " -lgdi32 -luser32";
    ASSERT_EQ(e2e::run(build), 0) << build;

    auto values = values_of(e2e::output_of("wine '" + probe + "' 2>/dev/null"));
    ASSERT_EQ(values["object"], "0x00000000");
    const char* asked[] = {"count", "name", "state", "location", "focus", "hit", "press"};
    for (const char* a : asked) {
        EXPECT_EQ(values[std::string("gone_") + a], "0x800401fd") << a;  // CO_E_OBJNOTCONNECTED
        if (std::string(a) != "focus" && std::string(a) != "hit") {
            EXPECT_EQ(values[std::string("alive_") + a], "0x00000000") << a;
        }
    }
    // The form was never activated: no focus yet; (10,10) is on the picture, not a button.
    EXPECT_EQ(values["alive_focus"], "0x00000001");
    EXPECT_EQ(values["alive_hit"], "0x00000000");
    EXPECT_EQ(values["started_alive"], "1");
    EXPECT_EQ(values["started_gone"], "1");
    EXPECT_EQ(values["released"], "1");
    EXPECT_EQ(values["last_release"], "0");
}

}  // namespace
