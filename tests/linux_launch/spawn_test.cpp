// Real starts: stand-in programs on a temporary disc write down how they were started.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "launch/system_starter.h"
#include "tests/linux_launch/temp_tree.h"

namespace launch {
namespace {

namespace fs = std::filesystem;
using launch_test::TempTree;

// The disc's own folder name holds what a shell would act on.
const std::string kDisc = "Диск 'q\" ;$(touch x)";
const std::string kTrickyWord = "Диск;'q\"$(touch${IFS}x)`touch${IFS}w`";
constexpr std::string_view kWindows = "MZ\x90";

// A stand-in program: writes its arguments and the state it runs in to `report` (a path free of
// quotes), renaming the file into place last so a reader never sees half of it.
std::string recorder_script(const std::string& report) {
    return "#!/bin/sh\n"
           "set -f\n"
           "out='" +
           report +
           "'\n"
           "{\n"
           "  printf 'arg0=%s\\n' \"$0\"\n"
           "  for word in \"$@\"; do printf 'arg=%s\\n' \"$word\"; done\n"
           "  printf 'cwd=%s\\n' \"$(pwd -P)\"\n"
           "  fds=$(ls /proc/self/fd)\n"
           "  echo fds=$fds\n"
           "  while read -r key value; do\n"
           "    case $key in SigBlk:|SigIgn:) echo \"${key%:}=$value\";; esac\n"
           "  done < /proc/$$/status\n"
           "  read -r stat < /proc/$$/stat\n"
           "  set -- $stat\n"
           "  echo pid=$1; echo ppid=$4; echo sid=$6\n"
           "  printf 'probe=%s\\n' \"$VELMORRA_LAUNCH_PROBE\"\n"
           "} > \"$out.tmp\"\n"
           "mv \"$out.tmp\" \"$out\"\n";
}

class Report {
  public:
    explicit Report(const std::string& path) {
        std::ifstream in(path);
        for (std::string line; std::getline(in, line);) {
            const auto equals = line.find('=');
            if (equals != std::string::npos)
                lines_.emplace_back(line.substr(0, equals), line.substr(equals + 1));
        }
    }
    std::string value(std::string_view key) const {
        const auto all = values(key);
        return all.empty() ? "(none)" : all.front();
    }
    std::vector<std::string> values(std::string_view key) const {
        std::vector<std::string> found;
        for (const auto& [k, v] : lines_)
            if (k == key) found.push_back(v);
        return found;
    }

  private:
    std::vector<std::pair<std::string, std::string>> lines_;
};

// Polls until `done` holds; only a fault makes it give up, after a minute.
template <typename Done>
bool wait_until(Done done) {
    for (int tries = 0; tries < 6000; ++tries) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

std::optional<Report> wait_for_report(const std::string& path) {
    if (!wait_until([&] { return fs::exists(path); })) return std::nullopt;
    return Report(path);
}

// An unreaped child stays in /proc as a zombie; a reaped one disappears.
bool wait_until_gone(const std::string& pid) {
    return wait_until([&] { return !fs::exists("/proc/" + pid); });
}

std::vector<std::string> zombie_children() {
    std::vector<std::string> zombies;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        std::ifstream in(entry.path() / "stat");
        std::string stat;
        if (!std::getline(in, stat)) continue;
        const auto comm_end = stat.rfind(')');
        if (comm_end == std::string::npos) continue;
        std::istringstream rest(stat.substr(comm_end + 1));
        std::string state;
        long parent = 0;
        rest >> state >> parent;
        if (state == "Z" && parent == getpid()) zombies.push_back(stat);
    }
    return zombies;
}

// glibc keeps the signals from 32 up to SIGRTMIN for itself, and its posix_spawn leaves them
// ignored in every child; no program can see or set them through the C library.
unsigned long long c_library_signals() {
    unsigned long long bits = 0;
    for (int sig = 32; sig < SIGRTMIN; ++sig) bits |= 1ull << (sig - 1);
    return bits;
}

class SystemStarter : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(tree_.root().find('\''), std::string::npos);
        old_folder_ = fs::current_path();
        const char* path = std::getenv("PATH");
        old_path_ = path ? path : "";
        tree_.folder(kDisc);
        tree_.folder("reports");
        tree_.file("bin/wine", recorder_script(report("wine")), true);
        tree_.file("bin/xdg-open", recorder_script(report("xdg-open")), true);
        fs::current_path(disc());
        setenv("PATH", (tree_.path("bin") + ":/usr/bin:/bin").c_str(), 1);
        setenv("VELMORRA_LAUNCH_PROBE", "seen", 1);
    }
    void TearDown() override {
        fs::current_path(old_folder_);
        setenv("PATH", old_path_.c_str(), 1);
        unsetenv("VELMORRA_LAUNCH_PROBE");
    }

