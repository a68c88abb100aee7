// Deciding how a launch command starts on a POSIX system, without starting anything: the file's
// first bytes say whether it is a Windows program (run by Wine) or a native one (run directly).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "launch/posix_resolve.h"

namespace launch {

enum class ProgramKind {
    windows,  // starts with "MZ"; the execute permission does not matter
    native,   // an ELF file or a "#!" script, with execute permission
    none,     // anything else: not to be started
};

ProgramKind classify_program(const std::string& path);

// The file to execute and every word handed to it, argv[0] included.
struct StartPlan {
    std::string executable;
    std::vector<std::string> argv;
    friend bool operator==(const StartPlan&, const StartPlan&) = default;
};

// How `command_line` starts, or nothing when it cannot start. "explorer.exe" with no such file
// on the disc opens its folder argument in the desktop's file browser through xdg-open.
std::optional<StartPlan> plan_start(std::string_view command_line, const SearchPlaces& places);

}  // namespace launch
