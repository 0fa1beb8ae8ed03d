#include <quirt_format/request.hpp>

#include <cstddef>
#include <numeric>

namespace quirt_format {
namespace {

// A piece of the text: a text as it is, or dependency words joined by
// single spaces (n words take n - 1 spaces, and an empty word still takes
// its place).
using Words = std::span<const std::string_view>;

std::size_t size_of(std::string_view text) { return text.size(); }

std::size_t size_of(Words words) {  // at least one word
    return std::accumulate(
        words.begin(), words.end(), words.size() - 1,
        [](std::size_t size, std::string_view word) { return size + word.size(); });
}

void append(std::string& text, std::string_view piece) { text.append(piece); }

void append(std::string& text, Words words) {  // at least one word
    text.append(words.front());
    for (const std::string_view word : words.subspan(1)) {
        text.push_back(' ');
        text.append(word);
    }
}

// The pieces one after another, in a text allocated once at their total
// size, so that it never grows, and never moves what it holds, as it is built.
template <typename... Pieces>
std::string concatenate(const Pieces&... pieces) {
    std::string text;
    text.reserve((size_of(pieces) + ...));
    (append(text, pieces), ...);
    return text;
}

}  // namespace

std::string format_eval_expression(std::string_view expression,
                                   std::span<const std::string_view> dependency_words) {
    if (dependency_words.empty()) {
        // "[{} '{}']" filled with %pim-eval and the expression
        return concatenate("[%pim-eval '", expression, "']");
    }
    // "[{} ['{}' [{} ~]]]" filled with %pim-eval, the expression and the
    // words, joined where they stand in the element
    return concatenate("[%pim-eval ['", expression, "' [", dependency_words, " ~]]]");
}

std::string format_request(std::string_view thread_name, std::string_view expression,
                           std::span<const std::string_view> dependency_words,
                           std::string_view line_end) {
    const std::string element = format_eval_expression(expression, dependency_words);
    // "[{} {} [{} {} {} {}]]" filled with 0, %brax, %base, the thread name,
    // %noun and the element; then the line end
    return concatenate("[0 %brax [%base ", thread_name, " %noun ", element, "]]", line_end);
}

}  // namespace quirt_format
