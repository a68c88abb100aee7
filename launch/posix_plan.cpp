#include "launch/posix_plan.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "launch/command_line.h"

namespace launch {

namespace {

constexpr std::string_view kElfMagic = "\177ELF";

// Reads the first bytes of a regular file; other kinds (a FIFO would block) are never opened.
std::string leading_bytes(const std::string& path, size_t count) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return {};
    std::string bytes(count, '\0');
    size_t filled = 0;
    while (filled < count) {
        const ssize_t got = read(fd, bytes.data() + filled, count - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        filled += static_cast<size_t>(got);
    }
    close(fd);
    bytes.resize(filled);
    return bytes;
}

// The folder the file browser is asked to show: the argument below the current folder, found
// regardless of case where possible; a missing folder is the browser's to report.
std::optional<std::string> browser_folder(const std::string& argument, const SearchPlaces& places) {
    if (places.current_folder.empty()) return std::nullopt;
    if (argument.empty()) return places.current_folder;
    if (argument.front() == '/') return argument;
    if (auto found = find_below(places.current_folder, argument, EntryKind::folder)) return found;
    return join_path(places.current_folder, argument);
}

std::optional<StartPlan> plan_file_browser(const CommandLineParts& parts,
                                           const SearchPlaces& places) {
    const auto xdg_open = find_on_path("xdg-open", places);
    const auto folder = browser_folder(to_slashes(parts.rest), places);
    if (!xdg_open || !folder) return std::nullopt;
    return StartPlan{*xdg_open, {*xdg_open, *folder}};
}

}  // namespace

ProgramKind classify_program(const std::string& path) {
    const std::string head = leading_bytes(path, 4);
    if (head.starts_with("MZ")) return ProgramKind::windows;
    const bool runnable = head == kElfMagic || head.starts_with("#!");
    if (runnable && access(path.c_str(), X_OK) == 0) return ProgramKind::native;
    return ProgramKind::none;
}

std::optional<StartPlan> plan_start(std::string_view command_line, const SearchPlaces& places) {
    const CommandLineParts parts = split_command_line(command_line);
    const std::string program = to_slashes(parts.program);
    const auto found = find_program(program, places);
    if (!found) {
        if (same_ignoring_ascii_case(program, "explorer.exe"))
            return plan_file_browser(parts, places);
        return std::nullopt;
    }

    StartPlan plan;
    switch (classify_program(*found)) {
        case ProgramKind::windows: {
            const auto wine = find_on_path("wine", places);
            if (!wine) return std::nullopt;
            plan.executable = *wine;
            plan.argv = {*wine, *found};
            break;
        }
        case ProgramKind::native:
            plan.executable = *found;
            plan.argv = {*found};
            break;
        case ProgramKind::none:
            return std::nullopt;
    }
    plan.argv.insert(plan.argv.end(), parts.arguments.begin(), parts.arguments.end());
    return plan;
}

}  // namespace launch
