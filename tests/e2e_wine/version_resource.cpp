#include "version_resource.h"

#include <stdexcept>

namespace pe {
namespace {

std::size_t align4(std::size_t at) {
    return (at + 3) & ~std::size_t{3};
}

class Bytes {
  public:
    explicit Bytes(const std::vector<std::uint8_t>& data) : data_(data) {}

    std::uint16_t u16(std::size_t at) const {
        if (at + 2 > data_.size()) throw std::runtime_error("truncated version resource");
        return static_cast<std::uint16_t>(data_[at] | data_[at + 1] << 8);
    }
    std::uint32_t u32(std::size_t at) const {
        return u16(at) | static_cast<std::uint32_t>(u16(at + 2)) << 16;
    }
    // The UTF-16 text from `at` to its terminating zero, as UTF-8; `end` is set past the zero.
    std::string text(std::size_t at, std::size_t& end) const {
        std::string utf8;
        for (;;) {
            std::uint32_t c = u16(at);
            at += 2;
            if (c == 0) break;
            if (c >= 0xD800 && c < 0xDC00) {
                const std::uint16_t low = u16(at);
                if (low < 0xDC00 || low >= 0xE000) throw std::runtime_error("broken UTF-16");
                at += 2;
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            }
            append_utf8(utf8, c);
        }
        end = at;
        return utf8;
    }

  private:
    static void append_utf8(std::string& out, std::uint32_t c) {
        auto byte = [&out](std::uint32_t b) { out += static_cast<char>(b); };
        if (c < 0x80) {
            byte(c);
        } else if (c < 0x800) {
            byte(0xC0 | c >> 6);
            byte(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            byte(0xE0 | c >> 12);
            byte(0x80 | (c >> 6 & 0x3F));
            byte(0x80 | (c & 0x3F));
        } else {
            byte(0xF0 | c >> 18);
            byte(0x80 | (c >> 12 & 0x3F));
            byte(0x80 | (c >> 6 & 0x3F));
            byte(0x80 | (c & 0x3F));
        }
    }
    const std::vector<std::uint8_t>& data_;
};

// One block of the resource: its length, the length and kind of its value, its key, then
// the value and the child blocks, each on a 32-bit boundary.
struct Block {
    std::string key;
    std::uint16_t value_length = 0;  // In bytes for binary values, in characters for text.
    bool is_text = false;
    std::size_t value = 0;
    std::size_t children = 0;
    std::size_t end = 0;
};

Block block_at(const Bytes& bytes, std::size_t at, std::size_t limit) {
    Block b;
    const std::uint16_t length = bytes.u16(at);
    b.value_length = bytes.u16(at + 2);
    b.is_text = bytes.u16(at + 4) == 1;
    b.end = at + length;
    if (length < 6 || b.end > limit) throw std::runtime_error("block outside its parent");
    std::size_t after_key = 0;
    b.key = bytes.text(at + 6, after_key);
    b.value = align4(after_key);
    b.children = align4(b.value + (b.is_text ? 2u * b.value_length : b.value_length));
    if (b.children > align4(b.end)) throw std::runtime_error("value outside its block");
    return b;
}

template <typename Visit>
void for_each_child(const Bytes& bytes, const Block& parent, Visit visit) {
    for (std::size_t at = parent.children; at < parent.end;) {
        const Block child = block_at(bytes, at, parent.end);
        visit(child);
        at = align4(child.end);
    }
}

std::array<std::uint16_t, 4> version_numbers(const Bytes& bytes, std::size_t at) {
    const std::uint32_t ms = bytes.u32(at);
    const std::uint32_t ls = bytes.u32(at + 4);
    return {static_cast<std::uint16_t>(ms >> 16), static_cast<std::uint16_t>(ms),
            static_cast<std::uint16_t>(ls >> 16), static_cast<std::uint16_t>(ls)};
}

}  // namespace

VersionResource read_version_resource(const std::vector<std::uint8_t>& data) {
    const Bytes bytes(data);
    const Block root = block_at(bytes, 0, data.size());
    if (root.key != "VS_VERSION_INFO") throw std::runtime_error("not a version resource");
    if (root.value_length < 52) throw std::runtime_error("no VS_FIXEDFILEINFO");

    VersionResource version;
    version.signature = bytes.u32(root.value);
    version.file_version = version_numbers(bytes, root.value + 8);
    version.product_version = version_numbers(bytes, root.value + 16);
    version.file_flags = bytes.u32(root.value + 28);
    version.file_os = bytes.u32(root.value + 32);
    version.file_type = bytes.u32(root.value + 36);

    for_each_child(bytes, root, [&](const Block& info) {
        if (info.key == "StringFileInfo") {
            for_each_child(bytes, info, [&](const Block& table) {
                auto& strings = version.string_tables[table.key];
                for_each_child(bytes, table, [&](const Block& string) {
                    std::size_t end = 0;
                    strings[string.key] = string.value_length ? bytes.text(string.value, end) : "";
                });
            });
        } else if (info.key == "VarFileInfo") {
            for_each_child(bytes, info, [&](const Block& var) {
                if (var.key != "Translation") return;
                for (std::size_t at = var.value; at + 4 <= var.value + var.value_length; at += 4)
                    version.translations.emplace_back(bytes.u16(at), bytes.u16(at + 2));
            });
        }
    });
    return version;
}

}  // namespace pe
