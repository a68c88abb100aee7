// A small reader of a Windows program file: the DLLs it imports and its resources.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pe {

// A resource type or name: a number, or a name where `name` is not empty.
struct ResourceId {
    std::uint32_t number = 0;
    std::string name;
    friend bool operator==(const ResourceId&, const ResourceId&) = default;
};

struct Resource {
    ResourceId type;
    ResourceId name;
    std::uint32_t language = 0;
    std::vector<std::uint8_t> data;
};

struct ProgramFile {
    std::vector<std::string> imported_dlls;
    std::vector<Resource> resources;
    // The Windows subsystem field of the optional header: 2 is a GUI program.
    std::uint16_t subsystem = 0;
};

// Throws std::runtime_error where the file is not a 64-bit Windows program.
ProgramFile read_program_file(const std::string& path);

inline constexpr std::uint32_t kRtIcon = 3;
inline constexpr std::uint32_t kRtRcData = 10;
inline constexpr std::uint32_t kRtGroupIcon = 14;
inline constexpr std::uint32_t kRtVersion = 16;
inline constexpr std::uint32_t kRtManifest = 24;

}  // namespace pe
