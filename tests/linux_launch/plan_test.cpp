#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ostream>

#include "launch/launch_command.h"
#include "launch/posix_plan.h"
#include "tests/linux_launch/temp_tree.h"

namespace launch {
namespace {

using launch_test::TempTree;

using std::literals::operator""sv;

constexpr std::string_view kWindows = "MZ\x90\0\3\0\0\0"sv;
constexpr std::string_view kElf =
    "\x7f"
    "ELF\2\1\1";
constexpr std::string_view kScript = "#!/bin/sh\nexit 0\n";
constexpr std::string_view kText = "setup notes\n";

struct DiscFile {
    std::string name;  // below the disc
    std::string_view content;
    bool executable;
};

struct PlanCase {
    std::string name;
    std::vector<DiscFile> files;
    std::vector<std::string> folders;  // below the disc
    std::string command_line;
    // Expected words with {disc} and {bin} standing for those folders; empty: nothing starts.
    std::vector<std::string> argv;
    bool wine = true;
    bool xdg_open = true;
};

// Test names show the case, not its bytes.
void PrintTo(const PlanCase& c, std::ostream* os) {
    *os << c.name;
}

std::string expand(std::string word, const TempTree& tree) {
    for (const auto& [mark, folder] : {std::pair{"{disc}", "disc"}, std::pair{"{bin}", "bin"}}) {
        for (auto at = word.find(mark); at != std::string::npos; at = word.find(mark))
            word.replace(at, std::string_view(mark).size(), tree.path(folder));
    }
    return word;
}

class PlanStart : public testing::TestWithParam<PlanCase> {};

TEST_P(PlanStart, ChoosesHowTheProgramRuns) {
    const PlanCase& c = GetParam();
    const TempTree tree;
    tree.folder("disc");
    tree.folder("bin");
    tree.folder("menu");
    if (c.wine) tree.file("bin/wine", kScript, true);
    if (c.xdg_open) tree.file("bin/xdg-open", kScript, true);
    for (const DiscFile& file : c.files)
        tree.file("disc/" + file.name, file.content, file.executable);
    for (const std::string& folder : c.folders) tree.folder("disc/" + folder);

    const SearchPlaces places{tree.path("menu"), tree.path("disc"), tree.path("bin")};
    const auto plan = plan_start(c.command_line, places);
    if (c.argv.empty()) {
        EXPECT_FALSE(plan) << plan->executable;
        return;
    }
    std::vector<std::string> expected;
    for (const std::string& word : c.argv) expected.push_back(expand(word, tree));
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->argv, expected);
    EXPECT_EQ(plan->executable, expected.front());
}

// Names a shell would act on; a program name holds no blank, a folder argument may.
const std::string kTricky = "Диск 'q\" ;$(touch x)";
const std::string kTrickyWord = "Диск;'q\"$(touch${IFS}x)`id`";

INSTANTIATE_TEST_SUITE_P(
    Content, PlanStart,
    testing::Values(
        PlanCase{"WindowsProgramThroughWine",
                 {{"setup.exe", kWindows, false}},
                 {},
                 "setup.exe",
                 {"{bin}/wine", "{disc}/setup.exe"}},
        PlanCase{"WindowsProgramWithExecuteBitStillThroughWine",
                 {{"setup.exe", kWindows, true}},
                 {},
                 "setup.exe",
                 {"{bin}/wine", "{disc}/setup.exe"}},
        PlanCase{"WindowsProgramWithoutWine",
                 {{"setup.exe", kWindows, true}},
                 {},
                 "setup.exe",
                 {},
                 false},
        PlanCase{"WindowsProgramKeepsItsArguments",
                 {{"tool.exe", kWindows, false}},
                 {},
                 "tool.exe /q  C:\\x",
                 {"{bin}/wine", "{disc}/tool.exe", "/q", "C:\\x"}},
        PlanCase{
            "ElfRunsDirectly", {{"setup.exe", kElf, true}}, {}, "setup.exe", {"{disc}/setup.exe"}},
        PlanCase{"ElfWithoutExecuteBit", {{"setup.exe", kElf, false}}, {}, "setup.exe", {}},
        PlanCase{"ScriptRunsDirectly",
                 {{"setup.exe", kScript, true}},
                 {},
                 "setup.exe a b",
                 {"{disc}/setup.exe", "a", "b"}},
        PlanCase{"ScriptWithoutExecuteBit", {{"setup.exe", kScript, false}}, {}, "setup.exe", {}},
        PlanCase{"TextFile", {{"setup.exe", kText, true}}, {}, "setup.exe", {}},
        PlanCase{"EmptyFile", {{"setup.exe", "", true}}, {}, "setup.exe", {}},
        PlanCase{"MissingFile", {}, {}, "setup.exe", {}},
        PlanCase{"FolderOfThatName", {}, {"setup.exe"}, "setup.exe", {}},
        PlanCase{"DirectXIgnoringCase",
                 {{"directx/dxsetup.EXE", kWindows, false}},
                 {},
                 std::string(kInstallDirectX.command_line),
                 {"{bin}/wine", "{disc}/directx/dxsetup.EXE"}},
        PlanCase{"ExplorerOpensTheFolder",
                 {},
                 {"addon"},
                 std::string(kOpenAddons.command_line),
                 {"{bin}/xdg-open", "{disc}/addon"}},
        PlanCase{"ExplorerFolderIgnoringCase",
                 {},
                 {"ADDON"},
                 std::string(kOpenAddons.command_line),
                 {"{bin}/xdg-open", "{disc}/ADDON"}},
        PlanCase{"ExplorerMissingFolderLeftToTheBrowser",
                 {},
                 {},
                 std::string(kOpenAddons.command_line),
                 {"{bin}/xdg-open", "{disc}/addon"}},
        PlanCase{"ExplorerWithoutArgument", {}, {}, "explorer.exe", {"{bin}/xdg-open", "{disc}"}},
        PlanCase{"ExplorerFolderWithBlanksAndBackslashes",
                 {},
                 {"add ons/Cars"},
                 "Explorer.EXE add ons\\cars",
                 {"{bin}/xdg-open", "{disc}/add ons/Cars"}},
        PlanCase{"ExplorerWithoutXdgOpen", {}, {"addon"}, "explorer.exe addon", {}, true, false},
        PlanCase{"ExplorerOnTheDiscRunsItself",
                 {{"explorer.exe", kWindows, false}},
                 {"addon"},
                 "explorer.exe addon",
                 {"{bin}/wine", "{disc}/explorer.exe", "addon"}},
        PlanCase{"ExplorerOnTheDiscThatCannotRun",
                 {{"explorer.exe", kText, false}},
                 {"addon"},
                 "explorer.exe addon",
                 {}},
        PlanCase{"OtherProgramHasNoBrowserFallback", {}, {"addon"}, "setup.exe addon", {}},
        PlanCase{"TrickyNamesStayOneWord",
                 {{kTrickyWord + "/setup.exe", kWindows, false}},
                 {},
                 kTrickyWord + "\\SETUP.EXE $(touch z) ;x",
                 {"{bin}/wine", "{disc}/" + kTrickyWord + "/setup.exe", "$(touch", "z)", ";x"}},
        PlanCase{"TrickyFolderForTheBrowser",
                 {},
                 {kTricky},
                 "explorer.exe " + kTricky,
                 {"{bin}/xdg-open", "{disc}/" + kTricky}}),
    [](const testing::TestParamInfo<PlanCase>& test) { return test.param.name; });

TEST(ClassifyProgram, NeverOpensAFifo) {
    const TempTree tree;
    const std::string fifo = tree.path("setup.exe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0755), 0);
    EXPECT_EQ(classify_program(fifo), ProgramKind::none);
}

TEST(ClassifyProgram, ReadsTheFirstBytes) {
    const TempTree tree;
    tree.file("m", "M", true);
    tree.file("mz", "MZ", false);
    tree.file("elf", kElf.substr(0, 4), true);
    tree.file("short_elf", kElf.substr(0, 3), true);
    tree.file("bang", "#!", true);
    EXPECT_EQ(classify_program(tree.path("m")), ProgramKind::none);
    EXPECT_EQ(classify_program(tree.path("mz")), ProgramKind::windows);
    EXPECT_EQ(classify_program(tree.path("elf")), ProgramKind::native);
    EXPECT_EQ(classify_program(tree.path("short_elf")), ProgramKind::none);
    EXPECT_EQ(classify_program(tree.path("bang")), ProgramKind::native);
    EXPECT_EQ(classify_program(tree.path("missing")), ProgramKind::none);
    EXPECT_EQ(classify_program(tree.root()), ProgramKind::none);
}

}  // namespace
}  // namespace launch
