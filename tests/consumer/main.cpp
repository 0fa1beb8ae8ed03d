// Calls the library as a user's program would, and checks the line.
#include <quirt_format/request.hpp>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

int main() {
    const std::string expected =
        "[0 %brax [%base %murl-eval %noun [%pim-eval ['(add 1 2)' [dep1 dep2 ~]]]]]";
    const std::vector<std::string_view> words{"dep1", "dep2"};
    const std::string line = quirt_format::format_request("%murl-eval", "(add 1 2)", words);
    if (line != expected) {
        std::fprintf(stderr, "got %s\n", line.c_str());
        return 1;
    }
    return std::printf("%s\n", line.c_str()) < 0 ? 1 : 0;
}
