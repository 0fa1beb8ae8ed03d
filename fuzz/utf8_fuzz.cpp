// The UTF-8 check and the terminal escape, against plain references.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text{reinterpret_cast<const char*>(data), size};
    if (quirt_format::is_valid_utf8(text) != quirt_format::fuzz::plain_is_valid_utf8(text)) {
        std::abort();
    }
    const std::string escaped = quirt_format::escape_for_terminal(text);
    for (const char character : escaped) {
        if (character < 0x20 || character > 0x7E || character == '"') {
            std::abort();
        }
    }
    if (unescape(escaped) != text) {
        std::abort();
    }
    return 0;
}
