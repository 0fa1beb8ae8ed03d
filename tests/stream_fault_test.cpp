// End-to-end: system calls that fail on purpose, non-blocking and slow
// streams, short writes, a file-size limit, and one write per message.
#include "expected_text.hpp"
#include "large_request.hpp"
#include "run_case.hpp"
#include "run_process.hpp"

#include <fcntl.h>
#include <sys/syscall.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <ostream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace quirt_format::testing {
namespace {

// Calls on one descriptor (argument 0) that fail with error, or return 0.
Fault on_descriptor(long system_call, int descriptor, int error) {
    return {system_call, error, 0U, static_cast<unsigned long>(descriptor)};
}

// The tool's own open of /dev/null: it asks for O_RDWR and nothing more,
// though a 32-bit C library may add O_LARGEFILE.
const Fault OPEN_DEV_NULL_FAILS{SYS_openat, EACCES, 2U, O_RDWR,
                                ~static_cast<unsigned long>(O_LARGEFILE)};

// Every call that the C library's poll() may make: poll itself where the
// architecture has it, ppoll where it has only that (arm64, riscv64).
std::vector<Fault> poll_faults(int error) {
    std::vector<Fault> faults{{SYS_ppoll, error, {}, 0}};
#ifdef SYS_poll
    faults.push_back({SYS_poll, error, {}, 0});
#endif
    return faults;
}

constexpr const char* NO_FAULTS_UNDER_EMULATION =
    "the tool runs under an emulator, whose system calls the kernel sees in place of the "
    "tool's: a fault cannot be put into the tool's own";

class InjectedFault : public ::testing::TestWithParam<RunCase> {};

TEST_P(InjectedFault, StatusAndBothStreams) {
    const RunCase& c = GetParam();
    const Launch& launch = c.launch;
    if (tool_is_emulated()) {
        GTEST_SKIP() << NO_FAULTS_UNDER_EMULATION;
    }
    if (under_valgrind() && (launch.input == Stream::closed || launch.output == Stream::closed ||
                             launch.error == Stream::closed)) {
        GTEST_SKIP() << "valgrind's own files take the closed descriptors before the tool starts";
    }
    expect_row(c);
}

INSTANTIATE_TEST_SUITE_P(
    SystemCalls, InjectedFault,
    ::testing::Values(
        RunCase{"stdout_write_eio",
                     {.arguments = {"quirt-format", "x", "d"},
                      .faults = {on_descriptor(SYS_write, 1, EIO)}},
                     101, "", stdout_failure("Input/output error")},
        RunCase{"stdout_write_enospc",
                     {.arguments = {"quirt-format", "x", "d"},
                      .faults = {on_descriptor(SYS_write, 1, ENOSPC)}},
                     101, "", stdout_failure("No space left on device")},
        RunCase{"stdout_write_edquot",
                     {.arguments = {"quirt-format", "x", "d"},
                      .faults = {on_descriptor(SYS_write, 1, EDQUOT)}},
                     101, "", stdout_failure("Disk quota exceeded")},
        RunCase{"stdout_write_efbig",
                     {.arguments = {"quirt-format", "x", "d"},
                      .faults = {on_descriptor(SYS_write, 1, EFBIG)}},
                     101, "", stdout_failure("File too large")},
        // A write that takes nothing fails at once instead of being tried for ever.
        RunCase{"stdout_write_returns_zero",
                     {.arguments = {"quirt-format", "x", "d"},
                      .faults = {on_descriptor(SYS_write, 1, 0)}},
                     101, "", stdout_failure("Input/output error")},
        // The line went out, but closing says it may not have arrived.
        RunCase{"stdout_close_eio",
                     {.arguments = {"quirt-format", "x", "d"},
                      .faults = {on_descriptor(SYS_close, 1, EIO)}},
                     101, REQUEST_LINE, stdout_failure("Input/output error")},
        // Linux has freed the descriptor even so, and nothing was lost.
        RunCase{"stdout_close_eintr",
                     {.arguments = {"quirt-format", "x", "d"},
                      .faults = {on_descriptor(SYS_close, 1, EINTR)}},
                     0, REQUEST_LINE, ""},
        RunCase{"stderr_write_eio_usage",
                     {.arguments = {"quirt-format", "-h"},
                      .faults = {on_descriptor(SYS_write, 2, EIO)}},
                     101, "", ""},
        RunCase{"stderr_write_eio_failure",
                     {.arguments = {"quirt-format", "-x"},
                      .faults = {on_descriptor(SYS_write, 2, EIO)}},
                     101, "", ""},
        RunCase{"stderr_write_eio_invalid_utf8",
                     {.arguments = {"quirt-format", "\xFF"},
                      .faults = {on_descriptor(SYS_write, 2, EIO)}},
                     101, "", ""},
        RunCase{"stderr_write_returns_zero_usage",
                     {.arguments = {"quirt-format", "-h"},
                      .faults = {on_descriptor(SYS_write, 2, 0)}},
                     101, "", ""},
        RunCase{"stdout_eio_and_stderr_eio",
                     {.arguments = {"quirt-format", "x", "d"},
                      .faults = {on_descriptor(SYS_write, 1, EIO),
                                 on_descriptor(SYS_write, 2, EIO)}},
                     101, "", ""},
        // With /dev/null out of reach a closed stream stays closed: writing
        // to it fails, and nothing else takes its place.
        RunCase{"no_dev_null_stdin_closed",
                     {.arguments = {"quirt-format", "x", "d"}, .input = Stream::closed,
                      .faults = {OPEN_DEV_NULL_FAILS}},
                     0, REQUEST_LINE, ""},
        RunCase{"no_dev_null_stdout_closed",
                     {.arguments = {"quirt-format", "x", "d"}, .output = Stream::closed,
                      .faults = {OPEN_DEV_NULL_FAILS}},
                     101, "", stdout_failure("Bad file descriptor")},
        RunCase{"no_dev_null_stderr_closed_request",
                     {.arguments = {"quirt-format", "x", "d"}, .error = Stream::closed,
                      .faults = {OPEN_DEV_NULL_FAILS}},
                     0, REQUEST_LINE, ""},
        RunCase{"no_dev_null_stderr_closed_failure",
                     {.arguments = {"quirt-format", "-x"}, .error = Stream::closed,
                      .faults = {OPEN_DEV_NULL_FAILS}},
                     101, "", ""}),
    run_case_name);

void expect_whole_line(const ProcessResult& result, const std::string& line) {
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.error, "");
    EXPECT_TRUE(result.output == line) << "output of " << result.output.size() << " bytes differs";
}

