// The Windows program file itself: what it imports and which resources it carries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "pe_file.h"

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

class ProgramFile : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        exe_ = pe::read_program_file(env_or_fail("VELMORRA_EXE"));
        resources_ = env_or_fail("VELMORRA_RESOURCES");
    }
    static std::vector<const pe::Resource*> of_type(std::uint32_t type) {
        std::vector<const pe::Resource*> found;
        for (const pe::Resource& r : exe_.resources)
            if (r.type.number == type) found.push_back(&r);
        return found;
    }
    static inline pe::ProgramFile exe_;
    static inline std::string resources_;
};

TEST_F(ProgramFile, IsAGuiProgram) {
    EXPECT_EQ(exe_.subsystem, 2);
}

TEST_F(ProgramFile, ImportsOnlyWindowsOwnDlls) {
    const std::set<std::string> windows_own = {"kernel32.dll", "user32.dll",       "gdi32.dll",
                                               "msvcrt.dll",   "ole32.dll",        "oleaut32.dll",
                                               "shell32.dll",  "advapi32.dll",     "comctl32.dll",
                                               "shlwapi.dll",  "windowscodecs.dll"};
    ASSERT_FALSE(exe_.imported_dlls.empty());
    for (const std::string& dll : exe_.imported_dlls)
        EXPECT_TRUE(windows_own.count(lower(dll))) << dll << " is not one of Windows' own DLLs";
}

TEST_F(ProgramFile, CarriesNoManifest) {
    EXPECT_TRUE(of_type(pe::kRtManifest).empty());
}

TEST_F(ProgramFile, CarriesOnlyIconsVersionAndPicture) {
    std::set<std::uint32_t> types;
    for (const pe::Resource& r : exe_.resources) types.insert(r.type.number);
    EXPECT_EQ(types, (std::set<std::uint32_t>{pe::kRtIcon, pe::kRtRcData, pe::kRtGroupIcon,
                                              pe::kRtVersion}));
    for (const pe::Resource& r : exe_.resources) EXPECT_TRUE(r.type.name.empty());
}

TEST_F(ProgramFile, TitlePictureIsTheJpegFile) {
    const auto pictures = of_type(pe::kRtRcData);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0]->data, read_bytes(resources_ + "/title.jpg"));
}

// The group holds, in the .ico's order, each image's size, depth and byte count, and names
// an RT_ICON resource that holds exactly the .ico's image bytes.
TEST_F(ProgramFile, OnlyIconGroupIsMainiconWithEveryImageOfTheIcoFile) {
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

// The UTF-16 value after `key` in a version resource, ASCII only.
std::string version_string(const std::vector<std::uint8_t>& data, const std::string& key) {
    std::vector<std::uint8_t> pattern;
    for (char c : key) {
        pattern.push_back(static_cast<std::uint8_t>(c));
        pattern.push_back(0);
    }
    pattern.insert(pattern.end(), {0, 0});
    auto at = std::search(data.begin(), data.end(), pattern.begin(), pattern.end());
    if (at == data.end()) return {};
    std::size_t i = static_cast<std::size_t>(at - data.begin()) + pattern.size();
    i = (i + 3) & ~std::size_t{3};
    std::string value;
    for (; i + 1 < data.size() && (data[i] || data[i + 1]); i += 2)
        value += static_cast<char>(data[i]);
    return value;
}

TEST_F(ProgramFile, VersionNamesTheProduct) {
    const auto versions = of_type(pe::kRtVersion);
    ASSERT_EQ(versions.size(), 1u);
    const auto& data = versions[0]->data;
    EXPECT_EQ(version_string(data, "ProductName"), "Velmorra");
    EXPECT_EQ(version_string(data, "FileVersion"), "1.0.0.0");
    EXPECT_EQ(version_string(data, "ProductVersion"), "1.0.0.0");
    EXPECT_FALSE(version_string(data, "FileDescription").empty());

    // VS_FIXEDFILEINFO: its signature, then file version 1.0 / 0.0.
    const std::uint8_t signature[] = {0xBD, 0x04, 0xEF, 0xFE};
    const auto fixed =
        std::search(data.begin(), data.end(), std::begin(signature), std::end(signature));
    ASSERT_NE(fixed, data.end());
    const std::size_t f = static_cast<std::size_t>(fixed - data.begin());
    std::uint32_t ms = 0;
    std::uint32_t ls = 0;
    std::memcpy(&ms, &data.at(f + 8), 4);
    std::memcpy(&ls, &data.at(f + 12), 4);
    EXPECT_EQ(ms, 0x00010000u);
    EXPECT_EQ(ls, 0u);
}

}  // namespace
