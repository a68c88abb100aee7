#include "launch/command_line.h"

#include <algorithm>

namespace launch {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim_blanks(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

CommandLineParts split_command_line(std::string_view command_line) {
    CommandLineParts parts;
    std::string_view line = trim_blanks(command_line);
    const auto first_blank = std::find_if(line.begin(), line.end(), is_blank);
    parts.program.assign(line.begin(), first_blank);
    parts.rest = trim_blanks(std::string_view(first_blank, line.end()));

    std::string_view rest = parts.rest;
    while (!rest.empty()) {
        const auto word_end = std::find_if(rest.begin(), rest.end(), is_blank);
        parts.arguments.emplace_back(rest.begin(), word_end);
        rest = trim_blanks(std::string_view(word_end, rest.end()));
    }
    return parts;
}

std::string to_slashes(std::string_view windows_path) {
    std::string path(windows_path);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

}  // namespace launch
