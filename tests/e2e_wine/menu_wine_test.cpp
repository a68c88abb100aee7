// The menu under Wine, on a virtual display with a window manager, used like a person would.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>

#include "wine_session.h"

namespace {

using e2e::Point;
using e2e::RunningMenu;
using namespace std::chrono_literals;

// Client positions inside each button, clear of its text and corners.
constexpr Point kGame{360, 400};     // RzButton7, "Установить Игру"
constexpr Point kAddons{360, 430};   // RzButton2, "VELMORRA Car Upgrade"
constexpr Point kDirectX{360, 470};  // RzButton1, "Установить DirectX"
constexpr Point kPicture{100, 100};

class WineMenu : public ::testing::Test {
  protected:
    // One display, one window manager and one prefix for the whole suite.
    static void SetUpTestSuite() {
        try {
            session_ = std::make_unique<e2e::WineSession>();
        } catch (const std::exception& e) {
            failure_ = e.what();
        }
    }
    static void TearDownTestSuite() { session_.reset(); }
    void SetUp() override {
        if (!session_) GTEST_FAIL() << "no Wine session: " << failure_;
    }

    static std::string disc() { return session_->disc(); }
    static std::string setup_line(const std::string& folder) {
        return RunningMenu::launch_line("setup.exe", 1, folder);
    }
    static std::string addons_line(const std::string& folder) {
        return RunningMenu::launch_line("explorer.exe addon", 3, folder);
    }
    static std::string directx_line(const std::string& folder) {
        return RunningMenu::launch_line("DirectX\\DXSETUP.exe", 1, folder);
    }
    Display* display() const { return session_->display(); }

    static inline std::unique_ptr<e2e::WineSession> session_;
    static inline std::string failure_;
};

TEST_F(WineMenu, EachButtonStartsItsCommandWithItsShowMode) {
    struct Case {
        Point at;
        std::string expected;
    };
    const Case cases[] = {
        {kGame, setup_line(disc())},
        {kAddons, addons_line(disc())},
        {kDirectX, directx_line(disc())},
    };
    for (const Case& c : cases) {
        RunningMenu menu(*session_, disc());
        menu.click(c.at);
        EXPECT_EQ(menu.launches(1), std::vector<std::string>{c.expected});
    }
}

TEST_F(WineMenu, SetupIsFoundBesideTheMenuFromAnotherFolder) {
    RunningMenu menu(*session_, session_->elsewhere());
    menu.click(kGame);
    EXPECT_EQ(menu.launches(1), std::vector<std::string>{setup_line(session_->elsewhere())});
}

// Windows takes a program name with a folder part from the current folder only; Wine's
// search also looks beside the menu, so there the DirectX setup may start from the disc. What
// the menu controls is checked: it hands the name over as stored, shows nothing and goes on.
TEST_F(WineMenu, DirectXSetupFromAnotherFolderLeavesTheMenuWorking) {
    RunningMenu menu(*session_, session_->elsewhere());
    menu.click(kDirectX);
    menu.click(kGame);
    auto lines = menu.launches(2);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), setup_line(session_->elsewhere())), 1);
    for (const std::string& line : lines) {
        if (line != setup_line(session_->elsewhere())) {
            EXPECT_EQ(line, directx_line(session_->elsewhere()));
        }
    }
    EXPECT_TRUE(e2e::is_viewable(display(), menu.windows().main));
}

TEST_F(WineMenu, WindowIsAFixedDialogOfTheDesignedSizeCentredOnTheScreen) {
    RunningMenu menu(*session_, disc());
    XWindowAttributes a{};
    ASSERT_TRUE(XGetWindowAttributes(display(), menu.windows().main, &a));
    EXPECT_EQ(a.width, 641);
    EXPECT_EQ(a.height, 499);
    EXPECT_EQ(e2e::window_title(display(), menu.windows().main), "Velmorra");

    auto info = menu.inspect();
    ASSERT_EQ(info["found"], "1");
    EXPECT_EQ(info["client"], "641 499");
    const unsigned long style = std::stoul(info["style"]);
    const unsigned long exstyle = std::stoul(info["exstyle"]);
    EXPECT_EQ(style & 0x00C00000ul, 0x00C00000ul) << "caption";
    EXPECT_TRUE(style & 0x00080000ul) << "system menu";
    EXPECT_FALSE(style & 0x00040000ul) << "no sizing border";
    EXPECT_FALSE(style & 0x00030000ul) << "no minimise or maximise box";
    EXPECT_TRUE(exstyle & 0x00000001ul) << "modal frame, no caption icon";
    EXPECT_EQ(info["owner_title"], "Velmorra");
    EXPECT_EQ(info["owner_owner"], "0");

    int left = 0, top = 0, right = 0, bottom = 0, cx = 0, cy = 0, vx = 0, vy = 0;
    ASSERT_EQ(std::sscanf(info["window"].c_str(), "%d %d %d %d", &left, &top, &right, &bottom), 4);
    ASSERT_EQ(std::sscanf(info["screen"].c_str(), "%d %d", &cx, &cy), 2);
    ASSERT_EQ(std::sscanf(info["virtual"].c_str(), "%d %d", &vx, &vy), 2);
    EXPECT_EQ(left, std::max((cx - (right - left)) / 2, vx));
    EXPECT_EQ(top, std::max((cy - (bottom - top)) / 2, vy));
    // Wine's view and the X server's agree on where the client area is.
    int ox = 0, oy = 0;
    ASSERT_EQ(std::sscanf(info["origin"].c_str(), "%d %d", &ox, &oy), 2);
    EXPECT_EQ(menu.client_origin(), (Point{ox, oy}));
}

