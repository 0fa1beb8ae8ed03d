// The argument scan and the request text over any argument list: the input
// split at NUL bytes, argument zero first, none at all for an empty input.
#include "command_line.hpp"
#include "text_checks.hpp"
#include <quirt_format/request.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using quirt_format::ScanAction;
using quirt_format::ScanOutcome;

std::vector<std::string_view> split_arguments(std::string_view input) {
    std::vector<std::string_view> arguments;
    if (input.empty()) {
        return arguments;
    }
    for (std::size_t end = input.find('\0'); end != std::string_view::npos;
         end = input.find('\0')) {
        arguments.push_back(input.substr(0, end));
        input.remove_prefix(end + 1);
    }
    arguments.push_back(input);
    return arguments;
}

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The line spelt out from the format's two templates.
std::string expected_line(std::string_view thread_name, std::string_view expression,
                          const std::vector<std::string_view>& words) {
    std::string element = "[%pim-eval ";
    if (words.empty()) {
        element.append("'").append(expression).append("']");
    } else {
        std::string joined;
        for (std::size_t index = 0; index < words.size(); ++index) {
            joined.append(index == 0 ? "" : " ").append(words[index]);
        }
        element.append("['").append(expression).append("' [").append(joined).append(" ~]]]");
    }
    std::string line = "[0 %brax [%base ";
    line.append(thread_name).append(" %noun ").append(element).append("]]");
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string_view> arguments =
        split_arguments({reinterpret_cast<const char*>(data), size});
    const ScanOutcome outcome = quirt_format::scan_arguments(arguments);

    // Every argument before the first that is not -k is -k; that one
    // decides the outcome.
    std::size_t first = 1;
    while (first < arguments.size() && arguments[first] == "-k") {
        ++first;
    }
    if (first >= arguments.size()) {
        require(outcome.action == ScanAction::failure && outcome.message == "ERROR: no command");
        return 0;
    }
    const std::string_view decisive = arguments[first];
    if (decisive.empty() || decisive[0] != '-') {
        require(outcome.action == ScanAction::run && outcome.expression_index == first);
        require(outcome.thread_name == (first > 1 ? "%murl-eval" : "%eval"));
        const std::vector<std::string_view> words(arguments.begin() + static_cast<long>(first) + 1,
                                                  arguments.end());
        require(quirt_format::format_request(outcome.thread_name, decisive, words) ==
                expected_line(outcome.thread_name, decisive, words));
    } else if (decisive == "-h") {
        require(outcome.action == ScanAction::show_usage);
    } else {
        require(outcome.action == ScanAction::failure &&
                outcome.message == "Invalid option: " + quirt_format::quote_for_terminal(decisive));
    }
    return 0;
}