    std::string disc() const { return tree_.path(kDisc); }
    std::string report(std::string_view name) const {
        return tree_.path("reports/" + std::string(name));
    }
    void disc_file(const std::string& name, std::string_view content, bool executable) const {
        tree_.file(kDisc + "/" + name, content, executable);
    }

    TempTree tree_;

  private:
    fs::path old_folder_;
    std::string old_path_;
};

TEST_F(SystemStarter, StartsTheGameSetupInACleanStateOfItsOwn) {
    disc_file("setup.exe", recorder_script(report("setup")), true);
    // State of the menu that must not reach the child: a blocked and an ignored signal and a
    // descriptor without O_CLOEXEC.
    sigset_t blocked, old_mask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    ASSERT_EQ(sigprocmask(SIG_BLOCK, &blocked, &old_mask), 0);
    struct sigaction ignore {
    }, old_usr2{};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGUSR2, &ignore, &old_usr2), 0);
    const int leaked = open("/dev/null", O_RDONLY);
    ASSERT_GT(leaked, 2);

    system_starter().start(kInstallGame);

    close(leaked);
    sigaction(SIGUSR2, &old_usr2, nullptr);
    sigprocmask(SIG_SETMASK, &old_mask, nullptr);

    const auto started = wait_for_report(report("setup"));
    ASSERT_TRUE(started) << "setup.exe never ran";
    EXPECT_EQ(started->value("arg0"), disc() + "/setup.exe");
    EXPECT_TRUE(started->values("arg").empty());
    EXPECT_EQ(started->value("cwd"), fs::canonical(disc()).string());
    EXPECT_EQ(started->value("fds"), "0 1 2 3");  // 3 is the folder ls reads
    EXPECT_EQ(started->value("SigBlk"), "0000000000000000");
    const auto ignored = std::stoull(started->value("SigIgn"), nullptr, 16);
    EXPECT_EQ(ignored & ~c_library_signals(), 0u) << started->value("SigIgn");
    EXPECT_EQ(started->value("sid"), started->value("pid"));
    EXPECT_NE(started->value("sid"), std::to_string(getsid(0)));
    EXPECT_EQ(started->value("ppid"), std::to_string(getpid()));
    EXPECT_EQ(started->value("probe"), "seen");

    EXPECT_TRUE(wait_until_gone(started->value("pid"))) << "the finished child was not reaped";
    EXPECT_EQ(zombie_children(), std::vector<std::string>{});
    struct sigaction child_action {};
    sigaction(SIGCHLD, nullptr, &child_action);
    EXPECT_EQ(child_action.sa_handler, SIG_IGN);
    EXPECT_TRUE(child_action.sa_flags & SA_NOCLDWAIT);
}

TEST_F(SystemStarter, LooksBesideTheMenuProgramBeforeTheCurrentFolder) {
    // The test program stands in for the menu: a stand-in placed beside it wins over the disc's.
    const std::string name = "launch-probe-" + std::to_string(getpid()) + ".exe";
    const fs::path beside = fs::read_symlink("/proc/self/exe").parent_path() / name;
    struct Remove {
        fs::path path;
        ~Remove() {
            std::error_code ignored;
            fs::remove(path, ignored);
        }
    } const remove_beside{beside};
    std::ofstream(beside) << recorder_script(report("beside"));
    fs::permissions(beside, fs::perms::owner_all);
    disc_file(name, recorder_script(report("disc")), true);

    system_starter().start({name, kShowNormal});
    const auto started = wait_for_report(report("beside"));
    ASSERT_TRUE(started) << "the program beside the menu never ran";
    EXPECT_EQ(started->value("arg0"), beside.string());
    EXPECT_EQ(started->value("cwd"), fs::canonical(disc()).string());
    EXPECT_FALSE(fs::exists(report("disc")));
}

