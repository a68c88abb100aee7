#include "launch/command_line.h"

#include <gtest/gtest.h>

#include <ostream>

#include "launch/launch_command.h"

namespace launch {
namespace {

struct SplitCase {
    std::string_view line;
    std::string program;
    std::string rest;
    std::vector<std::string> arguments;
};

// Test names show the command line, not the case's bytes.
void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << '"' << c.line << '"';
}

class SplitCommandLine : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLine, GivesProgramRestAndWords) {
    const SplitCase& c = GetParam();
    const CommandLineParts parts = split_command_line(c.line);
    EXPECT_EQ(parts.program, c.program);
    EXPECT_EQ(parts.rest, c.rest);
    EXPECT_EQ(parts.arguments, c.arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitCommandLine,
    testing::Values(SplitCase{kInstallGame.command_line, "setup.exe", "", {}},
                    SplitCase{kOpenAddons.command_line, "explorer.exe", "addon", {"addon"}},
                    SplitCase{kInstallDirectX.command_line, "DirectX\\DXSETUP.exe", "", {}},
                    SplitCase{"  tool.exe   one\ttwo  three ",
                              "tool.exe",
                              "one\ttwo  three",
                              {"one", "two", "three"}},
                    SplitCase{"a.exe 'x y' \"z\"", "a.exe", "'x y' \"z\"", {"'x", "y'", "\"z\""}},
                    SplitCase{"a.exe $(touch x);b", "a.exe", "$(touch x);b", {"$(touch", "x);b"}},
                    SplitCase{"", "", "", {}}, SplitCase{"   ", "", "", {}}));

TEST(ToSlashes, TurnsEveryBackslashIntoAFolderSeparator) {
    EXPECT_EQ(to_slashes("DirectX\\DXSETUP.exe"), "DirectX/DXSETUP.exe");
    EXPECT_EQ(to_slashes("a\\b\\\\c"), "a/b//c");
    EXPECT_EQ(to_slashes("setup.exe"), "setup.exe");
}

}  // namespace
}  // namespace launch