// A non-blocking standard output says EAGAIN while its reader is slow; the
// tool waits for room and the whole line arrives.
TEST(NonBlocking, LateSlowReaderGetsTheWholeLine) {
    const LargeRequest request = megabyte_request();
    expect_whole_line(run_process({.arguments = request.arguments,
                                   .nonblocking_output = true,
                                   .read_size = 4096,
                                   .read_pause = std::chrono::microseconds{20},
                                   .read_delay = std::chrono::milliseconds{200}}),
                      request.line);
}

// Waiting for room can fail too; that is a failed write. Nothing is read
// until the tool has ended, so that its output is full however slow it is.
TEST(NonBlocking, FailedWaitIsReported) {
    if (tool_is_emulated()) {
        GTEST_SKIP() << NO_FAULTS_UNDER_EMULATION;
    }
    const ProcessResult result =
        run_process({.arguments = megabyte_request().arguments,
                     .faults = poll_faults(ENOMEM),
                     .nonblocking_output = true,
                     .read_after_exit = true});
    EXPECT_EQ(result.exit_status, 101);
    EXPECT_EQ(result.error, stdout_failure("Cannot allocate memory"));
}

// A standard error that is full and non-blocking when the tool starts: the
// usage text and a failure still arrive whole, after what was there.
TEST(NonBlocking, FullErrorStreamTakesTheUsageText) {
    for (const auto& [argument, status, text] :
         {std::tuple{"-h", 0, expected_usage("quirt-format")},
          std::tuple{"-x", 1, expected_failure("Invalid option: -x")}}) {
        const ProcessResult result = run_process({.arguments = {"quirt-format", argument},
                                                  .nonblocking_error = true,
                                                  .fill_error_first = true,
                                                  .read_delay = std::chrono::milliseconds{100}});
        EXPECT_EQ(result.exit_status, status) << argument;
        ASSERT_GT(result.error_filler, 0U);
        EXPECT_EQ(result.error.substr(0, result.error_filler),
                  std::string(result.error_filler, 'f'));
        EXPECT_EQ(result.error.substr(result.error_filler), text) << argument;
    }
}

// Stopping and continuing the tool while it is blocked on a full pipe
// makes its writes return short counts; the rest must still follow.
TEST(ShortWrites, StoppedWriterFinishesTheLine) {
    const LargeRequest request = megabyte_request();
    expect_whole_line(
        run_process({.arguments = request.arguments, .stop_and_continue = true, .read_size = 4096}),
        request.line);
}

// Over the file-size limit the write fails with EFBIG and is reported;
// the signal that would otherwise end the tool is ignored.
TEST(FileSizeLimit, OverTheLimitIsAFailedWrite) {
    if (under_valgrind()) {
        GTEST_SKIP() << "under valgrind the limit ends valgrind itself by SIGXFSZ";
    }
    // A limit that leaves room for the files a coverage build writes at exit.
    constexpr rlim_t LIMIT = 65536;
    const std::string expression(100'000, 'e');
    const ProcessResult result = run_process({.arguments = {"quirt-format", expression},
                                              .output = Stream::file,
                                              .file_size_limit = LIMIT});
    EXPECT_FALSE(result.signal.has_value()) << "signal " << result.signal.value_or(0);
    EXPECT_EQ(result.exit_status, 101);
    EXPECT_EQ(result.error, stdout_failure("File too large"));
    const std::string line = "[0 %brax [%base %eval %noun [%pim-eval '" + expression + "']]]\n";
    EXPECT_TRUE(result.output == line.substr(0, LIMIT))
        << "output of " << result.output.size() << " bytes differs";
}

// Each message goes out in one write, so that runs sharing a standard
// error never interleave inside one: a datagram socket shows each write.
TEST(OneWrite, EachMessageIsOneWrite) {
    const std::vector<std::tuple<std::vector<std::string>, Stream, std::string>> runs{
        {{"quirt-format", "-x"}, Stream::captured, expected_failure("Invalid option: -x")},
        {{"quirt-format"}, Stream::captured, expected_failure("ERROR: no command")},
        {{"quirt-format", "-h"}, Stream::captured, expected_usage("quirt-format")},
        {{"quirt-format", "\xFF"}, Stream::captured,
         "quirt-format: argument 1 is not valid UTF-8: \"\\xFF\"\n"},
        {{"quirt-format", "x"}, Stream::dev_full, stdout_failure("No space left on device")},
    };
    for (const auto& [arguments, output, text] : runs) {
        const ProcessResult result =
            run_process({.arguments = arguments, .output = output, .error = Stream::datagrams});
        EXPECT_EQ(result.error_writes, std::vector<std::string>{text}) << arguments.back();
    }
}

}  // namespace
}  // namespace quirt_format::testing
