// Checks and escapes for the caller's text before it is used or shown.
#pragma once

#include <string>
#include <string_view>

namespace quirt_format {

// Well-formed UTF-8 as the Unicode standard defines it: no overlong forms,
// no surrogates, nothing above U+10FFFF, no stray or missing continuations.
bool is_valid_utf8(std::string_view text);

// The text with every byte outside printable ASCII, and the quote and
// backslash, written as \xNN, so that it can be shown on a terminal safely
// whatever its bytes are.
std::string escape_for_terminal(std::string_view text);

// A caller's text to show in a message: unchanged when it holds no control
// character; otherwise between double quotes, with each byte of each
// control character (C0, DEL, and C1 as the bytes C2 80 to C2 9F), and
// every quote and backslash, written as \xNN. Other bytes, UTF-8 included,
// stay as they are.
std::string quote_for_terminal(std::string_view text);

}  // namespace quirt_format
