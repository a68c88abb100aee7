// Test names made from the words that describe a case, for the tables of parameterised tests.
#pragma once

#include <cctype>
#include <string>
#include <string_view>

namespace cases {

// "ring top row" becomes "RingTopRow": each word capitalised, anything but letters and digits
// dropped.
inline std::string name_from(std::string_view words) {
    std::string name;
    bool word_start = true;
    for (const char c : words) {
        const auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u)) {
            word_start = true;
            continue;
        }
        name += word_start ? static_cast<char>(std::toupper(u)) : c;
        word_start = false;
    }
    return name;
}

}  // namespace cases