// What the screen shows of the buttons and the black band, read back from the X server:
// the back buffer reaches the screen pixel for pixel, and hover and press repaint.
TEST_F(WineMenu, ShowsTheButtonsPixelForPixel) {
    e2e::run("xdotool mousemove 0 0");
    RunningMenu menu(*session_, disc());
    struct Case {
        Point at;
        unsigned long rgb;
    };
    const Case plain[] = {
        {{640, 100}, 0x000000},  // column 640 is black
        {{100, 490}, 0x000000},  // so are rows 480-498 beside the lowest button
        {{343, 484}, 0x000000},  // its clipped bottom corners show the band
        {{344, 484}, 0x000000},
        {{343, 483}, 0x000000},
        {{630, 484}, 0x000000},
        {{400, 413}, 0x000000},  // RzButton2's top row is in front on row 413
        {{400, 414}, 0xC0C0C0},  // its silver frame
        {{400, 415}, 0x645744},  // the face's gradient, top row
        {{400, 436}, 0x342D23},  // and last row
        {{400, 437}, 0x27221B},  // the two shadow rows
        {{400, 438}, 0x1B1712},
        {{400, 439}, 0xC0C0C0},
        {{400, 440}, 0x151515},  // the outer ring's lighter shade
        {{400, 412}, 0xC0C0C0},  // RzButton7's frame, its last row showing
        {{400, 458}, 0xC0C0C0},
    };
    for (const Case& c : plain) EXPECT_EQ(menu.pixel(c.at), c.rgb) << c.at.x << "," << c.at.y;

    // Hot: the ring runs from light at the face's top to the hot-track colour at its bottom.
    menu.move_to(kAddons);
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(menu.pixel({400, 415}), 0xFBE6C3ul);
    EXPECT_EQ(menu.pixel({400, 438}), 0xF09B14ul);
    // Pressed: the whole face flat.
    menu.press(kAddons);
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(menu.pixel({400, 415}), 0x342D23ul);
    EXPECT_EQ(menu.pixel({400, 438}), 0x342D23ul);
    // Released off the button: no longer pressed (the press gave it the focus, so its ring
    // is the active one), and nothing started.
    menu.move_to(kPicture);
    menu.release();
    std::this_thread::sleep_for(500ms);
    EXPECT_NE(menu.pixel({400, 425}), 0x342D23ul);
    EXPECT_NE(menu.pixel({400, 415}), 0xFBE6C3ul);
    EXPECT_TRUE(menu.launches(0).empty());
}

TEST_F(WineMenu, ExactlyOneTaskbarEntryTitledVelmorraWithTheIcon) {
    RunningMenu menu(*session_, disc());
    int entries = 0;
    for (Window w : e2e::client_list(display())) {
        const auto state = e2e::net_wm_state(display(), w);
        if (std::find(state.begin(), state.end(), "_NET_WM_STATE_SKIP_TASKBAR") != state.end())
            continue;
        ++entries;
        EXPECT_EQ(w, menu.windows().owner);
        EXPECT_EQ(e2e::window_title(display(), w), "Velmorra");
        EXPECT_TRUE(e2e::has_net_wm_icon(display(), w));
    }
    EXPECT_EQ(entries, 1);
}

TEST_F(WineMenu, PressesGoToTheFrontButtonAndToTheLowerRowsOfTheDirectXButton) {
    struct Case {
        Point at;
        std::string expected;
    };
    const Case cases[] = {
        {{400, 413}, addons_line(disc())},  // the row RzButton7 and RzButton2 share
        {{400, 412}, setup_line(disc())},
        {{400, 480}, directx_line(disc())},  // below the picture, over the black band
        {{400, 484}, directx_line(disc())},
    };
    for (const Case& c : cases) {
        RunningMenu menu(*session_, disc());
        menu.click(c.at);
        EXPECT_EQ(menu.launches(1), std::vector<std::string>{c.expected}) << c.at.y;
    }
}

