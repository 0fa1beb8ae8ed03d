// A range of move iterators can be read only once: the library must refuse
// it at compile time and say that the words must be a forward range.
#include <quirt_format/request.hpp>

#include <iterator>
#include <string>
#include <vector>

namespace {

struct MovedWords {
    std::vector<std::string> words{"dep1", "dep2"};
    auto begin() { return std::make_move_iterator(words.begin()); }
    auto end() { return std::make_move_iterator(words.end()); }
};

}  // namespace

int main() {
    MovedWords moved;
    return quirt_format::format_request(quirt_format::EVAL_THREAD, "x", moved).empty() ? 1 : 0;
}
