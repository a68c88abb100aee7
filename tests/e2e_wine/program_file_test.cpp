// The Windows program files themselves, the x86-64 one and the 32-bit x86 one that goes on
// the disc: their format, what they import and which resources they carry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "pe_file.h"
#include "reviewed_imports.h"
#include "version_resource.h"

namespace {

std::string env_or_fail(const char* name) {
    const char* value = std::getenv(name);
    if (!value) throw std::runtime_error(std::string(name) + " is not set");
    return value;
}

std::vector<std::uint8_t> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The build's version, "1.0.0" from project(), as the four numbers of a version resource.
std::array<std::uint16_t, 4> build_version() {
    std::array<std::uint16_t, 4> numbers{};
    std::istringstream text(env_or_fail("VELMORRA_VERSION"));
    std::string part;
    for (std::size_t i = 0; i < numbers.size() && std::getline(text, part, '.'); ++i)
        numbers[i] = static_cast<std::uint16_t>(std::stoul(part));
    return numbers;
}

std::string version_text(const std::array<std::uint16_t, 4>& v) {
    return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
           std::to_string(v[3]);
}

struct Program {
    const char* name;
    // The environment variable that holds its path, and the preset that builds it.
    const char* path_variable;
    const char* preset;
    std::uint16_t machine;
    std::uint16_t optional_magic;
};

// Test names and messages show the program by its name.
void PrintTo(const Program& program, std::ostream* out) {
    *out << program.name;
}

const Program kPrograms[] = {
    {"x86_64", "VELMORRA_EXE", "windows", pe::kMachineAmd64, pe::kPe32Plus},
    {"i686", "VELMORRA_EXE32", "windows32", pe::kMachineI386, pe::kPe32},
};

class ProgramFile : public ::testing::TestWithParam<Program> {
  protected:
    void SetUp() override {
        path_ = env_or_fail(GetParam().path_variable);
        ASSERT_TRUE(std::filesystem::is_regular_file(path_))
            << path_ << " is missing: build it first with `cmake --preset " << GetParam().preset
            << " && cmake --build --preset " << GetParam().preset << "`";
        static std::map<std::string, pe::ProgramFile> read;
        if (!read.count(path_)) read[path_] = pe::read_program_file(path_);
        exe_ = &read[path_];
        resources_ = env_or_fail("VELMORRA_RESOURCES");
    }
    std::vector<const pe::Resource*> of_type(std::uint32_t type) const {
        std::vector<const pe::Resource*> found;
        for (const pe::Resource& r : exe_->resources)
            if (r.type.number == type) found.push_back(&r);
        return found;
    }
    pe::VersionResource version() const {
        const auto versions = of_type(pe::kRtVersion);
        if (versions.size() != 1) throw std::runtime_error("not exactly one version resource");
        return pe::read_version_resource(versions[0]->data);
    }

    std::string path_;
    const pe::ProgramFile* exe_ = nullptr;
    std::string resources_;
};

TEST_P(ProgramFile, IsThePeFormatOfItsProcessor) {
    EXPECT_EQ(exe_->machine, GetParam().machine);
    EXPECT_EQ(exe_->optional_magic, GetParam().optional_magic);
}

TEST_P(ProgramFile, IsAGuiProgram) {
    EXPECT_EQ(exe_->subsystem, 2);
}

TEST_P(ProgramFile, ImportsOnlyWindowsOwnDlls) {
    ASSERT_FALSE(exe_->imported_dlls.empty());
    for (const std::string& dll : exe_->imported_dlls)
        EXPECT_TRUE(pe::is_windows_own_dll(dll)) << dll << " is not one of Windows' own DLLs";
}

// Each imported function is on the reviewed list with the Windows that introduced it, and
// that is no newer than Windows 7.
TEST_P(ProgramFile, ImportsOnlyReviewedFunctionsOfWindows7OrOlder) {
    const std::string list_path = env_or_fail("VELMORRA_E2E_SOURCES") + "/reviewed_imports.txt";
    const auto reviewed = pe::read_reviewed_imports(list_path);
    const int newest_allowed = *pe::windows_release(pe::kOldestWindows);
    ASSERT_FALSE(exe_->imports.empty());
    for (const pe::Import& import : exe_->imports) {
        const auto entry =
            std::find_if(reviewed.begin(), reviewed.end(), [&](const pe::ReviewedImport& r) {
                return pe::same_dll(r.dll, import.dll) && r.function == import.function;
            });
        if (entry == reviewed.end()) {
            ADD_FAILURE() << import.dll << " " << import.function
                          << " is imported but not reviewed: look up the oldest Windows that "
                             "has it and add it to "
                          << list_path;
            continue;
        }
        const auto release = pe::windows_release(entry->windows);
        EXPECT_TRUE(release && *release <= newest_allowed)
            << import.dll << " " << import.function << " needs Windows " << entry->windows
            << ", newer than Windows " << pe::kOldestWindows;
    }
}

TEST_P(ProgramFile, CarriesNoManifest) {
    EXPECT_TRUE(of_type(pe::kRtManifest).empty());
}

TEST_P(ProgramFile, CarriesOnlyIconsVersionAndPicture) {
    std::set<std::uint32_t> types;
    for (const pe::Resource& r : exe_->resources) types.insert(r.type.number);
    EXPECT_EQ(types, (std::set<std::uint32_t>{pe::kRtIcon, pe::kRtRcData, pe::kRtGroupIcon,
                                              pe::kRtVersion}));
    for (const pe::Resource& r : exe_->resources) EXPECT_TRUE(r.type.name.empty());
}

TEST_P(ProgramFile, TitlePictureIsTheJpegFile) {
    const auto pictures = of_type(pe::kRtRcData);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0]->data, read_bytes(resources_ + "/title.jpg"));
}

