#include <quirt_format/request.hpp>

#include <algorithm>
#include <numeric>

namespace quirt_format {
namespace {

// The dependency words as one piece of the line: in order, one space
// between neighbours, an empty word still taking its place.
struct JoinedWords {
    std::span<const std::string_view> words;
};

// The fixed pieces around the inputs. The element has two shapes:
// "[%pim-eval '<expression>']" with no words,
// "[%pim-eval ['<expression>' [<words> ~]]]" with some.
constexpr std::string_view ELEMENT_HEAD = "[%pim-eval ";
constexpr std::string_view BARE_OPEN = "'";
constexpr std::string_view BARE_CLOSE = "']";
constexpr std::string_view LISTED_OPEN = "['";
constexpr std::string_view LISTED_MIDDLE = "' [";
constexpr std::string_view LISTED_CLOSE = " ~]]]";
// The line: "[0 %brax [%base <thread name> %noun <evaluator element>]]".
constexpr std::string_view REQUEST_HEAD = "[0 %brax [%base ";
constexpr std::string_view REQUEST_NOUN = " %noun ";
constexpr std::string_view REQUEST_CLOSE = "]]";

// The pieces of the evaluator element, in order, each handed to take.
template <typename Take>
void for_each_element_piece(std::string_view expression, std::span<const std::string_view> words,
                            Take& take) {
    take(ELEMENT_HEAD);
    if (words.empty()) {
        take(BARE_OPEN);
        take(expression);
        take(BARE_CLOSE);
        return;
    }
    take(LISTED_OPEN);
    take(expression);
    take(LISTED_MIDDLE);
    take(JoinedWords{words});
    take(LISTED_CLOSE);
}

// The pieces of the request line, in order, each handed to take.
template <typename Take>
void for_each_request_piece(std::string_view thread_name, std::string_view expression,
                            std::span<const std::string_view> words, Take& take) {
    take(REQUEST_HEAD);
    take(thread_name);
    take(REQUEST_NOUN);
    for_each_element_piece(expression, words, take);
    take(REQUEST_CLOSE);
}

struct SizeCounter {
    std::size_t size = 0;

    void operator()(std::string_view piece) { size += piece.size(); }
    void operator()(JoinedWords joined) {
        // n words take n - 1 spaces.
        size = std::accumulate(joined.words.begin(), joined.words.end(),
                               size + joined.words.size() - 1,
                               [](std::size_t total, std::string_view word) {
                                   return total + word.size();
                               });
    }
};

struct PieceCopier {
    char* out;

    void operator()(std::string_view piece) { out = std::copy(piece.begin(), piece.end(), out); }
    void operator()(JoinedWords joined) {
        char* cursor = std::copy(joined.words.front().begin(), joined.words.front().end(), out);
        for (const std::string_view word : joined.words.subspan(1)) {
            *cursor++ = ' ';
            cursor = std::copy(word.begin(), word.end(), cursor);
        }
        out = cursor;
    }
};

// Sizes the pieces, then copies them into one buffer of exactly that size.
template <typename ForEachPiece>
std::string build(ForEachPiece for_each_piece, std::string_view line_end) {
    SizeCounter counter{line_end.size()};
    for_each_piece(counter);
    std::string text(counter.size, '\0');
    PieceCopier copier{text.data()};
    for_each_piece(copier);
    copier(line_end);
    return text;
}

}  // namespace

std::string format_eval_expression(std::string_view expression,
                                   std::span<const std::string_view> dependency_words) {
    return build([&](auto& take) { for_each_element_piece(expression, dependency_words, take); },
                 {});
}

std::string format_request(std::string_view thread_name, std::string_view expression,
                           std::span<const std::string_view> dependency_words,
                           std::string_view line_end) {
    return build(
        [&](auto& take) { for_each_request_piece(thread_name, expression, dependency_words, take); },
        line_end);
}

}  // namespace quirt_format
