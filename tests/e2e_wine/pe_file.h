// A small reader of a Windows program file, 32- or 64-bit: what it imports and its resources.
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

// One function a program takes from a DLL: by name, or "#" and its ordinal.
struct Import {
    std::string dll;
    std::string function;
    friend bool operator==(const Import&, const Import&) = default;
};

struct ProgramFile {
    // The file header's machine: 0x14C for 32-bit x86, 0x8664 for x86-64.
    std::uint16_t machine = 0;
    // The optional header's magic: 0x10B for PE32, 0x20B for PE32+.
    std::uint16_t optional_magic = 0;
    std::vector<std::string> imported_dlls;
    std::vector<Import> imports;
    std::vector<Resource> resources;
    // The Windows subsystem field of the optional header: 2 is a GUI program.
    std::uint16_t subsystem = 0;
};

inline constexpr std::uint16_t kMachineI386 = 0x14C;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;
inline constexpr std::uint16_t kPe32 = 0x10B;
inline constexpr std::uint16_t kPe32Plus = 0x20B;

// Throws std::runtime_error where the file is not a 32- or 64-bit Windows program.
ProgramFile read_program_file(const std::string& path);

inline constexpr std::uint32_t kRtIcon = 3;
inline constexpr std::uint32_t kRtRcData = 10;
inline constexpr std::uint32_t kRtGroupIcon = 14;
inline constexpr std::uint32_t kRtVersion = 16;
inline constexpr std::uint32_t kRtManifest = 24;

}  // namespace pe
