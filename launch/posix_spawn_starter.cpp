// Starting launch commands on Linux: each program runs as an independent process in a session
// of its own, with a clean signal state and none of the menu's descriptors, and is reaped by
// the system, so it neither lingers as a zombie nor depends on the menu staying open.
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "launch/posix_plan.h"
#include "launch/system_starter.h"

namespace launch {

namespace {

std::string program_folder() {
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return program.parent_path().string();
}

std::string current_folder() {
    std::error_code error;
    auto folder = std::filesystem::current_path(error);
    if (error) return {};
    return folder.string();
}

SearchPlaces read_search_places() {
    const char* path = std::getenv("PATH");
    // An unset PATH means the system's default one.
    return {program_folder(), current_folder(), path ? path : "/bin:/usr/bin"};
}

class SpawnAttributes {
  public:
    SpawnAttributes() : ready_(posix_spawnattr_init(&attributes_) == 0) {
        if (!ready_) return;
        sigset_t all;
        sigfillset(&all);
        sigset_t none;
        sigemptyset(&none);
        constexpr int kFlags = POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
        ready_ = posix_spawnattr_setsigdefault(&attributes_, &all) == 0 &&
                 posix_spawnattr_setsigmask(&attributes_, &none) == 0 &&
                 posix_spawnattr_setflags(&attributes_, static_cast<short>(kFlags)) == 0;
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;

    const posix_spawnattr_t* get() const { return ready_ ? &attributes_ : nullptr; }

  private:
    posix_spawnattr_t attributes_{};
    bool ready_;
};

// Besides 0, 1 and 2 the child keeps nothing, even a descriptor opened without O_CLOEXEC.
class SpawnFileActions {
  public:
    SpawnFileActions() : ready_(posix_spawn_file_actions_init(&actions_) == 0) {
#ifdef __GLIBC_PREREQ
#if __GLIBC_PREREQ(2, 34)
        ready_ = ready_ && posix_spawn_file_actions_addclosefrom_np(&actions_, 3) == 0;
#endif
#endif
    }
    ~SpawnFileActions() {
        posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;

    const posix_spawn_file_actions_t* get() const {
        return ready_ ? &actions_ : nullptr;
    }

  private:
    posix_spawn_file_actions_t actions_{};
    bool ready_;
};

void spawn(const StartPlan& plan) {
    const SpawnAttributes attributes;
    const SpawnFileActions actions;
    if (!attributes.get() || !actions.get()) return;
    std::vector<char*> argv;
    for (const std::string& word : plan.argv) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    // The words go straight to the program: no shell ever sees a path from the disc.
    pid_t child = 0;
    posix_spawn(&child, plan.executable.c_str(), actions.get(), attributes.get(), argv.data(),
                environ);
}

// Ignoring SIGCHLD with SA_NOCLDWAIT lets the kernel reap every child at once; the children
// themselves get the default disposition back through POSIX_SPAWN_SETSIGDEF.
void reap_children_automatically() {
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    action.sa_flags = SA_NOCLDWAIT;
    sigemptyset(&action.sa_mask);
    sigaction(SIGCHLD, &action, nullptr);
}

class PosixStarter final : public CommandStarter {
  public:
    PosixStarter() { reap_children_automatically(); }

    // The show mode has no portable counterpart here: a new window's size is the program's and
    // the window manager's choice, so it is not passed on.
    void start(const LaunchCommand& command) override {
        try {
            if (const auto plan = plan_start(command.command_line, read_search_places()))
                spawn(*plan);
        } catch (...) {
            // A launch that fails says nothing and leaves the menu as it was.
        }
    }
};

}  // namespace

CommandStarter& system_starter() {
    static PosixStarter starter;
    return starter;
}

}  // namespace launch
