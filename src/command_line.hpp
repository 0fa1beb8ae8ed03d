// The command line of quirt-format: what main.cpp exposes to its tests and
// fuzz targets, which build that file without its process entry.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace quirt_format {

inline constexpr std::string_view DEFAULT_PROGRAM_NAME = "quirt-format";
inline constexpr std::string_view DEFAULT_THREAD_NAME = "%eval";
inline constexpr std::string_view ALTERNATIVE_THREAD_NAME = "%murl-eval";

enum class ScanAction { run, show_usage, failure };

struct ScanOutcome {
    ScanAction action = ScanAction::failure;
    std::string_view thread_name = DEFAULT_THREAD_NAME;  // for run
    std::size_t expression_index = 0;                    // for run; the words follow it
    std::string message;                                 // for failure, without a newline
};

// Scans the options before the expression; arguments[0] is argument zero.
ScanOutcome scan_arguments(std::span<const std::string_view> arguments);

// Well-formed UTF-8 as the Unicode standard defines it: no overlong forms,
// no surrogates, nothing above U+10FFFF, no stray or missing continuations.
bool is_valid_utf8(std::string_view text);

// The text with every byte outside printable ASCII, and the quote and
// backslash, written as \xNN, so that it can be shown on a terminal safely.
std::string escape_for_terminal(std::string_view text);

}  // namespace quirt_format
