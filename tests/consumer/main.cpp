#include <quirt_format/request.hpp>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

int main() {
    const std::vector<std::string_view> words{"dep1", "dep2"};
    const std::string line = quirt_format::format_request("%murl-eval", "(add 1 2)", words);
    return std::printf("%s\n", line.c_str()) < 0 ? 1 : 0;
}
