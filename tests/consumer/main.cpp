// Calls the library as a user's program would, with each container of
// dependency words it takes, and checks every line.
#include <quirt_format/request.hpp>

#include <array>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

const std::string EXPECTED =
    "[0 %brax [%base %murl-eval %noun [%pim-eval ['(add 1 2)' [dep1 dep2 ~]]]]]";

int failures = 0;

void check(const char* form, const std::string& line) {
    if (line != EXPECTED) {
        std::fprintf(stderr, "%s: got %s\n", form, line.c_str());
        ++failures;
    }
}

}  // namespace

int main() {
    using quirt_format::format_request;
    const std::vector<std::string> strings{"dep1", "dep2"};
    const std::vector<std::string_view> views{"dep1", "dep2"};
    const std::array<const char*, 2> pointers{"dep1", "dep2"};
    const char* const c_array[] = {"dep1", "dep2"};
    const std::span<const std::string_view> span{views};

    check("std::vector<std::string>", format_request("%murl-eval", "(add 1 2)", strings));
    check("std::vector<std::string_view>", format_request("%murl-eval", "(add 1 2)", views));
    check("std::array<const char*>", format_request("%murl-eval", "(add 1 2)", pointers));
    check("const char*[]", format_request("%murl-eval", "(add 1 2)", c_array));
    check("braced list", format_request("%murl-eval", "(add 1 2)", {"dep1", "dep2"}));
    check("std::span<const std::string_view>", format_request("%murl-eval", "(add 1 2)", span));
    check("with a line end", format_request("%murl-eval", "(add 1 2)", strings, "\n")
                                 .substr(0, EXPECTED.size()));
    if (quirt_format::format_eval_expression("x", {}) != "[%pim-eval 'x']" ||
        quirt_format::format_eval_expression("x", strings) != "[%pim-eval ['x' [dep1 dep2 ~]]]") {
        std::fprintf(stderr, "format_eval_expression: a wrong element\n");
        ++failures;
    }
    if (failures > 0) {
        return 1;
    }
    return std::printf("%s\n", EXPECTED.c_str()) < 0 ? 1 : 0;
}
