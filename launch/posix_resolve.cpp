#include "launch/posix_resolve.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace launch {

namespace {

bool is_kind(const std::string& path, EntryKind kind) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) == (kind == EntryKind::folder);
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    for (;;) {
        const auto end = text.find(separator);
        pieces.push_back(text.substr(0, end));
        if (end == std::string_view::npos) return pieces;
        text.remove_prefix(end + 1);
    }
}

// Names in `folder` that could stand for `name`: the exact one first, then the others that
// differ only in case, in a fixed order so that the same disc always gives the same answer.
std::vector<std::string> candidate_names(const std::string& folder, std::string_view name) {
    std::vector<std::string> names{std::string(name)};
    if (name == "." || name == "..") return names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) return names;
    std::vector<std::string> others;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view entry_name = entry->d_name;
        if (entry_name != name && same_ignoring_ascii_case(entry_name, name))
            others.emplace_back(entry_name);
    }
    std::sort(others.begin(), others.end());
    names.insert(names.end(), others.begin(), others.end());
    return names;
}

// Walks the components from `index` on, trying every spelling of each before giving up, so a
// folder that exists in two spellings is searched in both.
std::optional<std::string> match_from(const std::string& folder,
                                      const std::vector<std::string_view>& components, size_t index,
                                      EntryKind kind) {
    const bool last = index + 1 == components.size();
    const std::string exact = join_path(folder, components[index]);
    if (is_kind(exact, last ? kind : EntryKind::folder)) {
        if (last) return exact;
        if (auto found = match_from(exact, components, index + 1, kind)) return found;
    }
    const auto names = candidate_names(folder, components[index]);
    for (auto name = names.begin() + 1; name != names.end(); ++name) {
        const std::string path = join_path(folder, *name);
        if (!is_kind(path, last ? kind : EntryKind::folder)) continue;
        if (last) return path;
        if (auto found = match_from(path, components, index + 1, kind)) return found;
    }
    return std::nullopt;
}

// PATH entries; an empty one is the current folder, a relative one lies below it.
std::vector<std::string> path_folders(const SearchPlaces& places) {
    std::vector<std::string> folders;
    for (const std::string_view entry : split(places.path, ':')) {
        if (!entry.empty() && entry.front() == '/')
            folders.emplace_back(entry);
        else if (!places.current_folder.empty())
            folders.push_back(entry.empty() ? places.current_folder
                                            : join_path(places.current_folder, entry));
    }
    return folders;
}

}  // namespace

bool same_ignoring_ascii_case(std::string_view a, std::string_view b) {
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

std::string join_path(std::string_view folder, std::string_view relative) {
    std::string path(folder);
    if (path.empty() || path.back() != '/') path += '/';
    path += relative;
    return path;
}

std::optional<std::string> find_below(std::string_view base, std::string_view relative,
                                      EntryKind kind) {
    if (base.empty() || base.front() != '/') return std::nullopt;
    std::vector<std::string_view> components;
    for (const std::string_view piece : split(relative, '/'))
        if (!piece.empty() && piece != ".") components.push_back(piece);
    if (components.empty()) return std::nullopt;

    const std::string exact = join_path(base, relative);
    if (is_kind(exact, kind)) return exact;
    return match_from(std::string(base), components, 0, kind);
}

std::optional<std::string> find_program(std::string_view program, const SearchPlaces& places) {
    if (program.empty()) return std::nullopt;
    if (program.front() == '/') {
        const auto start = program.find_first_not_of('/');
        if (start == std::string_view::npos) return std::nullopt;
        return find_below("/", program.substr(start), EntryKind::file);
    }
    if (program.find('/') != std::string_view::npos)
        return find_below(places.current_folder, program, EntryKind::file);

    std::vector<std::string> folders{places.program_folder, places.current_folder};
    for (std::string& folder : path_folders(places)) folders.push_back(std::move(folder));
    for (const std::string& folder : folders)
        if (auto found = find_below(folder, program, EntryKind::file)) return found;
    return std::nullopt;
}

std::optional<std::string> find_on_path(std::string_view name, const SearchPlaces& places) {
    for (const std::string& folder : path_folders(places)) {
        const std::string path = join_path(folder, name);
        if (is_kind(path, EntryKind::file) && access(path.c_str(), X_OK) == 0) return path;
    }
    return std::nullopt;
}

}  // namespace launch
