// A deliberately plain UTF-8 check: decode each code point the long way
// round, then judge it. The fuzz target holds the real check against it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quirt_format::fuzz {

inline bool plain_is_valid_utf8(std::string_view text) {
    constexpr std::array<std::uint32_t, 5> SMALLEST_FOR_LENGTH{0, 0, 0x80, 0x800, 0x10000};
    std::size_t index = 0;
    while (index < text.size()) {
        const auto lead = static_cast<unsigned char>(text[index]);
        std::size_t length = 0;
        std::uint32_t code_point = 0;
        if (lead < 0x80) {
            length = 1;
            code_point = lead;
        } else if ((lead & 0xE0U) == 0xC0U) {
            length = 2;
            code_point = lead & 0x1FU;
        } else if ((lead & 0xF0U) == 0xE0U) {
            length = 3;
            code_point = lead & 0x0FU;
        } else if ((lead & 0xF8U) == 0xF0U) {
            length = 4;
            code_point = lead & 0x07U;
        } else {
            return false;
        }
        if (text.size() - index < length) {
            return false;
        }
        for (std::size_t offset = 1; offset < length; ++offset) {
            const auto next = static_cast<unsigned char>(text[index + offset]);
            if ((next & 0xC0U) != 0x80U) {
                return false;
            }
            code_point = (code_point << 6U) | (next & 0x3FU);
        }
        const bool overlong = code_point < SMALLEST_FOR_LENGTH.at(length);
        const bool surrogate = code_point >= 0xD800 && code_point <= 0xDFFF;
        if (overlong || surrogate || code_point > 0x10FFFF) {
            return false;
        }
        index += length;
    }
    return true;
}

}  // namespace quirt_format::fuzz
