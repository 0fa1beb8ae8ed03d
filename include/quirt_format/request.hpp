// The text of a request noun for an eval thread, as quirt-format prints it.
//
//     #include <quirt_format/request.hpp>
//
//     const std::vector<std::string> words{"dep1", "dep2"};
//     const std::string line = quirt_format::format_request("%eval", "(add 1 2)", words);
//     // line == "[0 %brax [%base %eval %noun [%pim-eval ['(add 1 2)' [dep1 dep2 ~]]]]]"
//
// The dependency words may be given as any range of texts: a
// std::span<const std::string_view> or a std::vector<std::string_view>
// (used as they are, not copied), a braced list {"dep1", "dep2"}, or a
// std::vector<std::string>, a std::array or C array of const char* (none
// of them null), or any other range whose elements convert to
// std::string_view. Nothing is escaped or checked, and neither function
// keeps anything: each returns a new text.
#pragma once

#include <algorithm>
#include <concepts>
#include <initializer_list>
#include <iterator>
#include <ranges>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quirt_format {

// The evaluator element: "[%pim-eval '<expression>']" when there are no
// dependency words, otherwise "[%pim-eval ['<expression>' [<words> ~]]]"
// with the words joined by single spaces.
//   expression:       the Velk expression, placed between single quotes
//   dependency_words: the words, in order; an empty word still takes its place
std::string format_eval_expression(std::string_view expression,
                                   std::span<const std::string_view> dependency_words);

// The whole request line, "[0 %brax [%base <thread name> %noun <evaluator
// element>]]", followed by line_end, built in one buffer of exactly its size.
//   thread_name:      "%eval", or "%murl-eval" for the murl-eval thread
//   expression:       the Velk expression, placed between single quotes
//   dependency_words: the words, in order; an empty word still takes its place
//   line_end:         appended to the line; "\n" for a line to print
std::string format_request(std::string_view thread_name, std::string_view expression,
                           std::span<const std::string_view> dependency_words,
                           std::string_view line_end = {});

// A range of texts other than a span of views: its words are viewed, not
// copied, for the call.
template <typename Words>
concept dependency_word_range =
    std::ranges::input_range<const Words> &&
    std::convertible_to<std::ranges::range_reference_t<const Words>, std::string_view> &&
    !std::convertible_to<const Words&, std::span<const std::string_view>>;

template <dependency_word_range Words>
std::vector<std::string_view> word_views(const Words& words) {
    std::vector<std::string_view> views;
    if constexpr (std::ranges::sized_range<const Words>) {
        views.reserve(std::ranges::size(words));
    }
    std::ranges::copy(words, std::back_inserter(views));
    return views;
}

inline std::string format_eval_expression(std::string_view expression,
                                          std::initializer_list<std::string_view> dependency_words) {
    return format_eval_expression(expression, std::span{dependency_words.begin(),
                                                        dependency_words.size()});
}

template <dependency_word_range Words>
std::string format_eval_expression(std::string_view expression, const Words& dependency_words) {
    const std::vector<std::string_view> views = word_views(dependency_words);
    return format_eval_expression(expression, std::span<const std::string_view>{views});
}

inline std::string format_request(std::string_view thread_name, std::string_view expression,
                                  std::initializer_list<std::string_view> dependency_words,
                                  std::string_view line_end = {}) {
    return format_request(thread_name, expression,
                          std::span{dependency_words.begin(), dependency_words.size()}, line_end);
}

template <dependency_word_range Words>
std::string format_request(std::string_view thread_name, std::string_view expression,
                           const Words& dependency_words, std::string_view line_end = {}) {
    const std::vector<std::string_view> views = word_views(dependency_words);
    return format_request(thread_name, expression, std::span<const std::string_view>{views},
                          line_end);
}

}  // namespace quirt_format
