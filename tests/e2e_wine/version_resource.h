// A reader of a Windows version resource (VS_VERSIONINFO): its fixed part, its string tables
// and its translations.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace pe {

struct VersionResource {
    // VS_FIXEDFILEINFO; each version as its four numbers, most significant first.
    std::uint32_t signature = 0;
    std::array<std::uint16_t, 4> file_version{};
    std::array<std::uint16_t, 4> product_version{};
    std::uint32_t file_flags = 0;
    std::uint32_t file_os = 0;
    std::uint32_t file_type = 0;
    // StringFileInfo: each table by its key (language and code page, "041904E3"), holding
    // its strings by name, in UTF-8.
    std::map<std::string, std::map<std::string, std::string>> string_tables;
    // VarFileInfo's Translation: language and code page pairs.
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;
};

inline constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;

// Throws std::runtime_error where the bytes are not a well-formed version resource.
VersionResource read_version_resource(const std::vector<std::uint8_t>& data);

}  // namespace pe
