#include "reviewed_imports.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace pe {
namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

}  // namespace

std::vector<ReviewedImport> read_reviewed_imports(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::vector<ReviewedImport> list;
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        if (text.empty() || text[0] == '#') continue;
        std::istringstream words(text);
        ReviewedImport entry;
        std::string extra;
        if (!(words >> entry.dll >> entry.function >> entry.windows) || (words >> extra))
            throw std::runtime_error(path + ":" + std::to_string(line) +
                                     ": not \"DLL function windows\": " + text);
        entry.line = line;
        list.push_back(entry);
    }
    return list;
}

std::optional<int> windows_release(const std::string& name) {
    static const std::array<const char*, 8> releases = {"2000", "XP",  "Vista", "7",
                                                        "8",    "8.1", "10",    "11"};
    for (std::size_t i = 0; i < releases.size(); ++i)
        if (name == releases[i]) return static_cast<int>(i);
    return std::nullopt;
}

bool is_windows_own_dll(const std::string& dll) {
    static const std::array<const char*, 11> windows_own = {
        "kernel32.dll", "user32.dll",   "gdi32.dll",        "msvcrt.dll",
        "ole32.dll",    "oleaut32.dll", "shell32.dll",      "advapi32.dll",
        "comctl32.dll", "shlwapi.dll",  "windowscodecs.dll"};
    const std::string name = lower(dll);
    return std::find(windows_own.begin(), windows_own.end(), name) != windows_own.end();
}

bool same_dll(const std::string& a, const std::string& b) {
    return lower(a) == lower(b);
}

}  // namespace pe