TEST_F(WineMenu, EnterAtOnceAfterStartInstallsDirectX) {
    RunningMenu menu(*session_, disc());
    menu.keys("Return");
    EXPECT_EQ(menu.launches(1), std::vector<std::string>{directx_line(disc())});
}

TEST_F(WineMenu, TabAndArrowsMoveTheFocusInTabOrder) {
    RunningMenu menu(*session_, disc());
    struct Step {
        const char* keys;
        std::string expected;
    };
    // From RzButton1; each step's keys, then Enter on the button they lead to.
    const Step steps[] = {
        {"Tab", setup_line(disc())},       {"Tab", addons_line(disc())},
        {"Tab", directx_line(disc())},     {"shift+Tab", addons_line(disc())},
        {"Left", setup_line(disc())},      {"Up", directx_line(disc())},
        {"Right", setup_line(disc())},     {"Down", addons_line(disc())},
        {"ctrl+Tab", addons_line(disc())},  // Ctrl+Tab moves nothing
    };
    std::vector<std::string> expected;
    for (const Step& s : steps) {
        menu.keys(std::string(s.keys) + " Return");
        expected.push_back(s.expected);
        // One at a time, so that the order of the lines is the order of the steps.
        EXPECT_EQ(menu.launches(expected.size()), expected) << s.keys;
    }
}

TEST_F(WineMenu, HeldEnterStartsOnEveryRepeatAndHeldSpaceOnceOnRelease) {
    {
        RunningMenu menu(*session_, disc());
        menu.hold_key("Return", 1500ms);
        EXPECT_GE(menu.launches(3).size(), 3u);
    }
    {
        RunningMenu menu(*session_, disc());
        menu.hold_key("space", 1500ms);
        EXPECT_EQ(menu.launches(1), std::vector<std::string>{directx_line(disc())});
    }
}

TEST_F(WineMenu, DoubleClickStartsTwice) {
    RunningMenu menu(*session_, disc());
    menu.move_to(kGame);
    e2e::run("xdotool click --repeat 2 --delay 80 1");
    EXPECT_EQ(menu.launches(2), (std::vector<std::string>{setup_line(disc()), setup_line(disc())}));
}

TEST_F(WineMenu, ReleaseOffTheButtonStartsNothingAndBackOnItStarts) {
    RunningMenu menu(*session_, disc());
    menu.press(kGame);
    menu.move_to(kPicture);
    menu.release();
    // Out and back before the release: one start.
    menu.press(kAddons);
    menu.move_to(kPicture);
    menu.move_to(kAddons);
    menu.release();
    EXPECT_EQ(menu.launches(1), std::vector<std::string>{addons_line(disc())});
}

TEST_F(WineMenu, RightAndMiddleClicksOnAButtonDoNothingAndLeaveTheFocus) {
    RunningMenu menu(*session_, disc());
    menu.click(kGame, 3);
    menu.click(kAddons, 2);
    menu.keys("Return");
    EXPECT_EQ(menu.launches(1), std::vector<std::string>{directx_line(disc())});
}

TEST_F(WineMenu, DraggingThePictureMovesTheWindowByThePointersDisplacement) {
    for (Point grab : {kPicture, Point{100, 490}, Point{640, 200}}) {
        RunningMenu menu(*session_, disc());
        const Point before = menu.client_origin();
        menu.press(grab);
        // Screen positions: the window moves under the pointer.
        for (int step = 1; step <= 6; ++step) {
            e2e::run("xdotool mousemove " + std::to_string(before.x + grab.x + 10 * step) + " " +
                     std::to_string(before.y + grab.y + 5 * step));
            std::this_thread::sleep_for(40ms);
        }
        menu.release();
        std::this_thread::sleep_for(500ms);
        EXPECT_EQ(menu.client_origin(), (Point{before.x + 60, before.y + 30}))
            << grab.x << "," << grab.y;
        // The focus stayed where it was.
        menu.keys("Return");
        EXPECT_EQ(menu.launches(1), std::vector<std::string>{directx_line(disc())});
    }
}

