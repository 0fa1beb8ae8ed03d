#include "text_checks.hpp"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace quirt_format {
namespace {

// One UTF-8 sequence of two to four bytes starting at text[0], checked
// against the standard's table of well-formed sequences; 0 if it is not one.
std::size_t multibyte_sequence_length(std::span<const unsigned char> text) {
    const unsigned char lead = text[0];
    std::size_t length = 4;
    unsigned char second_low = 0x80;
    unsigned char second_high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        second_low = lead == 0xE0 ? 0xA0 : 0x80;   // overlong below U+0800
        second_high = lead == 0xED ? 0x9F : 0xBF;  // surrogates U+D800..U+DFFF
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        second_low = lead == 0xF0 ? 0x90 : 0x80;   // overlong below U+10000
        second_high = lead == 0xF4 ? 0x8F : 0xBF;  // above U+10FFFF
    } else {
        return 0;  // continuation byte, C0, C1 or F5..FF
    }
    if (text.size() < length || text[1] < second_low || text[1] > second_high) {
        return 0;
    }
    for (std::size_t index = 2; index < length; ++index) {
        if ((text[index] & 0xC0U) != 0x80U) {
            return 0;
        }
    }
    return length;
}

template <typename Word>
Word load(std::span<const unsigned char> bytes, std::size_t index) {
    Word word = 0;
    std::memcpy(&word, &bytes[index], sizeof word);
    return word;
}

constexpr std::uint64_t HIGH_BITS = 0x8080808080808080U;

// Arguments are mostly ASCII: OR their bytes together, eight at a time with
// the last eight overlapping those before them, or for a shorter text in
// two four-byte loads that may overlap, or its first, middle and last bytes.
bool is_ascii(std::span<const unsigned char> bytes) {
    const std::size_t size = bytes.size();
    std::uint64_t high_bits = 0;
    if (size >= sizeof(std::uint64_t)) {
        high_bits = load<std::uint64_t>(bytes, size - sizeof(std::uint64_t));
        for (std::size_t index = 0; index + sizeof(std::uint64_t) < size;
             index += sizeof(std::uint64_t)) {
            high_bits |= load<std::uint64_t>(bytes, index);
        }
    } else if (size >= sizeof(std::uint32_t)) {
        high_bits = load<std::uint32_t>(bytes, 0) |
                    load<std::uint32_t>(bytes, size - sizeof(std::uint32_t));
    } else if (size > 0) {
        high_bits = bytes[0] | bytes[size / 2] | bytes[size - 1];
    }
    return (high_bits & HIGH_BITS) == 0;
}

bool is_quote_or_backslash(unsigned char byte) {
    return byte == '"' || byte == '\\';
}

// The bytes of the control character that text starts with: 1 for C0 and
// DEL, 2 for a C1 control in UTF-8 (C2 80 to C2 9F), 0 for anything else.
std::size_t control_character_length(std::string_view text) {
    const auto byte = static_cast<unsigned char>(text.front());
    if (byte < 0x20 || byte == 0x7F) {
        return 1;
    }
    if (byte == 0xC2 && text.size() > 1) {
        const auto next = static_cast<unsigned char>(text[1]);
        return next >= 0x80 && next <= 0x9F ? 2 : 0;
    }
    return 0;
}

// Appends the text with \xNN for each byte that should_escape names:
// called with the rest of the text, it gives how many bytes from there to
// escape, or 0 to copy one byte as it is.
template <typename ShouldEscape>
void append_escaped(std::string& out, std::string_view text, ShouldEscape should_escape) {
    constexpr std::string_view HEX_DIGITS = "0123456789ABCDEF";
    out.reserve(out.size() + text.size());
    std::size_t index = 0;
    while (index < text.size()) {
        const std::size_t count = should_escape(text.substr(index));
        if (count == 0) {
            out.push_back(text[index++]);
            continue;
        }
        for (const std::size_t end = index + count; index < end; ++index) {
            const auto byte = static_cast<unsigned char>(text[index]);
            out.append({'\\', 'x', HEX_DIGITS[byte >> 4U], HEX_DIGITS[byte & 0x0FU]});
        }
    }
}

}  // namespace

bool is_valid_utf8(std::string_view text) {
    const std::span bytes{reinterpret_cast<const unsigned char*>(text.data()), text.size()};
    if (is_ascii(bytes)) {
        return true;
    }
    std::size_t index = 0;
    while (index < bytes.size()) {
        // Runs of ASCII between the other sequences, a word at a time.
        if (bytes.size() - index >= sizeof(std::uint64_t) &&
            (load<std::uint64_t>(bytes, index) & HIGH_BITS) == 0) {
            index += sizeof(std::uint64_t);
        } else if (bytes[index] < 0x80) {
            ++index;
        } else {
            const std::size_t length = multibyte_sequence_length(bytes.subspan(index));
            if (length == 0) {
                return false;
            }
            index += length;
        }
    }
    return true;
}

std::string escape_for_terminal(std::string_view text) {
    std::string escaped;
    append_escaped(escaped, text, [](std::string_view rest) {
        const auto byte = static_cast<unsigned char>(rest.front());
        return byte < 0x20 || byte > 0x7E || is_quote_or_backslash(byte) ? 1U : 0U;
    });
    return escaped;
}

std::string quote_for_terminal(std::string_view text) {
    bool has_control = false;
    for (std::size_t index = 0; index < text.size() && !has_control; ++index) {
        has_control = control_character_length(text.substr(index)) > 0;
    }
    if (!has_control) {
        return std::string{text};
    }
    std::string quoted{"\""};
    append_escaped(quoted, text, [](std::string_view rest) {
        const std::size_t control = control_character_length(rest);
        return control > 0 ? control : is_quote_or_backslash(rest.front()) ? 1U : 0U;
    });
    quoted.push_back('"');
    return quoted;
}

}  // namespace quirt_format
