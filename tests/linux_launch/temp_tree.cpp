#include "tests/linux_launch/temp_tree.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace launch_test {

TempTree::TempTree() {
    std::string pattern = (fs::temp_directory_path() / "velmorra-launch-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create " + pattern);
    root_ = pattern;
}

TempTree::~TempTree() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::string TempTree::path(std::string_view relative) const {
    return relative.empty() ? root_ : root_ + "/" + std::string(relative);
}

void TempTree::folder(std::string_view relative) const {
    fs::create_directories(path(relative));
}

void TempTree::file(std::string_view relative, std::string_view content, bool executable) const {
    const fs::path target = path(relative);
    fs::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary | std::ios::trunc)
        .write(content.data(), static_cast<std::streamsize>(content.size()));
    using fs::perms;
    const perms read_write =
        perms::owner_read | perms::owner_write | perms::group_read | perms::others_read;
    const perms execute = perms::owner_exec | perms::group_exec | perms::others_exec;
    fs::permissions(target, executable ? read_write | execute : read_write);
}

}  // namespace launch_test