// Wine hands the move to the window manager, which would start it after a quick click's
// release and keep the window on the pointer; the menu starts no move once the button is up.
// A press held with the right button still drags.
TEST_F(WineMenu, AQuickClickOnThePictureLeavesTheWindowWhereItIs) {
    for (int button : {1, 3}) {
        RunningMenu menu(*session_, disc());
        const Point before = menu.client_origin();
        menu.click(kPicture, button);
        std::this_thread::sleep_for(300ms);
        for (int step = 1; step <= 4; ++step) {
            e2e::run("xdotool mousemove " + std::to_string(before.x + kPicture.x + 20 * step) +
                     " " + std::to_string(before.y + kPicture.y + 10 * step));
            std::this_thread::sleep_for(100ms);
        }
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(menu.client_origin(), before) << "button " << button;
        menu.keys("Return");
        EXPECT_EQ(menu.launches(1), std::vector<std::string>{directx_line(disc())});
    }
    RunningMenu menu(*session_, disc());
    const Point before = menu.client_origin();
    menu.press(kPicture, 3);
    for (int step = 1; step <= 6; ++step) {
        e2e::run("xdotool mousemove " + std::to_string(before.x + kPicture.x + 10 * step) + " " +
                 std::to_string(before.y + kPicture.y + 5 * step));
        std::this_thread::sleep_for(40ms);
    }
    menu.release(3);
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(menu.client_origin(), (Point{before.x + 60, before.y + 30})) << "held right button";
}

TEST_F(WineMenu, MinimisingHidesTheWindowAndRestoringShowsItInPlaceWithTheFocus) {
    RunningMenu menu(*session_, disc());
    menu.keys("Tab");
    const Point before = menu.client_origin();
    e2e::run("xdotool windowminimize " + std::to_string(menu.windows().owner));
    std::this_thread::sleep_for(1s);
    EXPECT_FALSE(e2e::is_viewable(display(), menu.windows().main));
    e2e::run("xdotool windowactivate " + std::to_string(menu.windows().owner));
    std::this_thread::sleep_for(1500ms);
    EXPECT_TRUE(e2e::is_viewable(display(), menu.windows().main));
    EXPECT_EQ(menu.client_origin(), before);
    menu.keys("Return");
    EXPECT_EQ(menu.launches(1), std::vector<std::string>{setup_line(disc())});
}

TEST_F(WineMenu, ClosingEndsTheProgramWithExitCodeZero) {
    enum class How { AltF4, CloseBox, TaskbarEntry, LogOff };
    for (How how : {How::AltF4, How::CloseBox, How::TaskbarEntry, How::LogOff}) {
        RunningMenu menu(*session_, disc());
        switch (how) {
            case How::AltF4:
                menu.keys("alt+F4");
                break;
            case How::CloseBox:
                e2e::request_close(display(), menu.windows().main);
                break;
            case How::TaskbarEntry:
                e2e::request_close(display(), menu.windows().owner);
                break;
            case How::LogOff:
                e2e::run("wineboot --end-session >/dev/null 2>&1");
                break;
        }
        EXPECT_EQ(menu.wait_exit(), std::optional<int>(0)) << static_cast<int>(how);
        EXPECT_TRUE(e2e::client_list(display()).empty() ||
                    std::none_of(e2e::client_list(display()).begin(),
                                 e2e::client_list(display()).end(), [&](Window w) {
                                     return w == menu.windows().main || w == menu.windows().owner;
                                 }));
    }
}

}  // namespace

// A screen of 120 pixels per inch: the window font grows, and the layout with it by the
// font's measured height over 13, every value rounded on its own; the picture keeps its size.
TEST_F(WineMenu, AtAnotherDensityTheLayoutScalesAndThePictureDoesNot) {
    // Picture pixels outside the buttons in both layouts, its last column and row among them.
    const Point samples[] = {{0, 0}, {100, 100}, {320, 240}, {639, 300}, {200, 479}};
    std::vector<unsigned long> at_96;
    {
        RunningMenu menu(*session_, disc());
        for (Point p : samples) at_96.push_back(menu.pixel(p));
    }
    const std::string key = "'HKCU\\Control Panel\\Desktop' /v LogPixels";
    struct Restore {
        std::string key;
        ~Restore() { e2e::run("wine reg delete " + key + " /f >/dev/null 2>&1"); }
    } restore{key};
    ASSERT_EQ(e2e::run("wine reg add " + key + " /t REG_DWORD /d 120 /f >/dev/null 2>&1"), 0);

    RunningMenu menu(*session_, disc());
    XWindowAttributes a{};
    ASSERT_TRUE(XGetWindowAttributes(display(), menu.windows().main, &a));
    bool proportional = false;
    for (int height = 14; height <= 20; ++height) {
        const auto scaled = [height](int v) { return (v * height * 2 + 13) / 26; };
        proportional = proportional || (a.width == scaled(641) && a.height == scaled(499));
    }
    EXPECT_TRUE(proportional) << a.width << " x " << a.height;
    EXPECT_GT(a.width, 641);
    for (std::size_t i = 0; i < std::size(samples); ++i)
        EXPECT_EQ(menu.pixel(samples[i]), at_96[i]) << samples[i].x << "," << samples[i].y;
    EXPECT_EQ(menu.pixel({a.width - 1, 100}), 0x000000ul);
}
