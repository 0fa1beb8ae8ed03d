// The text of a request noun for an eval thread, as quirt-format prints it.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace quirt_format {

// The evaluator element: "[%pim-eval '<expression>']" when there are no
// dependency words, otherwise "[%pim-eval ['<expression>' [<words> ~]]]"
// with the words joined by single spaces. Nothing is escaped or checked.
std::string format_eval_expression(std::string_view expression,
                                   std::span<const std::string_view> dependency_words);

// The whole request line, "[0 %brax [%base <thread name> %noun <evaluator
// element>]]", followed by line_end (nothing unless given), built in one
// buffer of exactly its size.
std::string format_request(std::string_view thread_name, std::string_view expression,
                           std::span<const std::string_view> dependency_words,
                           std::string_view line_end = {});

}  // namespace quirt_format
