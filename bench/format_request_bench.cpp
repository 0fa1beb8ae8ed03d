// format_request alone, in process: bytes of request text per second.
#include <quirt_format/request.hpp>

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

void format(benchmark::State& state, std::size_t word_bytes) {
    std::vector<std::string> storage;
    for (std::size_t total = 0; total < word_bytes; total += storage.back().size() + 1) {
        storage.push_back("dependency" + std::to_string(storage.size()));
    }
    const std::vector<std::string_view> words(storage.begin(), storage.end());
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string line = quirt_format::format_request("%eval", "(add 1 2)", words);
        benchmark::DoNotOptimize(line.data());
        bytes += line.size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void small_request(benchmark::State& state) { format(state, 10); }
void large_request(benchmark::State& state) { format(state, std::size_t{1} << 20); }

}  // namespace

BENCHMARK(small_request);
BENCHMARK(large_request);
BENCHMARK_MAIN();
