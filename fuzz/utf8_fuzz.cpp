// The UTF-8 check and the two terminal escapes, against plain references.
#include "text_checks.hpp"
#include "plain_utf8.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// Undoes escape_for_terminal, which writes \xNN for every byte it does not
// show as itself.
std::string unescape(std::string_view escaped) {
    std::string text;
    for (std::size_t index = 0; index < escaped.size(); ++index) {
        if (escaped[index] == '\\' && index + 3 < escaped.size() && escaped[index + 1] == 'x') {
            text.push_back(static_cast<char>(
                std::stoi(std::string{escaped.substr(index + 2, 2)}, nullptr, 16)));
            index += 3;
        } else {
            text.push_back(escaped[index]);
        }
    }
    return text;
}

// True when the text holds a byte below 0x20, DEL, or the bytes of a C1
// control (C2 80 to C2 9F).
bool holds_control(std::string_view text) {
    for (std::size_t index = 0; index < text.size(); ++index) {
        const auto byte = static_cast<unsigned char>(text[index]);
        if (byte < 0x20 || byte == 0x7F) {
            return true;
        }
        if (byte == 0xC2 && index + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[index + 1]);
            if (next >= 0x80 && next <= 0x9F) {
                return true;
            }
        }
    }
    return false;
}

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text{reinterpret_cast<const char*>(data), size};
    if (quirt_format::is_valid_utf8(text) != quirt_format::fuzz::plain_is_valid_utf8(text)) {
        std::abort();
    }
    const std::string escaped = quirt_format::escape_for_terminal(text);
    for (const char character : escaped) {
        require(character >= 0x20 && character <= 0x7E && character != '"');
    }
    require(unescape(escaped) == text);

    // Shown as it is without control characters; otherwise quoted, with no
    // control character, quote or backslash left bare, and read back whole.
    const std::string quoted = quirt_format::quote_for_terminal(text);
    if (!holds_control(text)) {
        require(quoted == text);
    } else {
        require(quoted.size() >= 2 && quoted.front() == '"' && quoted.back() == '"');
        const std::string_view inside = std::string_view{quoted}.substr(1, quoted.size() - 2);
        require(!holds_control(inside) && inside.find('"') == std::string_view::npos);
        require(unescape(inside) == text);
    }
    return 0;
}
