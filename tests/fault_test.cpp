// End-to-end: broken and closed streams, the largest arguments, and memory
// exhaustion.
#include "expected_text.hpp"
#include "run_process.hpp"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <string>
#include <tuple>
#include <vector>

namespace quirt_format::testing {
namespace {

enum class Run { request, usage, failure, invalid_utf8 };

// What the descriptors are when the tool starts.
enum class Condition {
    stdout_full,
    stdout_reader_gone,
    stdout_closed,
    stderr_full,
    stderr_reader_gone,
    stderr_closed,
    all_closed,
};

constexpr std::string_view REQUEST_LINE = "[0 %brax [%base %eval %noun [%pim-eval ['x' [d ~]]]]]\n";

std::vector<std::string> arguments_for(Run run) {
    switch (run) {
        case Run::request: return {"quirt-format", "x", "d"};
        case Run::usage: return {"quirt-format", "-h"};
        case Run::failure: return {"quirt-format", "-x"};
        case Run::invalid_utf8: return {"quirt-format", "-h", "\xFF"};
    }
    return {};
}

struct Expected {
    int status;
    std::string output;
    std::string error;
};

// What a run writes with every stream working.
Expected normal_result(Run run) {
    switch (run) {
        case Run::request: return {0, std::string{REQUEST_LINE}, ""};
        case Run::usage: return {0, "", expected_usage("quirt-format")};
        case Run::failure: return {1, "", expected_failure("Invalid option: -x")};
        case Run::invalid_utf8:
            return {101, "", "quirt-format: argument 2 is not valid UTF-8: \"\\xFF\"\n"};
    }
    return {};
}

// A closed stream is opened on /dev/null: the run goes as normal, and what
// it wrote there is gone. A stream that fails to take a write makes 101.
Expected expected_result(Condition condition, Run run) {
    Expected expected = normal_result(run);
    switch (condition) {
        case Condition::stdout_full:
        case Condition::stdout_reader_gone:
            if (run == Run::request) {
                const char* const reason = condition == Condition::stdout_full
                                               ? "No space left on device"
                                               : "Broken pipe";
                expected = {101, "",
                            std::string{"quirt-format: failed printing to stdout: "} + reason + "\n"};
            }
            break;
        case Condition::stdout_closed:
            expected.output.clear();
            break;
        case Condition::stderr_full:
        case Condition::stderr_reader_gone:
            if (!expected.error.empty()) {
                expected.status = 101;
            }
            expected.error.clear();
            break;
        case Condition::stderr_closed:
            expected.error.clear();
            break;
        case Condition::all_closed:
            expected.output.clear();
            expected.error.clear();
            break;
    }
    return expected;
}

std::tuple<Stream, Stream, Stream> streams_for(Condition condition) {
    switch (condition) {
        case Condition::stdout_full: return {Stream::dev_null, Stream::dev_full, Stream::captured};
        case Condition::stdout_reader_gone:
            return {Stream::dev_null, Stream::broken_pipe, Stream::captured};
        case Condition::stdout_closed: return {Stream::dev_null, Stream::closed, Stream::captured};
        case Condition::stderr_full: return {Stream::dev_null, Stream::captured, Stream::dev_full};
        case Condition::stderr_reader_gone:
            return {Stream::dev_null, Stream::captured, Stream::broken_pipe};
        case Condition::stderr_closed: return {Stream::dev_null, Stream::captured, Stream::closed};
        case Condition::all_closed: return {Stream::closed, Stream::closed, Stream::closed};
    }
    return {};
}

std::string fault_case_name(const ::testing::TestParamInfo<std::tuple<Condition, Run>>& info) {
    constexpr std::array CONDITIONS{"stdout_full",   "stdout_reader_gone", "stdout_closed",
                                    "stderr_full",   "stderr_reader_gone", "stderr_closed",
                                    "all_closed"};
    constexpr std::array RUNS{"request", "usage", "failure", "invalid_utf8"};
    return std::string{CONDITIONS.at(static_cast<std::size_t>(std::get<0>(info.param)))} + "_" +
           RUNS.at(static_cast<std::size_t>(std::get<1>(info.param)));
}

class FaultMatrix : public ::testing::TestWithParam<std::tuple<Condition, Run>> {};

TEST_P(FaultMatrix, StatusAndBothStreams) {
    const auto [condition, run] = GetParam();
    const auto [input, output, error] = streams_for(condition);
    const ProcessResult result = run_process(arguments_for(run), input, output, error);
    const Expected expected = expected_result(condition, run);
    EXPECT_FALSE(result.signal.has_value()) << "signal " << result.signal.value_or(0);
    EXPECT_EQ(result.exit_status, expected.status);
    EXPECT_EQ(result.output, expected.output);
    EXPECT_EQ(result.error, expected.error);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, FaultMatrix,
    ::testing::Combine(::testing::Values(Condition::stdout_full, Condition::stdout_reader_gone,
                                         Condition::stdout_closed, Condition::stderr_full,
                                         Condition::stderr_reader_gone, Condition::stderr_closed,
                                         Condition::all_closed),
                       ::testing::Values(Run::request, Run::usage, Run::failure,
                                         Run::invalid_utf8)),
    fault_case_name);

// Text of the given size that mixes ASCII with two-, three- and four-byte
// UTF-8 sequences, and varies so that a byte out of place shows.
std::string varied_text(std::size_t size, std::size_t seed) {
    const std::vector<std::string> pieces = {"(velk ", "\xC3\xA9", "\xE2\x82\xAC", "0123456789",
                                             "\xF0\x9F\x99\x82", "'quoted' ", "\n", "]["};
    std::string text;
    while (text.size() < size) {
        const std::string& piece = pieces[(text.size() + seed) % pieces.size()];
        text += text.size() + piece.size() <= size ? piece : std::string(size - text.size(), 'z');
    }
    return text;
}

// A request with the expression and dependency words of varied text, of
// length_of(index) bytes each, until they join to at least the given bytes.
struct WordsRequest {
    std::vector<std::string> arguments;
    std::string line;
};

WordsRequest words_request(const std::string& expression, std::size_t bytes,
                           std::size_t (*length_of)(std::size_t index)) {
    WordsRequest request{{"quirt-format", expression}, {}};
    std::string joined;
    for (std::size_t index = 0; joined.size() < bytes; ++index) {
        request.arguments.push_back(varied_text(length_of(index), index));
        joined += (index == 0 ? "" : " ") + request.arguments.back();
    }
    request.line = "[0 %brax [%base %eval %noun [%pim-eval ['" + expression + "' [" + joined +
                   " ~]]]]]\n";
    return request;
}

ProcessResult run_with_slow_reader(std::vector<std::string> arguments, std::size_t read_size) {
    Launch launch;
    launch.arguments = std::move(arguments);
    launch.read_size = read_size;
    launch.read_pause = std::chrono::microseconds{20};
    return run_process(launch);
}

// The kernel takes no single argument longer than 131071 bytes.
TEST(LargeRequest, LongestArgumentArrivesWhole) {
    const std::string expression = varied_text(131071, 0);
    const ProcessResult result = run_with_slow_reader({"quirt-format", "-k", expression}, 512);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.error, "");
    EXPECT_TRUE(result.output ==
                "[0 %brax [%base %murl-eval %noun [%pim-eval '" + expression + "']]]\n")
        << "output of " << result.output.size() << " bytes differs";
}

TEST(LargeRequest, MegabytesOfWordsArriveWhole) {
    const WordsRequest request =
        words_request("(deps)", 1'200'000, [](std::size_t index) { return 1 + index % 61; });
    const ProcessResult result = run_with_slow_reader(request.arguments, 4096);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.error, "");
    EXPECT_TRUE(result.output == request.line)
        << "output of " << result.output.size() << " bytes differs";
}

