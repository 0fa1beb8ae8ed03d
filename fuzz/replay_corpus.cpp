// Feeds every file of the given corpus folders to a fuzz target's entry
// point, once each, without libFuzzer: so the seed corpus, and any crash
// input saved into it, is replayed by every test run, with any compiler.
//   quirt_format_<target>_corpus FOLDER...
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char* argv[]) {
    std::size_t replayed = 0;
    for (int index = 1; index < argc; ++index) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[index])) {
            std::ifstream file{entry.path(), std::ios::binary};
            const std::string input{std::istreambuf_iterator<char>{file}, {}};
            if (!file.good() && !file.eof()) {
                (void)std::fprintf(stderr, "cannot read %s\n", entry.path().c_str());
                return 1;
            }
            // Named before it runs, unbuffered: an input that aborts is named last.
            (void)std::fprintf(stderr, "%s\n", entry.path().c_str());
            (void)LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()),
                                         input.size());
            ++replayed;
        }
    }
    (void)std::printf("replayed %zu inputs\n", replayed);
    return replayed > 0 ? 0 : 1;
}
