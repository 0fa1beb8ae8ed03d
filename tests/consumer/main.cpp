// Calls the library as a user's program would, with every form of
// dependency words it takes, with and without a line end, and compares
// each whole line. Built with the library in every test run, and from the
// installed package, under AddressSanitizer, by the install check.
#include <quirt_format/request.hpp>

#include <array>
#include <cstdio>
#include <cstddef>
#include <list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

const std::string LINE = "[0 %brax [%base %murl-eval %noun [%pim-eval ['(add 1 2)' [dep1 dep2 ~]]]]]";
const std::string ELEMENT = "[%pim-eval ['(add 1 2)' [dep1 dep2 ~]]]";

int failures = 0;

void check(const std::string& form, const std::string& got, const std::string& expected) {
    if (got != expected) {
        std::fprintf(stderr, "%s: got \"%s\", expected \"%s\"\n", form.c_str(), got.c_str(),
                     expected.c_str());
        ++failures;
    }
}

// The two words "dep1" and "dep2" in the given form: the line, the line
// with its line end, and the element.
void check_form(const std::string& form, auto&& words) {
    using quirt_format::format_eval_expression;
    using quirt_format::format_request;
    using quirt_format::MURL_EVAL_THREAD;
    check(form, format_request(MURL_EVAL_THREAD, "(add 1 2)", words), LINE);
    check(form + " with a line end", format_request(MURL_EVAL_THREAD, "(add 1 2)", words, "\n"),
          LINE + "\n");
    check(form + ", the element", format_eval_expression("(add 1 2)", words), ELEMENT);
}

// A range of the user's own, like a filter view: walked only when it is not
// const, and yielding views of words that stay in its storage.
class OwnRange {
public:
    struct Iterator {
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        const std::string* at = nullptr;
        std::string_view operator*() const { return *at; }
        Iterator& operator++() {
            ++at;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++at;
            return before;
        }
        bool operator==(const Iterator&) const = default;
    };
    Iterator begin() { return {words_.data()}; }
    Iterator end() { return {words_.data() + words_.size()}; }

private:
    std::vector<std::string> words_{"dep1", "dep2"};
};

// A non-owning text type of the user's own, kept in a container: each word
// is a reference into it.
struct UserWord {
    const char* text;
    operator std::string_view() const { return text; }  // NOLINT(google-explicit-constructor)
};

}  // namespace

int main() {
    using quirt_format::EVAL_THREAD;
    using quirt_format::format_eval_expression;
    using quirt_format::format_request;
    using quirt_format::MURL_EVAL_THREAD;
    const std::vector<std::string> strings{"dep1", "dep2"};
    const std::vector<std::string_view> views{"dep1", "dep2"};
    const std::array<const char*, 2> pointers{"dep1", "dep2"};
    const char* const c_array[] = {"dep1", "dep2"};
    const std::vector<const char*> pointer_vector{"dep1", "dep2"};
    const std::list<std::string> list{"dep1", "dep2"};
    const std::vector<UserWord> user_words{{"dep1"}, {"dep2"}};

    check_form("std::vector<std::string>", strings);
    check_form("std::vector<std::string_view>", views);
    check_form("std::span<const std::string_view>", std::span<const std::string_view>{views});
    check_form("std::array<const char*>", pointers);
    check_form("const char*[]", c_array);
    check_form("std::vector<const char*>", pointer_vector);
    check_form("std::list<std::string>", list);
    check_form("std::vector of the user's own text type", user_words);
    check_form("a temporary std::vector<std::string>", std::vector<std::string>{"dep1", "dep2"});
    OwnRange own_range;
    check_form("a range of the user's own", own_range);

    check("braced list", format_request(MURL_EVAL_THREAD, "(add 1 2)", {"dep1", "dep2"}), LINE);
    check("braced list with a line end",
          format_request(MURL_EVAL_THREAD, "(add 1 2)", {"dep1", "dep2"}, "\n"), LINE + "\n");
    check("braced list, the element", format_eval_expression("(add 1 2)", {"dep1", "dep2"}),
          ELEMENT);
    check("{}", format_request(EVAL_THREAD, "x", {}),
          "[0 %brax [%base %eval %noun [%pim-eval 'x']]]");
    check("{} with a line end", format_request(EVAL_THREAD, "x", {}, "\n"),
          "[0 %brax [%base %eval %noun [%pim-eval 'x']]]\n");
    check("{}, the element", format_eval_expression("x", {}), "[%pim-eval 'x']");

    if (failures > 0) {
        return 1;
    }
    return std::printf("%s\n", LINE.c_str()) < 0 ? 1 : 0;
}