// The group holds, in the .ico's order, each image's size, depth and byte count, and names
// an RT_ICON resource that holds exactly the .ico's image bytes.
TEST_P(ProgramFile, OnlyIconGroupIsMainiconWithEveryImageOfTheIcoFile) {
    const auto groups = of_type(pe::kRtGroupIcon);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0]->name.name, "MAINICON");

    const auto ico = read_bytes(resources_ + "/mainicon.ico");
    const auto& group = groups[0]->data;
    auto u16 = [](const std::vector<std::uint8_t>& b, std::size_t at) {
        return static_cast<std::uint16_t>(b.at(at) | b.at(at + 1) << 8);
    };
    auto u32 = [&](const std::vector<std::uint8_t>& b, std::size_t at) {
        return static_cast<std::uint32_t>(u16(b, at) | static_cast<std::uint32_t>(u16(b, at + 2))
                                                           << 16);
    };
    const std::uint16_t count = u16(ico, 4);
    ASSERT_EQ(u16(group, 4), count);
    const auto icons = of_type(pe::kRtIcon);
    EXPECT_EQ(icons.size(), count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t ico_entry = 6 + 16 * i;
        const std::size_t group_entry = 6 + 14 * i;
        // Width, height, colours, reserved, planes, bit count and byte count match.
        EXPECT_EQ(std::vector<std::uint8_t>(ico.begin() + static_cast<long>(ico_entry),
                                            ico.begin() + static_cast<long>(ico_entry + 12)),
                  std::vector<std::uint8_t>(group.begin() + static_cast<long>(group_entry),
                                            group.begin() + static_cast<long>(group_entry + 12)))
            << "image " << i;
        const std::uint16_t id = u16(group, group_entry + 12);
        const auto icon = std::find_if(icons.begin(), icons.end(), [id](const pe::Resource* r) {
            return r->name.number == id;
        });
        ASSERT_NE(icon, icons.end()) << "image " << i;
        const std::uint32_t size = u32(ico, ico_entry + 8);
        const std::uint32_t offset = u32(ico, ico_entry + 12);
        EXPECT_EQ((*icon)->data,
                  std::vector<std::uint8_t>(ico.begin() + offset, ico.begin() + offset + size))
            << "image " << i;
    }
}

// One version resource, in Russian like the captions: its resource language, its one string
// table and its translation all say Russian (0x0419) in the Cyrillic code page 1251.
TEST_P(ProgramFile, VersionIsRussianInCodePage1251) {
    const auto versions = of_type(pe::kRtVersion);
    ASSERT_EQ(versions.size(), 1u);
    EXPECT_EQ(versions[0]->language, 0x0419u);
    const pe::VersionResource v = version();
    std::set<std::string> tables;
    for (const auto& [key, strings] : v.string_tables) tables.insert(key);
    EXPECT_EQ(tables, std::set<std::string>{"041904E3"});
    EXPECT_EQ(v.translations,
              (std::vector<std::pair<std::uint16_t, std::uint16_t>>{{0x0419, 1251}}));
}

TEST_P(ProgramFile, VersionStringsNameTheMenu) {
    const std::string build = version_text(build_version());
    const std::map<std::string, std::string> expected = {
        {"CompanyName", "Velmorra"},
        {"FileDescription", "Меню диска Velmorra"},
        {"FileVersion", build},
        {"InternalName", "velmorra"},
        {"LegalCopyright", "© 2026 Velmorra"},
        {"OriginalFilename", "velmorra.exe"},
        {"ProductName", "Velmorra"},
        {"ProductVersion", build},
    };
    const pe::VersionResource v = version();
    ASSERT_EQ(v.string_tables.count("041904E3"), 1u);
    EXPECT_EQ(v.string_tables.at("041904E3"), expected);
}

// A 32-bit program without a manifest whose name or version strings hold one of these is
// taken by Windows' installer detection for a setup program, and started only with
// administrator rights. Checked in every string, name and value, and in the file's name.
TEST_P(ProgramFile, NoVersionStringHoldsAnInstallerDetectionWord) {
    const char* const words[] = {"instal", "setup", "upd", "patch"};
    std::vector<std::string> texts = {std::filesystem::path(path_).filename().string()};
    for (const auto& [table, strings] : version().string_tables) {
        texts.push_back(table);
        for (const auto& [name, value] : strings) {
            texts.push_back(name);
            texts.push_back(value);
        }
    }
    for (const std::string& text : texts)
        for (const char* word : words)
            EXPECT_EQ(lower(text).find(word), std::string::npos)
                << "\"" << text << "\" holds \"" << word << "\"";
}

TEST_P(ProgramFile, FixedVersionIsTheBuildsOfAWindowsApplication) {
    const pe::VersionResource v = version();
    EXPECT_EQ(v.signature, pe::kFixedFileInfoSignature);
    EXPECT_EQ(v.file_version, build_version());
    EXPECT_EQ(v.product_version, build_version());
    EXPECT_EQ(v.file_flags, 0u);
    EXPECT_EQ(v.file_os, 0x00040004u);  // VOS_NT_WINDOWS32
    EXPECT_EQ(v.file_type, 1u);         // VFT_APP
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramFile, ::testing::ValuesIn(kPrograms),
                         [](const ::testing::TestParamInfo<Program>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
