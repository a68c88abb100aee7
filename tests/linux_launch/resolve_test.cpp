#include <gtest/gtest.h>

#include <ostream>

#include "launch/posix_resolve.h"
#include "tests/linux_launch/temp_tree.h"

namespace launch {
namespace {

using launch_test::TempTree;

// The menu program lies in "menu", the disc is the current folder, PATH is "bin1:bin2".
SearchPlaces places_in(const TempTree& tree) {
    return {tree.path("menu"), tree.path("disc"), tree.path("bin1") + ":" + tree.path("bin2")};
}

struct ResolveCase {
    std::string name;
    std::vector<std::string> files;
    std::vector<std::string> folders;
    std::string program;
    std::string expected;  // below the tree; empty when nothing is found
};

// Test names show the case, not its bytes.
void PrintTo(const ResolveCase& c, std::ostream* os) {
    *os << c.name;
}

class FindProgram : public testing::TestWithParam<ResolveCase> {};

TEST_P(FindProgram, FollowsTheSearchOrder) {
    const ResolveCase& c = GetParam();
    const TempTree tree;
    for (const char* name : {"menu", "disc", "bin1", "bin2"}) tree.folder(name);
    for (const std::string& folder : c.folders) tree.folder(folder);
    for (const std::string& file : c.files) tree.file(file, "#!/bin/sh\n", true);

    const auto found = find_program(c.program, places_in(tree));
    if (c.expected.empty()) {
        EXPECT_FALSE(found) << *found;
    } else {
        EXPECT_EQ(found.value_or("(nothing)"), tree.path(c.expected));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Disc, FindProgram,
    testing::Values(
        ResolveCase{"ProgramFolderFirst",
                    {"menu/setup.exe", "disc/setup.exe", "bin1/setup.exe"},
                    {},
                    "setup.exe",
                    "menu/setup.exe"},
        ResolveCase{"CurrentFolderBeforePath",
                    {"disc/setup.exe", "bin1/setup.exe"},
                    {},
                    "setup.exe",
                    "disc/setup.exe"},
        ResolveCase{"PathInItsOrder",
                    {"bin1/setup.exe", "bin2/setup.exe"},
                    {},
                    "setup.exe",
                    "bin1/setup.exe"},
        ResolveCase{"LaterPathEntry", {"bin2/setup.exe"}, {}, "setup.exe", "bin2/setup.exe"},
        ResolveCase{"Missing", {"disc/other.exe"}, {}, "setup.exe", ""},
        ResolveCase{"FolderPartNotBesideTheProgram",
                    {"menu/DirectX/DXSETUP.exe"},
                    {},
                    "DirectX/DXSETUP.exe",
                    ""},
        ResolveCase{
            "FolderPartNotOnPath", {"bin1/DirectX/DXSETUP.exe"}, {}, "DirectX/DXSETUP.exe", ""},
        ResolveCase{"FolderPartInCurrentFolder",
                    {"menu/DirectX/DXSETUP.exe", "disc/DirectX/DXSETUP.exe"},
                    {},
                    "DirectX/DXSETUP.exe",
                    "disc/DirectX/DXSETUP.exe"},
        ResolveCase{"EveryComponentIgnoresCase",
                    {"disc/directx/dxsetup.EXE"},
                    {},
                    "DirectX/DXSETUP.exe",
                    "disc/directx/dxsetup.EXE"},
        ResolveCase{"ExactPathPreferred",
                    {"disc/directx/dxsetup.exe", "disc/DirectX/DXSETUP.exe"},
                    {},
                    "DirectX/DXSETUP.exe",
                    "disc/DirectX/DXSETUP.exe"},
        ResolveCase{"ExactNamePreferred",
                    {"disc/SETUP.EXE", "disc/setup.exe", "disc/Setup.exe"},
                    {},
                    "setup.exe",
                    "disc/setup.exe"},
        ResolveCase{
            "CaseIgnoredBesideTheProgram", {"menu/SETUP.EXE"}, {}, "setup.exe", "menu/SETUP.EXE"},
        ResolveCase{"SearchOrderBeforeExactCase",
                    {"menu/SETUP.EXE", "disc/setup.exe"},
                    {},
                    "setup.exe",
                    "menu/SETUP.EXE"},
        ResolveCase{"OtherSpellingOfAnExistingFolder",
                    {"disc/DIRECTX/DXSETUP.EXE"},
                    {"disc/DirectX"},
                    "DirectX/DXSETUP.exe",
                    "disc/DIRECTX/DXSETUP.EXE"},
        ResolveCase{"FileWhereAFolderIsNeeded",
                    {"disc/DirectX", "disc/directx/DXSETUP.exe"},
                    {},
                    "DirectX/DXSETUP.exe",
                    "disc/directx/DXSETUP.exe"},
        ResolveCase{"FolderIsNoProgram",
                    {"disc/setup.exe"},
                    {"menu/setup.exe"},
                    "setup.exe",
                    "disc/setup.exe"},
        ResolveCase{"CyrillicComponentAsciiCaseIgnored",
                    {"disc/Игры/Setup.EXE"},
                    {},
                    "Игры/setup.exe",
                    "disc/Игры/Setup.EXE"},
        ResolveCase{"CyrillicComparedExactly", {"disc/Игры/setup.exe"}, {}, "ИГРЫ/setup.exe", ""},
        ResolveCase{"EmptyName", {"disc/setup.exe"}, {}, "", ""}),
    [](const testing::TestParamInfo<ResolveCase>& test) { return test.param.name; });

TEST(FindProgram, LeavesTheFoldersLeadingToTheDiscAlone) {
    const TempTree tree;
    // Only the names below the current folder are matched loosely, never the folders above it.
    tree.file("диск 'q\" ;$(touch x)/addon.exe", "", false);
    tree.file("Диск 'q\" ;$(touch x)/other.exe", "", false);
    const SearchPlaces places{"", tree.path("Диск 'q\" ;$(touch x)"), ""};
    EXPECT_FALSE(find_program("addon.exe", places));
    EXPECT_EQ(find_program("OTHER.EXE", places), tree.path("Диск 'q\" ;$(touch x)/other.exe"));
}

TEST(FindProgram, ReadsEmptyAndRelativePathEntriesBelowTheCurrentFolder) {
    const TempTree tree;
    tree.file("disc/tools/helper", "", true);
    tree.file("disc/setup.sh", "", true);
    EXPECT_EQ(find_program("helper", {"", tree.path("disc"), "/nonexistent:tools"}),
              tree.path("disc/tools/helper"));
    EXPECT_EQ(find_on_path("setup.sh", {"", tree.path("disc"), "/nonexistent::/bin"}),
              tree.path("disc/setup.sh"));
}

TEST(FindProgram, TakesAnAbsoluteNameAsItIs) {
    const TempTree tree;
    tree.file("disc/Setup.exe", "", false);
    EXPECT_EQ(find_program(tree.path("disc/setup.exe"), {}), tree.path("disc/Setup.exe"));
    EXPECT_EQ(find_program("/", {}), std::nullopt);
}

TEST(FindOnPath, WantsAnExecutableFileOfExactlyThatName) {
    const TempTree tree;
    tree.file("bin1/wine", "#!/bin/sh\n", false);
    tree.folder("bin2/wine");
    tree.file("bin3/WINE", "#!/bin/sh\n", true);
    tree.file("bin4/wine", "#!/bin/sh\n", true);
    const std::string path = tree.path("bin1") + ":" + tree.path("bin2") + ":" + tree.path("bin3") +
                             ":" + tree.path("bin4");
    EXPECT_EQ(find_on_path("wine", {"", "/", path}), tree.path("bin4/wine"));
    EXPECT_EQ(find_on_path("wine", {"", "/", tree.path("bin3")}), std::nullopt);
}

TEST(SameIgnoringAsciiCase, FoldsOnlyAscii) {
    EXPECT_TRUE(same_ignoring_ascii_case("DXSETUP.exe", "dxsetup.EXE"));
    EXPECT_FALSE(same_ignoring_ascii_case("setup.exe", "setup.ex"));
    EXPECT_FALSE(same_ignoring_ascii_case("Игры", "ИГРЫ"));
    EXPECT_TRUE(same_ignoring_ascii_case("Игры", "Игры"));
    EXPECT_FALSE(same_ignoring_ascii_case("[", "{"));  // '[' is not an upper-case '{'
}

}  // namespace
}  // namespace launch
