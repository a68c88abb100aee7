// UTF-8 decoding of captions: every malformed sequence becomes one U+FFFD.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "toolkit/x11/text_freetype.h"

namespace {

struct Utf8Case {
    std::string bytes;
    std::u32string code_points;
};

// Test names show the bytes in hex, whatever they hold.
void PrintTo(const Utf8Case& c, std::ostream* os) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    *os << "bytes";
    for (unsigned char b : c.bytes) *os << ' ' << kDigits[b >> 4] << kDigits[b & 15];
}

class DecodeUtf8 : public testing::TestWithParam<Utf8Case> {};

TEST_P(DecodeUtf8, GivesCodePoints) {
    EXPECT_EQ(toolkit::x11::decode_utf8(GetParam().bytes), GetParam().code_points);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, DecodeUtf8,
    testing::Values(Utf8Case{"", U""}, Utf8Case{"VELMORRA", U"VELMORRA"},
                    Utf8Case{"Установить Игру", U"Установить Игру"},
                    Utf8Case{"\xe2\x82\xac\xf0\x9f\x98\x80", U"\u20AC\U0001F600"},
                    Utf8Case{"\xef\xbf\xbf", U"\uFFFF"},
                    Utf8Case{"\xf4\x8f\xbf\xbf", U"\U0010FFFF"},
                    Utf8Case{"a\xff"
                             "b",
                             U"a\uFFFDb"},
                    Utf8Case{"\x80", U"\uFFFD"},            // stray continuation byte
                    Utf8Case{"\xc3", U"\uFFFD"},            // cut short at the end
                    Utf8Case{"\xc3x", U"\uFFFDx"},          // cut short by another character
                    Utf8Case{"\xc0\xaf", U"\uFFFD\uFFFD"},  // overlong, never a valid lead
                    Utf8Case{"\xe0\x80\xaf", U"\uFFFD\uFFFD\uFFFD"},  // overlong three-byte form
                    Utf8Case{"\xed\xa0\x80", U"\uFFFD\uFFFD\uFFFD"},  // a surrogate
                    Utf8Case{"\xf4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
                    Utf8Case{"\xf0\x9f\x98", U"\uFFFD"},                        // cut short
                    Utf8Case{"\xd0\x98\xd0", U"И\uFFFD"}));

}  // namespace
