// The reviewed list of what the Windows programs may import (reviewed_imports.txt), and
// what the tests know about Windows itself to check it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pe {

struct ReviewedImport {
    std::string dll;
    std::string function;
    // The oldest Windows that has the function: "2000", "XP", "Vista", "7", ...
    std::string windows;
    int line = 0;
};

// Throws std::runtime_error naming the line where a line is not "DLL function windows".
std::vector<ReviewedImport> read_reviewed_imports(const std::string& path);

// The place of a Windows release in the order they came out, from "2000" to "11";
// nothing for a name that is not one of them.
std::optional<int> windows_release(const std::string& name);

// Windows 7, the oldest system the programs start on.
inline const std::string kOldestWindows = "7";

// Whether `dll` comes with Windows itself (in any case of letters).
bool is_windows_own_dll(const std::string& dll);

// The import's DLL name, compared without regard to case as Windows does.
bool same_dll(const std::string& a, const std::string& b);

}  // namespace pe
