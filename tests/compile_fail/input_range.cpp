// An input range can be read only once, and promises nothing of its words
// once its iterator has moved on, even where they stay in place, as these
// do: the library must refuse it and say that the words must be a forward
// range.
#include <quirt_format/request.hpp>

#include <array>
#include <cstddef>

namespace {

const std::array<const char*, 2> TEXTS{"dep1", "dep2"};

struct OnceWords {
    struct Iterator {
        using value_type = const char*;
        using difference_type = std::ptrdiff_t;
        std::size_t at = 0;
        const char* operator*() const { return TEXTS[at]; }
        Iterator& operator++() {
            ++at;
            return *this;
        }
        void operator++(int) { ++at; }
        bool operator==(std::default_sentinel_t) const { return at == TEXTS.size(); }
    };
    [[nodiscard]] Iterator begin() const { return {}; }
    [[nodiscard]] std::default_sentinel_t end() const { return {}; }
};

}  // namespace

int main() {
    const OnceWords words;
    return quirt_format::format_request(quirt_format::EVAL_THREAD, "x", words).empty() ? 1 : 0;
}
