// Finding a launch command's program on a POSIX file system. Discs copied from Windows keep
// their names but not always their case, so a name that is not there exactly is matched
// component by component without regard to ASCII case.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace launch {

// The places a program is looked for, read from the running process by the starter.
struct SearchPlaces {
    std::string program_folder;  // the folder of the menu program itself; empty when unknown
    std::string current_folder;  // absolute; empty when unknown
    std::string path;            // the PATH list
};

enum class EntryKind { file, folder };  // a file is anything but a folder

// Finds the slash-separated `relative` below the absolute folder `base`: the exact name first,
// otherwise entries whose names differ only in ASCII case. The result is absolute.
std::optional<std::string> find_below(std::string_view base, std::string_view relative,
                                      EntryKind kind);

// A bare name is looked for in the program folder, the current folder, then along PATH; a name
// with a folder part below the current folder only.
std::optional<std::string> find_program(std::string_view program, const SearchPlaces& places);

// The first executable file with exactly this name along PATH.
std::optional<std::string> find_on_path(std::string_view name, const SearchPlaces& places);

// Names compare this way on a copied disc: bytes outside ASCII (the UTF-8 of Cyrillic names
// among them) must match exactly.
bool same_ignoring_ascii_case(std::string_view a, std::string_view b);

// `relative` appended to `folder` with one slash between them.
std::string join_path(std::string_view folder, std::string_view relative);

}  // namespace launch
