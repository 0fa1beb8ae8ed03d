#include "request.hpp"

#include <algorithm>
#include <initializer_list>
#include <numeric>

namespace quirt_format {
namespace {

constexpr std::string_view EVALUATOR_TAG = "%pim-eval";

// Both texts are reserved to their exact final size before anything is
// appended, so each is built once, in one buffer, however long it is.

std::size_t total_size(std::initializer_list<std::string_view> pieces) {
    return std::accumulate(pieces.begin(), pieces.end(), std::size_t{0},
                           [](std::size_t size, std::string_view piece) { return size + piece.size(); });
}

void append_all(std::string& text, std::initializer_list<std::string_view> pieces) {
    for (const std::string_view piece : pieces) {
        text.append(piece);
    }
}

// The words in order with one space between neighbours: n words take n - 1
// spaces, and an empty word still takes its place. No words join to nothing.
std::size_t joined_size(std::span<const std::string_view> words) {
    if (words.empty()) {
        return 0;
    }
    return std::accumulate(words.begin(), words.end(), words.size() - 1,
                           [](std::size_t size, std::string_view word) { return size + word.size(); });
}

// Grows the text once, by the words' joined size, and copies into it:
// appending word by word would check the capacity twice a word, and words
// are often short.
void append_joined(std::string& text, std::span<const std::string_view> words,
                   std::size_t joined) {
    const std::size_t start = text.size();
    text.resize(start + joined);
    char* out = std::copy(words.front().begin(), words.front().end(), text.data() + start);
    for (const std::string_view word : words.subspan(1)) {
        *out++ = ' ';
        out = std::copy(word.begin(), word.end(), out);
    }
}

// The element's two shapes: "[%pim-eval '<expression>']" with no words,
// "[%pim-eval ['<expression>' [<words> ~]]]" with some.
constexpr std::string_view ELEMENT_HEAD = "[";
constexpr std::string_view BARE_OPEN = " '";
constexpr std::string_view BARE_CLOSE = "']";
constexpr std::string_view LISTED_OPEN = " ['";
constexpr std::string_view LISTED_MIDDLE = "' [";
constexpr std::string_view LISTED_CLOSE = " ~]]]";

// The element's size and text. Both take the words' joined size, which is
// a pass over every word, from their caller, which works it out once.
std::size_t eval_expression_size(std::string_view expression,
                                 std::span<const std::string_view> words, std::size_t joined) {
    if (words.empty()) {
        return total_size({ELEMENT_HEAD, EVALUATOR_TAG, BARE_OPEN, expression, BARE_CLOSE});
    }
    return total_size({ELEMENT_HEAD, EVALUATOR_TAG, LISTED_OPEN, expression, LISTED_MIDDLE,
                       LISTED_CLOSE}) +
           joined;
}

void append_eval_expression(std::string& text, std::string_view expression,
                            std::span<const std::string_view> words, std::size_t joined) {
    if (words.empty()) {
        append_all(text, {ELEMENT_HEAD, EVALUATOR_TAG, BARE_OPEN, expression, BARE_CLOSE});
        return;
    }
    append_all(text, {ELEMENT_HEAD, EVALUATOR_TAG, LISTED_OPEN, expression, LISTED_MIDDLE});
    append_joined(text, words, joined);
    text.append(LISTED_CLOSE);
}

constexpr std::string_view REQUEST_HEAD = "[0 %brax [%base ";
constexpr std::string_view REQUEST_NOUN = " %noun ";
constexpr std::string_view REQUEST_CLOSE = "]]";

}  // namespace

std::string format_eval_expression(std::string_view expression,
                                   std::span<const std::string_view> dependency_words) {
    const std::size_t joined = joined_size(dependency_words);
    std::string element;
    element.reserve(eval_expression_size(expression, dependency_words, joined));
    append_eval_expression(element, expression, dependency_words, joined);
    return element;
}

// The element and the line end go straight into the line's buffer: a
// buffer of their own would only be copied, a megabyte of words and all.
std::string format_request(std::string_view thread_name, std::string_view expression,
                           std::span<const std::string_view> dependency_words,
                           std::string_view line_end) {
    const std::size_t joined = joined_size(dependency_words);
    std::string line;
    line.reserve(total_size({REQUEST_HEAD, thread_name, REQUEST_NOUN, REQUEST_CLOSE, line_end}) +
                 eval_expression_size(expression, dependency_words, joined));
    append_all(line, {REQUEST_HEAD, thread_name, REQUEST_NOUN});
    append_eval_expression(line, expression, dependency_words, joined);
    append_all(line, {REQUEST_CLOSE, line_end});
    return line;
}

}  // namespace quirt_format
