// The reviewed list of imports itself: well formed, nothing newer than Windows 7, only
// Windows' own DLLs, and nothing on it that neither Windows program imports any more.
#include "reviewed_imports.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <utility>

#include "pe_file.h"

namespace {

std::string env_or_fail(const char* name) {
    const char* value = std::getenv(name);
    if (!value) throw std::runtime_error(std::string(name) + " is not set");
    return value;
}

class ReviewedImports : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = env_or_fail("VELMORRA_E2E_SOURCES") + "/reviewed_imports.txt";
        list_ = pe::read_reviewed_imports(path_);
        ASSERT_FALSE(list_.empty());
    }
    std::string where(const pe::ReviewedImport& entry) const {
        return path_ + ":" + std::to_string(entry.line) + ": " + entry.dll + " " + entry.function;
    }
    std::string path_;
    std::vector<pe::ReviewedImport> list_;
};

TEST_F(ReviewedImports, EveryEntryNamesAWindowsNoNewerThan7) {
    const int newest_allowed = *pe::windows_release(pe::kOldestWindows);
    for (const pe::ReviewedImport& entry : list_) {
        const auto release = pe::windows_release(entry.windows);
        EXPECT_TRUE(release) << where(entry) << ": \"" << entry.windows
                             << "\" is not a Windows release";
        EXPECT_TRUE(!release || *release <= newest_allowed)
            << where(entry) << ": Windows " << entry.windows << " is newer than Windows "
            << pe::kOldestWindows;
    }
}

TEST_F(ReviewedImports, EveryEntryIsFromAWindowsOwnDll) {
    for (const pe::ReviewedImport& entry : list_)
        EXPECT_TRUE(pe::is_windows_own_dll(entry.dll)) << where(entry);
}

TEST_F(ReviewedImports, NoFunctionIsListedTwice) {
    std::set<std::pair<std::string, std::string>> seen;
    for (const pe::ReviewedImport& entry : list_)
        EXPECT_TRUE(seen.insert({entry.dll, entry.function}).second) << where(entry);
}

// So that the list stays the list of what the programs import, not of what they once did.
TEST_F(ReviewedImports, EveryEntryIsImportedByOneOfTheWindowsPrograms) {
    std::vector<pe::Import> imported;
    for (const char* variable : {"VELMORRA_EXE", "VELMORRA_EXE32"}) {
        const std::string program = env_or_fail(variable);
        ASSERT_TRUE(std::filesystem::is_regular_file(program))
            << program << " is missing: build both Windows presets, windows and windows32";
        const pe::ProgramFile file = pe::read_program_file(program);
        imported.insert(imported.end(), file.imports.begin(), file.imports.end());
    }
    for (const pe::ReviewedImport& entry : list_) {
        const bool used = std::any_of(imported.begin(), imported.end(), [&](const pe::Import& i) {
            return pe::same_dll(i.dll, entry.dll) && i.function == entry.function;
        });
        EXPECT_TRUE(used) << where(entry) << " is imported by neither program: remove it";
    }
}

}  // namespace
