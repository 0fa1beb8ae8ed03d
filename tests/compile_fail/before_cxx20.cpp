// Compiled as C++17: the header must stop the compile with one error that
// names C++20, before anything else.
#include <quirt_format/request.hpp>

#include <string>
#include <vector>

int main() {
    const std::vector<std::string> words{"dep1"};
    return quirt_format::format_request("%eval", "x", words).empty() ? 1 : 0;
}