TEST_F(SystemStarter, RunsTheDirectXSetupThroughWineWhateverItsCase) {
    disc_file("directx/dxsetup.EXE", kWindows, false);
    system_starter().start(kInstallDirectX);
    const auto wine = wait_for_report(report("wine"));
    ASSERT_TRUE(wine) << "wine never ran";
    EXPECT_EQ(wine->value("arg0"), tree_.path("bin/wine"));
    EXPECT_EQ(wine->values("arg"), std::vector<std::string>{disc() + "/directx/dxsetup.EXE"});
    EXPECT_EQ(wine->value("cwd"), fs::canonical(disc()).string());
}

TEST_F(SystemStarter, OpensTheAddonFolderInTheFileBrowser) {
    tree_.folder(kDisc + "/Addon");
    system_starter().start(kOpenAddons);
    const auto browser = wait_for_report(report("xdg-open"));
    ASSERT_TRUE(browser) << "xdg-open never ran";
    EXPECT_EQ(browser->values("arg"), std::vector<std::string>{disc() + "/Addon"});
}

TEST_F(SystemStarter, HandsEveryWordOverUntouched) {
    disc_file(kTrickyWord + "/setup.exe", recorder_script(report("tricky")), true);
    const std::string line = kTrickyWord + "\\setup.exe $(touch y) ;touch z 'q\" `touch v`";
    system_starter().start({line, kShowNormal});
    const auto started = wait_for_report(report("tricky"));
    ASSERT_TRUE(started) << "the program never ran";
    EXPECT_EQ(started->value("arg0"), disc() + "/" + kTrickyWord + "/setup.exe");
    EXPECT_EQ(started->values("arg"),
              (std::vector<std::string>{"$(touch", "y)", ";touch", "z", "'q\"", "`touch", "v`"}));
    ASSERT_TRUE(wait_until_gone(started->value("pid")));
    for (const std::string& folder : {disc(), tree_.root(), disc() + "/" + kTrickyWord})
        for (const char* name : {"x", "y", "z", "v", "w"})
            EXPECT_FALSE(fs::exists(folder + "/" + name)) << folder << "/" << name;
}

TEST_F(SystemStarter, StartsTheSameProgramOnEveryClick) {
    disc_file("setup.exe", "#!/bin/sh\n: > '" + report("click") + ".'$$\n", true);
    system_starter().start(kInstallGame);
    system_starter().start(kInstallGame);
    const auto reports = [&] {
        const fs::directory_iterator folder(tree_.path("reports"));
        return std::distance(begin(folder), end(folder));
    };
    wait_until([&] { return reports() >= 2; });
    EXPECT_EQ(reports(), 2);
}

// Runs `action` with the process's standard output and error going to a file; returns the file.
template <typename Action>
std::string output_of(const TempTree& tree, Action action) {
    const std::string file = tree.path("output");
    const int sink = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int saved_out = dup(1), saved_err = dup(2);
    fflush(nullptr);
    dup2(sink, 1);
    dup2(sink, 2);
    action();
    fflush(nullptr);
    dup2(saved_out, 1);
    dup2(saved_err, 2);
    close(saved_out);
    close(saved_err);
    close(sink);
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(SystemStarter, FailsSilentlyAndReturns) {
    disc_file("notes.exe", "read me\n", true);
    disc_file("plain.exe", "#!/bin/sh\n", false);
    disc_file("broken.exe", "#!/nonexistent/interpreter\n", true);
    tree_.folder("empty");
    setenv("PATH", tree_.path("empty").c_str(), 1);  // no wine, no xdg-open
    disc_file("dos.exe", kWindows, true);
    const std::string said = output_of(tree_, [] {
        for (const std::string_view line :
             {"missing.exe", "DirectX\\DXSETUP.exe", "notes.exe", "plain.exe", "broken.exe",
              "dos.exe", "explorer.exe addon", "", "   "})
            system_starter().start({line, kShowNormal});
    });
    EXPECT_EQ(said, "");
    EXPECT_TRUE(fs::is_empty(tree_.path("reports")));
}

}  // namespace
}  // namespace launch
