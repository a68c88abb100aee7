// How a command is started on Windows, apart from Windows itself: the program is handed to
// WinExec as it is, and only where Windows refuses it for want of administrator rights is
// it started again through the shell, which asks the user for consent.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "launch_command.h"

namespace launch {

// The last error WinExec leaves where the program needs administrator rights.
inline constexpr unsigned long kErrorElevationRequired = 740;

// The program (the text before the first blank) and its arguments (the rest of the line).
struct ProgramAndArguments {
    std::string_view program;
    std::string_view arguments;
    friend constexpr bool operator==(const ProgramAndArguments&,
                                     const ProgramAndArguments&) = default;
};

ProgramAndArguments split_at_first_blank(std::string_view command_line);

// The system calls the decision needs; text is in the system's 8-bit code page.
class ProcessStartCalls {
  public:
    virtual ~ProcessStartCalls() = default;
    // WinExec; returns 0 where the program started, else the thread's last error after it.
    virtual unsigned long win_exec(std::string_view command_line, int show_mode) = 0;
    // The program's full path, looked for as WinExec looks for it; nothing where it is not
    // found.
    virtual std::optional<std::string> find_program(std::string_view program) = 0;
    virtual std::string current_folder() = 0;
    // ShellExecuteEx with the default verb; its result is not wanted.
    virtual void shell_execute(const std::string& program, std::string_view arguments,
                               int show_mode, const std::string& folder) = 0;
};

// Starts `command` through `calls`. Every failure but the one above stays silent.
void start_with_elevation_fallback(ProcessStartCalls& calls, const LaunchCommand& command);

}  // namespace launch
