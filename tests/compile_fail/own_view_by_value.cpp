// A range that yields a view type of the user's own by value: the words it
// views stay in place, but the library cannot know that of a type that is
// neither a reference, a pointer nor a borrowed range. It must refuse the
// range and say what each word must be, std::string_view among them.
#include <quirt_format/request.hpp>

#include <array>
#include <cstddef>
#include <string_view>

namespace {

struct WordView {
    const char* text;
    operator std::string_view() const { return text; }
};

const std::array<const char*, 2> TEXTS{"dep1", "dep2"};

struct Words {
    struct Iterator {
        using value_type = WordView;
        using difference_type = std::ptrdiff_t;
        std::size_t at = 0;
        WordView operator*() const { return {TEXTS[at]}; }
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
    [[nodiscard]] Iterator begin() const { return {0}; }
    [[nodiscard]] Iterator end() const { return {TEXTS.size()}; }
};

}  // namespace

int main() {
    const Words words;
    return quirt_format::format_request(quirt_format::EVAL_THREAD, "x", words).empty() ? 1 : 0;
}
