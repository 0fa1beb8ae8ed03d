#include <quirt_format/request.hpp>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace quirt_format {
namespace {

using namespace std::string_view_literals;

struct RequestCase {
    const char* name;
    std::string_view thread_name;
    std::string_view expression;
    std::vector<std::string_view> words;
    std::string_view element;
    std::string_view line;
};

void PrintTo(const RequestCase& c, std::ostream* out) { *out << c.name; }

class RequestText : public ::testing::TestWithParam<RequestCase> {};

TEST_P(RequestText, FormatsElementAndLine) {
    const RequestCase& c = GetParam();
    EXPECT_EQ(format_eval_expression(c.expression, c.words), c.element);
    EXPECT_EQ(format_request(c.thread_name, c.expression, c.words), c.line);
    EXPECT_EQ(format_request(c.thread_name, c.expression, c.words, "\n"),
              std::string{c.line} + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RequestText,
    ::testing::Values(
        RequestCase{"eval_no_words", "%eval", "(add 1 2)", {},
                    "[%pim-eval '(add 1 2)']",
                    "[0 %brax [%base %eval %noun [%pim-eval '(add 1 2)']]]"},
        RequestCase{"murl_eval_no_words", "%murl-eval", "(add 1 2)", {},
                    "[%pim-eval '(add 1 2)']",
                    "[0 %brax [%base %murl-eval %noun [%pim-eval '(add 1 2)']]]"},
        RequestCase{"two_words", "%eval", "foo", {"dep1", "dep2"},
                    "[%pim-eval ['foo' [dep1 dep2 ~]]]",
                    "[0 %brax [%base %eval %noun [%pim-eval ['foo' [dep1 dep2 ~]]]]]"},
        RequestCase{"empty_expression", "%eval", "", {},
                    "[%pim-eval '']",
                    "[0 %brax [%base %eval %noun [%pim-eval '']]]"},
        RequestCase{"empty_expression_with_word", "%murl-eval", "", {"d"},
                    "[%pim-eval ['' [d ~]]]",
                    "[0 %brax [%base %murl-eval %noun [%pim-eval ['' [d ~]]]]]"},
        RequestCase{"one_empty_word", "%eval", "x", {""},
                    "[%pim-eval ['x' [ ~]]]",
                    "[0 %brax [%base %eval %noun [%pim-eval ['x' [ ~]]]]]"},
        RequestCase{"empty_word_last", "%eval", "x", {"a", ""},
                    "[%pim-eval ['x' [a  ~]]]",
                    "[0 %brax [%base %eval %noun [%pim-eval ['x' [a  ~]]]]]"},
        RequestCase{"empty_word_first", "%eval", "x", {"", "a"},
                    "[%pim-eval ['x' [ a ~]]]",
                    "[0 %brax [%base %eval %noun [%pim-eval ['x' [ a ~]]]]]"},
        RequestCase{"two_empty_words", "%eval", "x", {"", ""},
                    "[%pim-eval ['x' [  ~]]]",
                    "[0 %brax [%base %eval %noun [%pim-eval ['x' [  ~]]]]]"},
        RequestCase{"word_with_space", "%eval", "x", {"p q"},
                    "[%pim-eval ['x' [p q ~]]]",
                    "[0 %brax [%base %eval %noun [%pim-eval ['x' [p q ~]]]]]"},
        RequestCase{"quote_in_expression", "%eval", "it's", {},
                    "[%pim-eval 'it's']",
                    "[0 %brax [%base %eval %noun [%pim-eval 'it's']]]"},
        RequestCase{"backslash_bracket_newline", "%eval", "a\\b]\n[c", {"\"q\"", "l\nm"},
                    "[%pim-eval ['a\\b]\n[c' [\"q\" l\nm ~]]]",
                    "[0 %brax [%base %eval %noun [%pim-eval ['a\\b]\n[c' [\"q\" l\nm ~]]]]]"},
        RequestCase{"hyphen_words", "%eval", "x", {"-k", "-h", "-5"},
                    "[%pim-eval ['x' [-k -h -5 ~]]]",
                    "[0 %brax [%base %eval %noun [%pim-eval ['x' [-k -h -5 ~]]]]]"},
        RequestCase{"utf8_and_nul", "%eval", "\xC3\xA9\0z"sv, {"\xF0\x9F\x99\x82"},
                    "[%pim-eval ['\xC3\xA9\0z' [\xF0\x9F\x99\x82 ~]]]"sv,
                    "[0 %brax [%base %eval %noun [%pim-eval ['\xC3\xA9\0z' [\xF0\x9F\x99\x82 ~]]]]]"sv}),
    [](const ::testing::TestParamInfo<RequestCase>& info) { return std::string{info.param.name}; });

// A large request is built in one buffer of exactly its size, and every
// word lands in order between single spaces.
TEST(RequestTextLarge, ExactSizeAndOrder) {
    std::vector<std::string> storage;
    storage.reserve(50000);
    for (int index = 0; index < 50000; ++index) {
        storage.push_back(std::string{"w"}.append(std::to_string(index)));
    }
    const std::vector<std::string_view> words(storage.begin(), storage.end());
    const std::string line = format_request("%eval", "(big)", words);

    std::string joined;
    for (const std::string& word : storage) {
        joined += (joined.empty() ? "" : " ") + word;
    }
    const std::string expected = "[0 %brax [%base %eval %noun [%pim-eval ['(big)' [" + joined +
                                 " ~]]]]]";
    EXPECT_EQ(line, expected);
    EXPECT_EQ(line.capacity(), line.size());

    const std::string with_line_end = format_request("%eval", "(big)", words, "\n");
    EXPECT_EQ(with_line_end, expected + "\n");
    EXPECT_EQ(with_line_end.capacity(), with_line_end.size());
}

}  // namespace
}  // namespace quirt_format
