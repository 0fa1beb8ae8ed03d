// Words made on the fly die before the line is built: the library must
// refuse them at compile time and say why. This range makes each word when
// it is read, as a transform view that returns std::string does.
#include <quirt_format/request.hpp>

#include <cstddef>
#include <string>

namespace {

struct NumberWords {
    struct Iterator {
        using value_type = std::string;
        using difference_type = std::ptrdiff_t;
        int number = 0;
        std::string operator*() const { return std::to_string(number) + "-suffix"; }
        Iterator& operator++() {
            ++number;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++number;
            return before;
        }
        bool operator==(const Iterator&) const = default;
    };
    [[nodiscard]] Iterator begin() const { return {1}; }
    [[nodiscard]] Iterator end() const { return {3}; }
};

}  // namespace

int main() {
    const NumberWords words;
    return quirt_format::format_request("%eval", "x", words).empty() &&
           quirt_format::format_eval_expression("x", words).empty();
}
