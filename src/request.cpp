#include "request.hpp"

#include <initializer_list>

namespace quirt_format {
namespace {

constexpr std::string_view EVALUATOR_TAG = "%pim-eval";

std::size_t total_size(std::initializer_list<std::string_view> pieces) {
    std::size_t size = 0;
    for (const std::string_view piece : pieces) {
        size += piece.size();
    }
    return size;
}

void append_all(std::string& text, std::initializer_list<std::string_view> pieces) {
    for (const std::string_view piece : pieces) {
        text.append(piece);
    }
}

// The words in order with one space between neighbours: n words take n - 1
// spaces, and an empty word still takes its place.
std::size_t joined_size(std::span<const std::string_view> words) {
    std::size_t size = words.size() - 1;
    for (const std::string_view word : words) {
        size += word.size();
    }
    return size;
}

void append_joined(std::string& text, std::span<const std::string_view> words) {
    text.append(words.front());
    for (const std::string_view word : words.subspan(1)) {
        text.push_back(' ');
        text.append(word);
    }
}

// Every text is reserved to its exact final size before anything is
// appended, so a line is built once, in one buffer, however long it is.
std::string concatenate(std::initializer_list<std::string_view> pieces) {
    std::string text;
    text.reserve(total_size(pieces));
    append_all(text, pieces);
    return text;
}

}  // namespace

std::string format_eval_expression(std::string_view expression,
                                   std::span<const std::string_view> dependency_words) {
    if (dependency_words.empty()) {
        return concatenate({"[", EVALUATOR_TAG, " '", expression, "']"});
    }
    const auto head = {std::string_view{"["}, EVALUATOR_TAG, std::string_view{" ['"}, expression,
                       std::string_view{"' ["}};
    constexpr std::string_view tail = " ~]]]";
    std::string element;
    element.reserve(total_size(head) + joined_size(dependency_words) + tail.size());
    append_all(element, head);
    append_joined(element, dependency_words);
    element.append(tail);
    return element;
}

std::string format_request(std::string_view thread_name, std::string_view expression,
                           std::span<const std::string_view> dependency_words) {
    const std::string element = format_eval_expression(expression, dependency_words);
    return concatenate({"[0 %brax [%base ", thread_name, " %noun ", element, "]]"});
}

}  // namespace quirt_format
