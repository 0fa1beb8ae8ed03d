// A compiler that has all that the header uses may still report an older
// __cplusplus in C++20 mode: g++ 10 says 201709L, and MSVC says 199711L
// unless given /Zc:__cplusplus. The header must take it. The standard
// headers that it includes come first, set up by the compiler's own value;
// the value is changed for the header alone.
#include <concepts>
#include <initializer_list>
#include <ranges>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>
#include <version>

#undef __cplusplus
#define __cplusplus 201709L
#include <quirt_format/request.hpp>

int main() {
    const std::vector<std::string> words{"dep1"};
    return quirt_format::format_request("%eval", "x", words).empty() ? 1 : 0;
}
