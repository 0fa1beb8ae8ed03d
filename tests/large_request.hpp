// Requests of many dependency words, each different from its neighbours so
// that a byte out of place shows, with the line the tool must print.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quirt_format::testing {

struct LargeRequest {
    std::vector<std::string> arguments;  // argument zero included
    std::string line;                    // with its newline
};

// Text of the given size that mixes ASCII with two-, three- and four-byte
// UTF-8 sequences, and varies with the seed.
inline std::string varied_text(std::size_t size, std::size_t seed) {
    const std::vector<std::string> pieces = {"(velk ", "\xC3\xA9", "\xE2\x82\xAC", "0123456789",
                                             "\xF0\x9F\x99\x82", "'quoted' ", "\n", "]["};
    std::string text;
    while (text.size() < size) {
        const std::string& piece = pieces[(text.size() + seed) % pieces.size()];
        text += text.size() + piece.size() <= size ? piece : std::string(size - text.size(), 'z');
    }
    return text;
}

// The expression, then dependency words of varied text, word index taking
// length_of(index) bytes, until they join to at least the given bytes.
inline LargeRequest large_request(const std::string& expression, std::size_t bytes,
                                  std::size_t (*length_of)(std::size_t index)) {
    LargeRequest request{{"quirt-format", expression}, {}};
    std::string joined;
    for (std::size_t index = 0; joined.size() < bytes; ++index) {
        request.arguments.push_back(varied_text(length_of(index), index));
        joined += (index == 0 ? "" : " ") + request.arguments.back();
    }
    request.line = "[0 %brax [%base %eval %noun [%pim-eval ['" + expression + "' [" + joined +
                   " ~]]]]]\n";
    return request;
}

// Over a megabyte of words from 1 to 61 bytes: far more than a pipe holds,
// in few enough arguments for the kernel to pass.
inline LargeRequest megabyte_request() {
    return large_request("(deps)", 1'200'000, [](std::size_t index) { return 1 + index % 61; });
}

}  // namespace quirt_format::testing
