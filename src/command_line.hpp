// The command line of quirt-format: the option scan and the texts that
// describe it.
#pragma once

#include <quirt_format/request.hpp>

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace quirt_format {

inline constexpr std::string_view DEFAULT_PROGRAM_NAME = "quirt-format";

enum class ScanAction { run, show_usage, failure };

struct ScanOutcome {
    ScanAction action = ScanAction::failure;
    std::string_view thread_name = EVAL_THREAD;  // for run: MURL_EVAL_THREAD after -k
    std::size_t expression_index = 0;            // for run; the words follow it
    std::string message;                         // for failure, without a newline
};

// Scans the options before the expression; arguments[0] is argument zero.
// It stops at the first outcome, so nothing after -h or an invalid option
// is looked at. An invalid option is shown as quote_for_terminal shows it.
ScanOutcome scan_arguments(std::span<const std::string_view> arguments);

// Argument zero, or DEFAULT_PROGRAM_NAME when there is none or it is empty
// (an empty one is what Linux hands a process started with no arguments).
std::string_view program_name(std::span<const std::string_view> arguments);

// The usage text, eight lines, with the program name in the second, shown
// as quote_for_terminal shows it.
std::string usage_text(std::string_view program_name);

// A failure message, its newline and the usage text, as one text.
std::string failure_text(std::string_view message, std::string_view program_name);

}  // namespace quirt_format
