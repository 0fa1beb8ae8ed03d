// End-to-end: broken and closed streams, the largest arguments, and memory
// exhaustion.
#include "expected_text.hpp"
#include "large_request.hpp"
#include "run_case.hpp"
#include "run_process.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <ostream>
#include <string>
#include <vector>

namespace quirt_format::testing {
namespace {

class FaultMatrix : public ::testing::TestWithParam<RunCase> {};

TEST_P(FaultMatrix, StatusAndBothStreams) { expect_row(GetParam()); }

// What the run with the argument "\xFF" says.
constexpr const char* INVALID_UTF8 =
    "quirt-format: argument 2 is not valid UTF-8: \"\\xFF\"\n";

constexpr Stream FULL = Stream::dev_full;
constexpr Stream GONE = Stream::broken_pipe;
constexpr Stream CLOSED = Stream::closed;

// A stream that cannot take the tool's writing makes status 101, and only
// a failed standard output is reported; a closed stream is opened on
// /dev/null, so the run goes as normal and what it wrote there is gone.
INSTANTIATE_TEST_SUITE_P(
    Streams, FaultMatrix,
    ::testing::Values(
        RunCase{"stdout_full_request",
                   {.arguments = {"quirt-format", "x", "d"}, .output = FULL},
                   101, "", stdout_failure("No space left on device")},
        RunCase{"stdout_full_usage",
                   {.arguments = {"quirt-format", "-h"}, .output = FULL},
                   0, "", expected_usage("quirt-format")},
        RunCase{"stdout_full_failure",
                   {.arguments = {"quirt-format", "-x"}, .output = FULL},
                   1, "", expected_failure("Invalid option: -x")},
        RunCase{"stdout_full_invalid_utf8",
                   {.arguments = {"quirt-format", "-h", "\xFF"}, .output = FULL},
                   101, "", INVALID_UTF8},
        RunCase{"stdout_reader_gone_request",
                   {.arguments = {"quirt-format", "x", "d"}, .output = GONE},
                   101, "", stdout_failure("Broken pipe")},
        RunCase{"stdout_reader_gone_usage",
                   {.arguments = {"quirt-format", "-h"}, .output = GONE},
                   0, "", expected_usage("quirt-format")},
        RunCase{"stdout_reader_gone_failure",
                   {.arguments = {"quirt-format", "-x"}, .output = GONE},
                   1, "", expected_failure("Invalid option: -x")},
        RunCase{"stdout_reader_gone_invalid_utf8",
                   {.arguments = {"quirt-format", "-h", "\xFF"}, .output = GONE},
                   101, "", INVALID_UTF8},
        RunCase{"stdout_closed_request",
                   {.arguments = {"quirt-format", "x", "d"}, .output = CLOSED},
                   0, "", ""},
        RunCase{"stdout_closed_usage",
                   {.arguments = {"quirt-format", "-h"}, .output = CLOSED},
                   0, "", expected_usage("quirt-format")},
        RunCase{"stdout_closed_failure",
                   {.arguments = {"quirt-format", "-x"}, .output = CLOSED},
                   1, "", expected_failure("Invalid option: -x")},
        RunCase{"stdout_closed_invalid_utf8",
                   {.arguments = {"quirt-format", "-h", "\xFF"}, .output = CLOSED},
                   101, "", INVALID_UTF8},
        RunCase{"stderr_full_request",
                   {.arguments = {"quirt-format", "x", "d"}, .error = FULL},
                   0, REQUEST_LINE, ""},
        RunCase{"stderr_full_usage",
                   {.arguments = {"quirt-format", "-h"}, .error = FULL},
                   101, "", ""},
        RunCase{"stderr_full_failure",
                   {.arguments = {"quirt-format", "-x"}, .error = FULL},
                   101, "", ""},
        RunCase{"stderr_full_invalid_utf8",
                   {.arguments = {"quirt-format", "-h", "\xFF"}, .error = FULL},
                   101, "", ""},
        RunCase{"stderr_reader_gone_request",
                   {.arguments = {"quirt-format", "x", "d"}, .error = GONE},
                   0, REQUEST_LINE, ""},
        RunCase{"stderr_reader_gone_usage",
                   {.arguments = {"quirt-format", "-h"}, .error = GONE},
                   101, "", ""},
        RunCase{"stderr_reader_gone_failure",
                   {.arguments = {"quirt-format", "-x"}, .error = GONE},
                   101, "", ""},
        RunCase{"stderr_reader_gone_invalid_utf8",
                   {.arguments = {"quirt-format", "-h", "\xFF"}, .error = GONE},
                   101, "", ""},
        RunCase{"stderr_closed_request",
                   {.arguments = {"quirt-format", "x", "d"}, .error = CLOSED},
                   0, REQUEST_LINE, ""},
        RunCase{"stderr_closed_usage",
                   {.arguments = {"quirt-format", "-h"}, .error = CLOSED},
                   0, "", ""},
        RunCase{"stderr_closed_failure",
                   {.arguments = {"quirt-format", "-x"}, .error = CLOSED},
                   1, "", ""},
        RunCase{"stderr_closed_invalid_utf8",
                   {.arguments = {"quirt-format", "-h", "\xFF"}, .error = CLOSED},
                   101, "", ""},
        RunCase{"all_closed_request",
                   {.arguments = {"quirt-format", "x", "d"},
                    .input = CLOSED, .output = CLOSED, .error = CLOSED},
                   0, "", ""},
        RunCase{"all_closed_usage",
                   {.arguments = {"quirt-format", "-h"},
                    .input = CLOSED, .output = CLOSED, .error = CLOSED},
                   0, "", ""},
        RunCase{"all_closed_failure",
                   {.arguments = {"quirt-format", "-x"},
                    .input = CLOSED, .output = CLOSED, .error = CLOSED},
                   1, "", ""},
        RunCase{"all_closed_invalid_utf8",
                   {.arguments = {"quirt-format", "-h", "\xFF"},
                    .input = CLOSED, .output = CLOSED, .error = CLOSED},
                   101, "", ""}),
    run_case_name);

void expect_whole_line(const ProcessResult& result, const std::string& line) {
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.error, "");
    EXPECT_TRUE(result.output == line) << "output of " << result.output.size() << " bytes differs";
}

// The kernel takes no single argument longer than 131071 bytes.
TEST(LargeRequest, LongestArgumentArrivesWhole) {
    const std::string expression = varied_text(131071, 0);
    expect_whole_line(run_process({.arguments = {"quirt-format", "-k", expression},
                                   .read_size = 512,
                                   .read_pause = std::chrono::microseconds{20}}),
                      "[0 %brax [%base %murl-eval %noun [%pim-eval '" + expression + "']]]\n");
}

TEST(LargeRequest, MegabytesOfWordsArriveWhole) {
    const LargeRequest request = megabyte_request();
    expect_whole_line(run_process({.arguments = request.arguments,
                                   .read_size = 4096,
                                   .read_pause = std::chrono::microseconds{20}}),
                      request.line);
}

// Whether a run under a memory limit got as far as main. Near the least
// limit at which the tool can start, the kernel may fail to load it and,
// past the point of no return, kill it with SIGSEGV before it has written
// anything; or the C library (of a static tool) or the dynamic loader may
// fail to set up the process, say so and exit with 127, a status the tool
// itself never gives.
bool reached_main(const ProcessResult& result) {
    const bool killed_while_loading =
        result.signal == SIGSEGV && result.output.empty() && result.error.empty();
    return !killed_while_loading && result.exit_status != 127;
}

// Under data-size limits rising a page at a time from below the least at
// which the tool starts, every run that reaches main either prints the
// whole line or says that memory ran out and aborts: never a partial or
// wrong line, never another way of dying. The tunable makes malloc ask the
// kernel for no more than it needs, so that each limit fails a different
// allocation.
TEST(MemoryExhaustion, EveryRunPrintsTheWholeLineOrSaysSo) {
    if (tool_is_sanitized() || under_valgrind()) {
        GTEST_SKIP() << "sanitizers and valgrind need more memory than a limit that tests the tool";
    }
    if (tool_is_emulated()) {
        GTEST_SKIP() << "the tool runs under an emulator, which does not apply a data-size "
                        "limit: the limit would bound the emulator's own memory too";
    }
    const LargeRequest request =
        large_request("(big)", 24'000, [](std::size_t) { return std::size_t{8}; });
    const auto run_under = [&](rlim_t limit) {
        return run_process({.arguments = request.arguments,
                            .environment = {"GLIBC_TUNABLES=glibc.malloc.top_pad=0"},
                            .data_limit = limit});
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
        EXPECT_EQ(result.signal, SIGABRT)
            << "limit " << limit << ": status " << result.exit_status.value_or(-1) << ", "
            << result.error;
        EXPECT_EQ(result.output, "") << "limit " << limit;
        EXPECT_EQ(result.error, "quirt-format: out of memory\n") << "limit " << limit;
        ++aborted;
    }
    ADD_FAILURE() << "no limit let the request through";
}

}  // namespace
}  // namespace quirt_format::testing
