// Taking a launch command line apart: the program, then its arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace launch {

struct CommandLineParts {
    std::string program;                 // first word, as written (backslashes kept)
    std::string rest;                    // everything after it, outer blanks trimmed
    std::vector<std::string> arguments;  // `rest` cut at blanks; the lines hold no quoting
};

// Splits at the first blank; runs of blanks separate words and never make empty ones.
CommandLineParts split_command_line(std::string_view command_line);

// A backslash separates folders in the command lines; the file system wants a slash.
std::string to_slashes(std::string_view windows_path);

}  // namespace launch