// Whether a run under a memory limit got as far as main. Near the least
// limit at which the tool can start, the kernel may fail to load it and,
// past the point of no return, kill it with SIGSEGV; or the C library may
// fail to set up the thread's storage (a static tool), or the dynamic
// loader to map a library, and exit with 127. None of them has written
// anything of the tool's own.
bool reached_main(const ProcessResult& result) {
    const bool killed_while_loading =
        result.signal == SIGSEGV && result.output.empty() && result.error.empty();
    const bool failed_before_main =
        result.exit_status == 127 &&
        (result.error == "Fatal glibc error: Cannot allocate TLS block\n" ||
         result.error.find("error while loading shared libraries") != std::string::npos);
    return !killed_while_loading && !failed_before_main;
}

// Under data-size limits rising a page at a time from below the least at
// which the tool starts, every run that reaches main either prints the
// whole line or says that memory ran out and aborts: never a partial or
// wrong line, never another way of dying. The tunable makes malloc ask the kernel for
// no more than it needs, so that each limit fails a different allocation.
TEST(MemoryExhaustion, EveryRunPrintsTheWholeLineOrSaysSo) {
#if defined(QUIRT_FORMAT_SANITIZED)
    GTEST_SKIP() << "sanitizers reserve terabytes of shadow memory: no memory limit fits";
#endif
    if (under_valgrind()) {
        GTEST_SKIP() << "valgrind needs more memory than any limit that tests the tool";
    }
    const WordsRequest request =
        words_request("(big)", 24'000, [](std::size_t) { return std::size_t{8}; });
    const auto run_under = [&](rlim_t limit) {
        Launch launch;
        launch.arguments = request.arguments;
        launch.data_limit = limit;
        launch.environment = {"GLIBC_TUNABLES=glibc.malloc.top_pad=0"};
        return run_process(launch);
    };
    constexpr rlim_t PAGE = 4096;
    constexpr rlim_t COARSE = 16 * PAGE;
    constexpr rlim_t MOST = rlim_t{1} << 30;
    rlim_t first_start = COARSE;
    while (first_start < MOST && !reached_main(run_under(first_start))) {
        first_start += COARSE;
    }
    ASSERT_LT(first_start, MOST) << "the tool never started";
    int aborted = 0;
    for (rlim_t limit = first_start - COARSE; limit < MOST; limit += PAGE) {
        const ProcessResult result = run_under(limit);
        if (!reached_main(result)) {
            continue;
        }
        if (result.exit_status == 0) {
            EXPECT_TRUE(result.output == request.line) << "limit " << limit << ": a wrong line";
            EXPECT_EQ(result.error, "") << "limit " << limit;
            EXPECT_GT(aborted, 0) << "no limit made the tool run out of memory";
            return;
        }
        EXPECT_EQ(result.signal, SIGABRT) << "limit " << limit << ": status "
                                          << result.exit_status.value_or(-1) << ", " << result.error;
        EXPECT_EQ(result.output, "") << "limit " << limit;
        EXPECT_EQ(result.error, "quirt-format: out of memory\n") << "limit " << limit;
        ++aborted;
    }
    ADD_FAILURE() << "no limit let the request through";
}

}  // namespace
}  // namespace quirt_format::testing
