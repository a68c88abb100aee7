// The three programs the menu starts, and the one way it starts a program.
#pragma once

#include <array>
#include <string_view>

namespace launch {

// The show-window codes handed to a started program as its first show state.
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMaximized = 3;

// A command line (program first, then its arguments after a blank; a backslash separates
// folders; relative paths only) and the show mode the program is asked to start in.
struct LaunchCommand {
    std::string_view command_line;
    int show_mode = kShowNormal;
    friend constexpr bool operator==(const LaunchCommand&, const LaunchCommand&) = default;
};

inline constexpr LaunchCommand kInstallGame{"setup.exe", kShowNormal};
inline constexpr LaunchCommand kOpenAddons{"explorer.exe addon", kShowMaximized};
inline constexpr LaunchCommand kInstallDirectX{"DirectX\\DXSETUP.exe", kShowNormal};

// Starts a command and returns at once; a failure is silent by design, so nothing comes back.
class CommandStarter {
  public:
    virtual ~CommandStarter() = default;
    virtual void start(const LaunchCommand& command) = 0;
};

}  // namespace launch
