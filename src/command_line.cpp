#include "command_line.hpp"

#include "text_checks.hpp"

#include <utility>

namespace quirt_format {
namespace {

ScanOutcome failure(std::string message) {
    return {ScanAction::failure, EVAL_THREAD, 0, std::move(message)};
}

constexpr std::string_view USAGE_HEAD = "Usage:\n    ";
constexpr std::string_view USAGE_REST =
    " [options] <velk> [<dependency> ...]\n"
    "\n"
    "Format a text representation of a Velk noun for use as input to eval threads via conn\n"
    "\n"
    "options:\n"
    "    -h  Show usage info\n"
    "    -k  Format for the 'murl-eval' thread instead\n";

// What comes before the usage text, then the usage text, in one buffer:
// they go out in one write.
std::string usage_after(std::string_view message, std::string_view message_end,
                        std::string_view program_name) {
    const std::string shown_name = quote_for_terminal(program_name);
    std::string text;
    text.reserve(message.size() + message_end.size() + USAGE_HEAD.size() + shown_name.size() +
                 USAGE_REST.size());
    text.append(message).append(message_end).append(USAGE_HEAD).append(shown_name).append(
        USAGE_REST);
    return text;
}

}  // namespace

ScanOutcome scan_arguments(std::span<const std::string_view> arguments) {
    std::string_view thread_name = EVAL_THREAD;
    for (std::size_t index = 1; index < arguments.size(); ++index) {
        const std::string_view argument = arguments[index];
        if (argument.empty() || argument.front() != '-') {
            return {ScanAction::run, thread_name, index, {}};
        }
        if (argument == "-h") {
            return {ScanAction::show_usage, thread_name, 0, {}};
        }
        if (argument != "-k") {
            return failure("Invalid option: " + quote_for_terminal(argument));
        }
        thread_name = MURL_EVAL_THREAD;
    }
    return failure("ERROR: no command");  // nothing after argument zero but -k, if anything
}

std::string_view program_name(std::span<const std::string_view> arguments) {
    if (arguments.empty() || arguments.front().empty()) {
        return DEFAULT_PROGRAM_NAME;
    }
    return arguments.front();
}

std::string usage_text(std::string_view program_name) {
    return usage_after({}, {}, program_name);
}

std::string failure_text(std::string_view message, std::string_view program_name) {
    return usage_after(message, "\n", program_name);
}

}  // namespace quirt_format
