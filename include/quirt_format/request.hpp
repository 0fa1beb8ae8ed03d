// The text of a request noun for an eval thread, as quirt-format prints it.
//
//     #include <quirt_format/request.hpp>
//
//     const std::vector<std::string> words{"dep1", "dep2"};
//     const std::string line = quirt_format::format_request("%eval", "(add 1 2)", words);
//     // line == "[0 %brax [%base %eval %noun [%pim-eval ['(add 1 2)' [dep1 dep2 ~]]]]]"
//
// The dependency words may be a std::vector<std::string>, a
// std::vector<std::string_view> or std::span<const std::string_view> (used
// as they are), a std::array or C array of const char* (none of them null),
// a braced list {"dep1", "dep2"}, {} for none, or any other range of texts
// that stay in place while the line is built: a container or a view of
// one. A range that makes each word on the fly, such as a transform view
// that returns std::string, does not compile. Nothing is escaped or
// checked, and neither function keeps anything: each returns a new text.
#pragma once

// What this header uses of C++20 (concepts, ranges and span), asked of the
// feature-test macros rather than of __cplusplus, which some compilers that
// have them report as less than 202002L.
#if defined(__has_include)
#if __has_include(<version>)
#include <version>
#endif
#endif
#if !defined(__cpp_concepts) || __cpp_concepts < 201907L || !defined(__cpp_lib_concepts) || \
    !defined(__cpp_lib_ranges) || !defined(__cpp_lib_span)
// A missing include stops the compiler at once; #error would let it go on
// to a page of errors about the C++20 code below.
#include "quirt_format/request.hpp needs C++20: compile with -std=c++20 or later"
#endif

#include <algorithm>
#include <concepts>
#include <initializer_list>
#include <iterator>
#include <ranges>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
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
// element>]]", followed by line_end, allocated once at its size.
//   thread_name:      "%eval", or "%murl-eval" for the murl-eval thread
//   expression:       the Velk expression, placed between single quotes
//   dependency_words: the words, in order; an empty word still takes its place
//   line_end:         appended to the line; "\n" for a line to print
std::string format_request(std::string_view thread_name, std::string_view expression,
                           std::span<const std::string_view> dependency_words,
                           std::string_view line_end = {});

namespace detail {

// A range of texts that the span overloads do not take as they are.
template <typename Words>
concept word_range =
    std::ranges::input_range<Words> &&
    std::convertible_to<std::ranges::range_reference_t<Words>, std::string_view> &&
    !std::convertible_to<Words, std::span<const std::string_view>>;

// Views of a range's words stay valid while the line is built when each
// element is a reference into a forward range (whose references outlive
// the iterator that gave them), or a pointer or view to text kept
// elsewhere. A text made on the fly, such as a std::string returned by a
// transform view, dies before the line is built.
template <typename Words>
concept words_stay_in_place =
    std::ranges::forward_range<Words> &&
    (std::is_reference_v<std::ranges::range_reference_t<Words>> ||
     std::is_pointer_v<std::ranges::range_reference_t<Words>> ||
     std::ranges::borrowed_range<std::ranges::range_reference_t<Words>>);

template <word_range Words>
std::vector<std::string_view> word_views(Words&& words) {
    static_assert(words_stay_in_place<Words>,
                  "quirt_format: the dependency words must stay in place while the line is "
                  "built, but this range makes each word on the fly (as a transform view that "
                  "returns std::string does), and views of those words would read freed "
                  "memory: collect the words into a std::vector<std::string> first");
    std::vector<std::string_view> views;
    if constexpr (std::ranges::sized_range<Words>) {
        views.reserve(std::ranges::size(words));
    }
    std::ranges::copy(words, std::back_inserter(views));
    return views;
}

}  // namespace detail

inline std::string format_eval_expression(std::string_view expression,
                                          std::initializer_list<std::string_view> dependency_words) {
    return format_eval_expression(expression, std::span{dependency_words.begin(),
                                                        dependency_words.size()});
}

template <detail::word_range Words>
std::string format_eval_expression(std::string_view expression, Words&& dependency_words) {
    const std::vector<std::string_view> views =
        detail::word_views(std::forward<Words>(dependency_words));
    return format_eval_expression(expression, std::span<const std::string_view>{views});
}

inline std::string format_request(std::string_view thread_name, std::string_view expression,
                                  std::initializer_list<std::string_view> dependency_words,
                                  std::string_view line_end = {}) {
    return format_request(thread_name, expression,
                          std::span{dependency_words.begin(), dependency_words.size()}, line_end);
}

template <detail::word_range Words>
std::string format_request(std::string_view thread_name, std::string_view expression,
                           Words&& dependency_words, std::string_view line_end = {}) {
    const std::vector<std::string_view> views =
        detail::word_views(std::forward<Words>(dependency_words));
    return format_request(thread_name, expression, std::span<const std::string_view>{views},
                          line_end);
}

}  // namespace quirt_format
