// The text of a request noun for an eval thread, as quirt-format prints it.
//
//     #include <quirt_format/request.hpp>
//
//     const std::vector<std::string> words{"dep1", "dep2"};
//     const std::string line =
//         quirt_format::format_request(quirt_format::EVAL_THREAD, "(add 1 2)", words);
//     // line == "[0 %brax [%base %eval %noun [%pim-eval ['(add 1 2)' [dep1 dep2 ~]]]]]"
//
// The dependency words may be a std::vector<std::string>, a
// std::vector<std::string_view> or std::span<const std::string_view> (used
// as they are), a std::array or C array of const char*, a braced list
// {"dep1", "dep2"}, {} for none, or any other forward range whose words stay
// in place while the line is built: its elements are references into it,
// pointers, or borrowed views such as std::string_view. A range that makes
// each word as it is read, such as a transform view that returns
// std::string, or one that can be read only once, does not compile.
//
// Every text, the words included, may be given as a const char*, which must
// not be null: as for std::string_view, it is read up to its terminating
// zero. Nothing is escaped or checked, and neither function keeps anything:
// each returns a new text.
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

#include <concepts>
#include <initializer_list>
#include <ranges>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace quirt_format {

// The threads a request can be for: the eval thread, and the murl-eval
// thread that quirt-format's -k chooses.
inline constexpr std::string_view EVAL_THREAD = "%eval";
inline constexpr std::string_view MURL_EVAL_THREAD = "%murl-eval";

// The evaluator element: "[%pim-eval '<expression>']" when there are no
// dependency words, otherwise "[%pim-eval ['<expression>' [<words> ~]]]"
// with the words joined by single spaces.
//   expression:       the Velk expression, placed between single quotes;
//                     as a const char*, not null
//   dependency_words: the words, in order; an empty word still takes its
//                     place; as const char*, none of them null
std::string format_eval_expression(std::string_view expression,
                                   std::span<const std::string_view> dependency_words);

// The whole request line, "[0 %brax [%base <thread name> %noun <evaluator
// element>]]", followed by line_end, allocated once at its size.
//   thread_name:      EVAL_THREAD or MURL_EVAL_THREAD; as a const char*, not null
//   expression:       the Velk expression, placed between single quotes;
//                     as a const char*, not null
//   dependency_words: the words, in order; an empty word still takes its
//                     place; as const char*, none of them null
//   line_end:         appended to the line, "\n" for a line to print;
//                     as a const char*, not null
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

// A view of a word outlives the iterator that gave it when the word is a
// reference into a forward range (whose references outlive its iterators),
// or a pointer or borrowed view to text kept elsewhere. A word made as it
// is read, such as a std::string by value, dies at once.
template <typename Word>
concept kept_elsewhere = std::is_reference_v<Word> || std::is_pointer_v<Word> ||
                         std::ranges::borrowed_range<Word>;

template <word_range Words>
std::vector<std::string_view> word_views(Words&& words) {
    static_assert(std::ranges::forward_range<Words>,
                  "quirt_format: the dependency words must be a forward range, whose words "
                  "stay in place while the line is built; this range can be read only once "
                  "(an input range, or a range of move iterators): collect the words into a "
                  "std::vector<std::string> first");
    static_assert(!std::ranges::forward_range<Words> ||
                      kept_elsewhere<std::ranges::range_reference_t<Words>>,
                  "quirt_format: each dependency word must stay in place while the line is "
                  "built: a reference into the range (as a container's elements are), a "
                  "pointer such as const char*, or a borrowed view such as std::string_view; "
                  "this range makes each word as it is read (by value, as a transform view "
                  "that returns std::string does), and views of those words would read freed "
                  "memory: collect the words into a std::vector<std::string> first, or yield "
                  "std::string_view views of text that is kept elsewhere");
    std::vector<std::string_view> views;
    if constexpr (std::ranges::sized_range<Words>) {
        views.reserve(std::ranges::size(words));
    }
    // A loop, not std::ranges::copy: <algorithm> would add about a quarter
    // to what this header costs the compile of every file that includes it.
    for (auto&& word : words) {
        views.emplace_back(word);  // cppcheck-suppress useStlAlgorithm
    }
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
