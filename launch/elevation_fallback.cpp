#include "launch/elevation_fallback.h"

namespace launch {

ProgramAndArguments split_at_first_blank(std::string_view command_line) {
    const auto blank = command_line.find(' ');
    if (blank == std::string_view::npos) return {command_line, {}};
    return {command_line.substr(0, blank), command_line.substr(blank + 1)};
}

void start_with_elevation_fallback(ProcessStartCalls& calls, const LaunchCommand& command) {
    if (calls.win_exec(command.command_line, command.show_mode) != kErrorElevationRequired) return;
    const ProgramAndArguments split = split_at_first_blank(command.command_line);
    const std::optional<std::string> program = calls.find_program(split.program);
    if (!program) return;
    calls.shell_execute(*program, split.arguments, command.show_mode, calls.current_folder());
}

}  // namespace launch
