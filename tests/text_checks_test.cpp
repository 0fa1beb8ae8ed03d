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

TEST(EscapeForTerminal, EscapesEverythingButPrintableAscii) {
    EXPECT_EQ(escape_for_terminal("a\"b\\c~ \x7F\xC3\xA9\n"), "a\\x22b\\x5Cc~ \\x7F\\xC3\\xA9\\x0A");
}

}  // namespace
}  // namespace quirt_format
