#include "text_checks.hpp"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>

namespace quirt_format {
namespace {

using namespace std::string_view_literals;

struct Utf8Case {
    std::string_view bytes;
    bool valid;
};

// The edges of the standard's table of well-formed byte sequences.
constexpr auto CASES = std::to_array<Utf8Case>({
    {"\0"sv, true},                  // U+0000
    {"\x7F"sv, true},                // last one-byte form
    {"\xC2\x80"sv, true},            // U+0080, first two-byte form
    {"\xDF\xBF"sv, true},            // U+07FF
    {"\xE0\xA0\x80"sv, true},        // U+0800, first three-byte form
    {"\xED\x9F\xBF"sv, true},        // U+D7FF, just below the surrogates
    {"\xEE\x80\x80"sv, true},        // U+E000, just above them
    {"\xEF\xBF\xBF"sv, true},        // U+FFFF
    {"\xF0\x90\x80\x80"sv, true},    // U+10000, first four-byte form
    {"\xF4\x8F\xBF\xBF"sv, true},    // U+10FFFF, the last code point
    {"\x80"sv, false},               // stray continuation
    {"\xBF"sv, false},
    {"\xC0\x80"sv, false},           // overlong U+0000
    {"\xC1\xBF"sv, false},           // overlong U+007F
    {"\xE0\x9F\xBF"sv, false},       // overlong U+07FF
    {"\xF0\x8F\xBF\xBF"sv, false},   // overlong U+FFFF
    {"\xED\xA0\x80"sv, false},       // U+D800, a surrogate
    {"\xED\xBF\xBF"sv, false},       // U+DFFF
    {"\xF4\x90\x80\x80"sv, false},   // U+110000
    {"\xF5\x80\x80\x80"sv, false},   // lead byte above F4
    {"\xFF"sv, false},
    {"\xC2"sv, false},               // cut off
    {"\xE1\x80"sv, false},
    {"\xF1\x80\x80"sv, false},
    {"\xC2\x41"sv, false},           // continuation missing
    {"\xE1\x80\x41"sv, false},
    {"\xF1\x80\x80\xC0"sv, false},
});

// Each sequence alone and after every count of ASCII bytes from 0 to 40,
// with ASCII after it, so that it falls at every place of a block.
TEST(Utf8, WellFormedSequencesAtEveryOffset) {
    for (const Utf8Case& c : CASES) {
        for (std::size_t before = 0; before <= 40; ++before) {
            const std::string text = std::string(before, 'a') + std::string{c.bytes} + "tail!";
            EXPECT_EQ(is_valid_utf8(text), c.valid) << "offset " << before << ": "
                                                    << escape_for_terminal(c.bytes);
            const std::string at_end = std::string(before, 'a') + std::string{c.bytes};
            EXPECT_EQ(is_valid_utf8(at_end), c.valid) << "at end after " << before;
        }
    }
}

TEST(Utf8, MixedTexts) {
    EXPECT_TRUE(is_valid_utf8(""));
    EXPECT_TRUE(is_valid_utf8("plain ASCII text that runs past several blocks of sixteen"));
    EXPECT_TRUE(is_valid_utf8("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x99\x82 na\xC3\xAFve"));
    EXPECT_FALSE(is_valid_utf8("caf\xC3\xA9 \xE2\x82 \xF0\x9F\x99\x82"));
    // An invalid byte as the last of a block of sixteen.
    EXPECT_FALSE(is_valid_utf8("aaaaaaaaaaaaaaa\xFF" "aaaaaaaaaaaaaaaa"));
}

struct QuoteCase {
    std::string_view text;
    std::string_view shown;
};

// Text without control characters is shown exactly; text with any is
// quoted, with the control characters' bytes, quotes and backslashes as \xNN.
constexpr auto QUOTE_CASES = std::to_array<QuoteCase>({
    {"-x"sv, "-x"sv},
    {""sv, ""sv},
    {"-\xC3\xA9 \xE2\x82\xAC"sv, "-\xC3\xA9 \xE2\x82\xAC"sv},  // UTF-8 that is no control
    {R"(say "hi" \ there)", R"(say "hi" \ there)"},           // quotes alone change nothing
    {"\xC2\xA0\xC2\x7F"sv, "\"\xC2\xA0\xC2\\x7F\""sv},           // C2 A0 is no control; DEL is
    {"-\x1B[31m"sv, R"("-\x1B[31m")"},
    {"-\t\\"sv, R"("-\x09\x5C")"},
    {"qf\n"sv, R"("qf\x0A")"},
    {"\x01\x1F\x7F"sv, R"("\x01\x1F\x7F")"},
    {"\0"sv, R"("\x00")"},
    {"a\xC2\x80z\xC2\x9F\"\n"sv, R"("a\xC2\x80z\xC2\x9F\x22\x0A")"},  // C1 controls
    {"\xC2"sv, "\xC2"sv},                                      // a lone lead byte is no control
});

TEST(QuoteForTerminal, QuotesOnlyTextWithControlCharacters) {
    for (const QuoteCase& c : QUOTE_CASES) {
        EXPECT_EQ(quote_for_terminal(c.text), c.shown) << escape_for_terminal(c.text);
    }
}

struct EscapeCase {
    std::string_view text;
    std::string_view shown;
};

// The UTF-8 diagnostic shows every byte outside printable ASCII, and the
// quote and backslash, as \xNN: each control byte, then mixed texts.
constexpr auto ESCAPE_CASES = std::to_array<EscapeCase>({
    {"\x00"sv, R"(\x00)"}, {"\x01"sv, R"(\x01)"}, {"\x02"sv, R"(\x02)"},
    {"\x03"sv, R"(\x03)"}, {"\x04"sv, R"(\x04)"}, {"\x05"sv, R"(\x05)"},
    {"\x06"sv, R"(\x06)"}, {"\x07"sv, R"(\x07)"}, {"\x08"sv, R"(\x08)"},
    {"\x09"sv, R"(\x09)"}, {"\x0A"sv, R"(\x0A)"}, {"\x0B"sv, R"(\x0B)"},
    {"\x0C"sv, R"(\x0C)"}, {"\x0D"sv, R"(\x0D)"}, {"\x0E"sv, R"(\x0E)"},
    {"\x0F"sv, R"(\x0F)"}, {"\x10"sv, R"(\x10)"}, {"\x11"sv, R"(\x11)"},
    {"\x12"sv, R"(\x12)"}, {"\x13"sv, R"(\x13)"}, {"\x14"sv, R"(\x14)"},
    {"\x15"sv, R"(\x15)"}, {"\x16"sv, R"(\x16)"}, {"\x17"sv, R"(\x17)"},
    {"\x18"sv, R"(\x18)"}, {"\x19"sv, R"(\x19)"}, {"\x1A"sv, R"(\x1A)"},
    {"\x1B"sv, R"(\x1B)"}, {"\x1C"sv, R"(\x1C)"}, {"\x1D"sv, R"(\x1D)"},
    {"\x1E"sv, R"(\x1E)"}, {"\x1F"sv, R"(\x1F)"}, {"\x7F"sv, R"(\x7F)"},
    {R"(a"b\c~ )", R"(a\x22b\x5Cc~ )"},
    {"\xC3\xA9\xFF"sv, R"(\xC3\xA9\xFF)"},
    {" !09AZaz{}"sv, " !09AZaz{}"sv},
});

TEST(EscapeForTerminal, EscapesEverythingButPrintableAscii) {
    for (const EscapeCase& c : ESCAPE_CASES) {
        EXPECT_EQ(escape_for_terminal(c.text), c.shown) << c.shown;
    }
}

}  // namespace
}  // namespace quirt_format
