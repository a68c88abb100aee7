#include "pe_file.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace pe {
namespace {

class Image {
  public:
    explicit Image(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    template <typename T>
    T read(std::size_t offset) const {
        if (offset + sizeof(T) > bytes_.size()) throw std::runtime_error("truncated program file");
        T value;
        std::memcpy(&value, bytes_.data() + offset, sizeof(T));
        return value;
    }
    std::vector<std::uint8_t> slice(std::size_t offset, std::size_t size) const {
        if (offset + size > bytes_.size()) throw std::runtime_error("truncated program file");
        return {bytes_.begin() + static_cast<std::ptrdiff_t>(offset),
                bytes_.begin() + static_cast<std::ptrdiff_t>(offset + size)};
    }

    struct Section {
        std::uint32_t rva, size, file_offset;
    };
    std::vector<Section> sections;

    std::size_t offset_of(std::uint32_t rva) const {
        for (const Section& s : sections)
            if (rva >= s.rva && rva < s.rva + s.size) return s.file_offset + (rva - s.rva);
        throw std::runtime_error("address outside every section");
    }
    std::string c_string(std::size_t offset) const {
        std::string s;
        while (char c = static_cast<char>(read<std::uint8_t>(offset++))) s += c;
        return s;
    }

  private:
    std::vector<std::uint8_t> bytes_;
};

ResourceId resource_id(const Image& image, std::size_t directory, std::uint32_t entry_name) {
    if (!(entry_name & 0x80000000u)) return {entry_name, {}};
    // A name: a length-prefixed UTF-16 string, ASCII in this program's names.
    const std::size_t at = directory + (entry_name & 0x7FFFFFFFu);
    const auto length = image.read<std::uint16_t>(at);
    std::string name;
    for (std::uint16_t i = 0; i < length; ++i)
        name += static_cast<char>(image.read<std::uint16_t>(at + 2 + 2u * i));
    return {0, name};
}

// Calls `visit(id, value)` for each entry of the resource directory table at `table`.
template <typename Visit>
void for_each_entry(const Image& image, std::size_t directory, std::size_t table, Visit visit) {
    const auto named = image.read<std::uint16_t>(table + 12);
    const auto numbered = image.read<std::uint16_t>(table + 14);
    for (std::size_t i = 0; i < std::size_t{named} + numbered; ++i) {
        const std::size_t entry = table + 16 + 8 * i;
        visit(resource_id(image, directory, image.read<std::uint32_t>(entry)),
              image.read<std::uint32_t>(entry + 4));
    }
}

// The functions one import descriptor names: from its lookup table or, where a linker left
// none, from the address table the loader fills. One entry a function; the top bit is set
// for an import by ordinal.
std::vector<std::string> imported_functions(const Image& image, std::size_t descriptor, bool wide) {
    const auto lookup = image.read<std::uint32_t>(descriptor);
    const std::uint32_t table = lookup ? lookup : image.read<std::uint32_t>(descriptor + 16);
    const std::uint64_t by_ordinal = wide ? 1ull << 63 : 1ull << 31;
    std::vector<std::string> names;
    for (std::size_t at = image.offset_of(table);; at += wide ? 8 : 4) {
        const std::uint64_t entry =
            wide ? image.read<std::uint64_t>(at) : image.read<std::uint32_t>(at);
        if (entry == 0) break;
        if (entry & by_ordinal)
            names.push_back(std::string("#").append(std::to_string(entry & 0xFFFF)));
        else  // A hint of two bytes, then the name.
            names.push_back(image.c_string(image.offset_of(static_cast<std::uint32_t>(entry)) + 2));
    }
    return names;
}

}  // namespace

ProgramFile read_program_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    Image image{std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {})};

    const auto pe_header = image.read<std::uint32_t>(0x3C);
    if (image.read<std::uint32_t>(pe_header) != 0x00004550u) throw std::runtime_error("not a PE");
    const auto section_count = image.read<std::uint16_t>(pe_header + 6);
    const auto optional_size = image.read<std::uint16_t>(pe_header + 20);
    const std::size_t optional = pe_header + 24;
    ProgramFile file;
    file.machine = image.read<std::uint16_t>(pe_header + 4);
    file.optional_magic = image.read<std::uint16_t>(optional);
    if (file.optional_magic != kPe32 && file.optional_magic != kPe32Plus)
        throw std::runtime_error("neither PE32 nor PE32+");
    const bool wide = file.optional_magic == kPe32Plus;
    file.subsystem = image.read<std::uint16_t>(optional + 68);
    const std::size_t data_directories = optional + (wide ? 112 : 96);
    const std::size_t section_table = optional + optional_size;
    for (std::size_t i = 0; i < section_count; ++i) {
        const std::size_t s = section_table + 40 * i;
        const auto virtual_size = image.read<std::uint32_t>(s + 8);
        const auto raw_size = image.read<std::uint32_t>(s + 16);
        image.sections.push_back({image.read<std::uint32_t>(s + 12),
                                  std::max(virtual_size, raw_size),
                                  image.read<std::uint32_t>(s + 20)});
    }

    if (const auto imports = image.read<std::uint32_t>(data_directories + 8)) {
        for (std::size_t d = image.offset_of(imports);; d += 20) {
            const auto name = image.read<std::uint32_t>(d + 12);
            if (name == 0) break;
            const std::string dll = image.c_string(image.offset_of(name));
            file.imported_dlls.push_back(dll);
            for (std::string& function : imported_functions(image, d, wide))
                file.imports.push_back({dll, std::move(function)});
        }
    }

    if (const auto resources = image.read<std::uint32_t>(data_directories + 16)) {
        const std::size_t root = image.offset_of(resources);
        for_each_entry(image, root, root, [&](const ResourceId& type, std::uint32_t names) {
            const std::size_t names_table = root + (names & 0x7FFFFFFFu);
            for_each_entry(
                image, root, names_table, [&](const ResourceId& name, std::uint32_t languages) {
                    const std::size_t languages_table = root + (languages & 0x7FFFFFFFu);
                    for_each_entry(
                        image, root, languages_table,
                        [&](const ResourceId& language, std::uint32_t leaf) {
                            const std::size_t entry = root + leaf;
                            const auto rva = image.read<std::uint32_t>(entry);
                            const auto size = image.read<std::uint32_t>(entry + 4);
                            file.resources.push_back({type, name, language.number,
                                                      image.slice(image.offset_of(rva), size)});
                        });
                });
        });
    }
    return file;
}

}  // namespace pe
