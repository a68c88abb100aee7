#include "launch/elevation_fallback.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using launch::LaunchCommand;

struct ShellCall {
    std::string program;
    std::string arguments;
    int show_mode = 0;
    std::string folder;
    friend bool operator==(const ShellCall&, const ShellCall&) = default;
};

// Stands in for Windows: WinExec fails with a chosen error, the search finds what the
// disc holds, and every call is recorded.
class FakeCalls : public launch::ProcessStartCalls {
  public:
    unsigned long exec_error = 0;
    std::map<std::string, std::string, std::less<>> found;
    std::vector<std::pair<std::string, int>> execs;
    std::vector<std::string> searches;
    std::vector<ShellCall> shell_calls;

    unsigned long win_exec(std::string_view command_line, int show_mode) override {
        execs.emplace_back(std::string(command_line), show_mode);
        return exec_error;
    }
    std::optional<std::string> find_program(std::string_view program) override {
        searches.emplace_back(program);
        const auto it = found.find(program);
        if (it == found.end()) return std::nullopt;
        return it->second;
    }
    std::string current_folder() override { return "D:\\"; }
    void shell_execute(const std::string& program, std::string_view arguments, int show_mode,
                       const std::string& folder) override {
        shell_calls.push_back({program, std::string(arguments), show_mode, folder});
    }
};

FakeCalls disc_with_all_programs() {
    FakeCalls calls;
    calls.found = {{"setup.exe", "D:\\setup.exe"},
                   {"explorer.exe", "C:\\windows\\explorer.exe"},
                   {"DirectX\\DXSETUP.exe", "D:\\DirectX\\DXSETUP.exe"}};
    return calls;
}

TEST(SplitCommandLine, SplitsAtTheFirstBlank) {
    struct Case {
        std::string_view line, program, arguments;
    };
    const Case cases[] = {
        {"explorer.exe addon", "explorer.exe", "addon"},
        {"setup.exe", "setup.exe", ""},
        {"DirectX\\DXSETUP.exe", "DirectX\\DXSETUP.exe", ""},
        {"a.exe b c", "a.exe", "b c"},
        {"a.exe  b", "a.exe", " b"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        const auto split = launch::split_at_first_blank(c.line);
        EXPECT_EQ(split.program, c.program) << c.line;
        EXPECT_EQ(split.arguments, c.arguments) << c.line;
    }
}

TEST(ElevationFallback, ExecHandsTheCommandOverExactlyAsStored) {
    for (const LaunchCommand& command :
         {launch::kInstallGame, launch::kOpenAddons, launch::kInstallDirectX}) {
        FakeCalls calls = disc_with_all_programs();
        launch::start_with_elevation_fallback(calls, command);
        ASSERT_EQ(calls.execs.size(), 1u);
        EXPECT_EQ(calls.execs[0].first, command.command_line);
        EXPECT_EQ(calls.execs[0].second, command.show_mode);
        EXPECT_TRUE(calls.searches.empty());
        EXPECT_TRUE(calls.shell_calls.empty());
    }
}

TEST(ElevationFallback, ElevationRequiredStartsTheSameCommandThroughTheShell) {
    struct Case {
        LaunchCommand command;
        ShellCall expected;
    };
    const Case cases[] = {
        {launch::kInstallGame, {"D:\\setup.exe", "", 1, "D:\\"}},
        {launch::kOpenAddons, {"C:\\windows\\explorer.exe", "addon", 3, "D:\\"}},
        {launch::kInstallDirectX, {"D:\\DirectX\\DXSETUP.exe", "", 1, "D:\\"}},
    };
    for (const Case& c : cases) {
        FakeCalls calls = disc_with_all_programs();
        calls.exec_error = launch::kErrorElevationRequired;
        launch::start_with_elevation_fallback(calls, c.command);
        EXPECT_EQ(calls.execs.size(), 1u) << c.command.command_line;
        ASSERT_EQ(calls.shell_calls.size(), 1u) << c.command.command_line;
        EXPECT_EQ(calls.shell_calls[0], c.expected) << c.command.command_line;
        ASSERT_EQ(calls.searches.size(), 1u);
        EXPECT_EQ(calls.searches[0], launch::split_at_first_blank(c.command.command_line).program);
    }
}

TEST(ElevationFallback, EveryOtherFailureStaysSilent) {
    // File or path not found, access denied, bad format, out of memory, and success.
    for (unsigned long error : {0ul, 2ul, 3ul, 5ul, 8ul, 11ul, 193ul, 739ul, 741ul}) {
        FakeCalls calls = disc_with_all_programs();
        calls.exec_error = error;
        launch::start_with_elevation_fallback(calls, launch::kInstallGame);
        EXPECT_EQ(calls.execs.size(), 1u) << error;
        EXPECT_TRUE(calls.searches.empty()) << error;
        EXPECT_TRUE(calls.shell_calls.empty()) << error;
    }
}

TEST(ElevationFallback, ProgramNotFoundForTheShellStartsNothing) {
    FakeCalls calls;
    calls.exec_error = launch::kErrorElevationRequired;
    launch::start_with_elevation_fallback(calls, launch::kInstallGame);
    EXPECT_EQ(calls.searches.size(), 1u);
    EXPECT_TRUE(calls.shell_calls.empty());
}

}  // namespace
