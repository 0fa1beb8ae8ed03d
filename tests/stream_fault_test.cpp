// End-to-end: system calls that fail on purpose, non-blocking and slow
// streams, short writes, a file-size limit, and one write per message.
#include "expected_text.hpp"
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

constexpr std::string_view LINE = "[0 %brax [%base %eval %noun [%pim-eval ['x' [d ~]]]]]\n";

std::string stdout_failure(const std::string& reason) {
    return "quirt-format: failed printing to stdout: " + reason + "\n";
}

// Calls on one descriptor (argument 0) that fail with error, or return 0.
Fault on_descriptor(long system_call, int descriptor, int error) {
    return {system_call, error, 0U, static_cast<unsigned long>(descriptor)};
}

// The tool's own open of /dev/null: it asks for O_RDWR and nothing more.
const Fault OPEN_DEV_NULL_FAILS{SYS_openat, EACCES, 2U, O_RDWR};

struct InjectedCase {
    const char* name;
    std::vector<std::string> arguments;  // after argument zero
    std::vector<Fault> faults;
    Stream closed_stream;  // Stream::closed for one of the three, or captured for none
    int which_closed;      // 0, 1 or 2 when closed_stream is Stream::closed
    int status;
    std::string output;
    std::string error;
};

void PrintTo(const InjectedCase& c, std::ostream* out) { *out << c.name; }

class InjectedFault : public ::testing::TestWithParam<InjectedCase> {};

TEST_P(InjectedFault, StatusAndBothStreams) {
    const InjectedCase& c = GetParam();
    if (c.closed_stream == Stream::closed && under_valgrind()) {
        GTEST_SKIP() << "valgrind's own files take the closed descriptors before the tool starts";
    }
    Launch launch;
    launch.arguments = {"quirt-format"};
    launch.arguments.insert(launch.arguments.end(), c.arguments.begin(), c.arguments.end());
    launch.faults = c.faults;
    if (c.closed_stream == Stream::closed) {
        (c.which_closed == 0 ? launch.input : c.which_closed == 1 ? launch.output : launch.error) =
            Stream::closed;
    }
    const ProcessResult result = run_process(launch);
    EXPECT_FALSE(result.signal.has_value()) << "signal " << result.signal.value_or(0);
    EXPECT_EQ(result.exit_status, c.status);
    EXPECT_EQ(result.output, c.output);
    EXPECT_EQ(result.error, c.error);
}

constexpr Stream NONE = Stream::captured;
constexpr Stream CLOSED = Stream::closed;

INSTANTIATE_TEST_SUITE_P(
    SystemCalls, InjectedFault,
    ::testing::Values(
        InjectedCase{"stdout_write_eio", {"x", "d"}, {on_descriptor(SYS_write, 1, EIO)}, NONE, 0,
                     101, "", stdout_failure("Input/output error")},
        InjectedCase{"stdout_write_enospc", {"x", "d"}, {on_descriptor(SYS_write, 1, ENOSPC)},
                     NONE, 0, 101, "", stdout_failure("No space left on device")},
        InjectedCase{"stdout_write_edquot", {"x", "d"}, {on_descriptor(SYS_write, 1, EDQUOT)},
                     NONE, 0, 101, "", stdout_failure("Disk quota exceeded")},
        InjectedCase{"stdout_write_efbig", {"x", "d"}, {on_descriptor(SYS_write, 1, EFBIG)},
                     NONE, 0, 101, "", stdout_failure("File too large")},
        // A write that takes nothing fails at once instead of being tried for ever.
        InjectedCase{"stdout_write_returns_zero", {"x", "d"}, {on_descriptor(SYS_write, 1, 0)},
                     NONE, 0, 101, "", stdout_failure("Input/output error")},
        // The line went out, but closing says it may not have arrived.
        InjectedCase{"stdout_close_eio", {"x", "d"}, {on_descriptor(SYS_close, 1, EIO)}, NONE, 0,
                     101, std::string{LINE}, stdout_failure("Input/output error")},
        InjectedCase{"stderr_write_eio_usage", {"-h"}, {on_descriptor(SYS_write, 2, EIO)}, NONE,
                     0, 101, "", ""},
        InjectedCase{"stderr_write_eio_failure", {"-x"}, {on_descriptor(SYS_write, 2, EIO)}, NONE,
                     0, 101, "", ""},
        InjectedCase{"stderr_write_eio_invalid_utf8", {"\xFF"}, {on_descriptor(SYS_write, 2, EIO)},
                     NONE, 0, 101, "", ""},
        InjectedCase{"stderr_write_returns_zero_usage", {"-h"}, {on_descriptor(SYS_write, 2, 0)},
                     NONE, 0, 101, "", ""},
        InjectedCase{"stdout_eio_and_stderr_eio", {"x", "d"},
                     {on_descriptor(SYS_write, 1, EIO), on_descriptor(SYS_write, 2, EIO)}, NONE, 0,
                     101, "", ""},
        // With /dev/null out of reach a closed stream stays closed: writing
        // to it fails, and nothing else takes its place.
        InjectedCase{"no_dev_null_stdin_closed", {"x", "d"}, {OPEN_DEV_NULL_FAILS}, CLOSED, 0, 0,
                     std::string{LINE}, ""},
        InjectedCase{"no_dev_null_stdout_closed", {"x", "d"}, {OPEN_DEV_NULL_FAILS}, CLOSED, 1,
                     101, "", stdout_failure("Bad file descriptor")},
        InjectedCase{"no_dev_null_stderr_closed_request", {"x", "d"}, {OPEN_DEV_NULL_FAILS},
                     CLOSED, 2, 0, std::string{LINE}, ""},
        InjectedCase{"no_dev_null_stderr_closed_failure", {"-x"}, {OPEN_DEV_NULL_FAILS}, CLOSED,
                     2, 101, "", ""}),
    [](const ::testing::TestParamInfo<InjectedCase>& info) { return std::string{info.param.name}; });

// Over a megabyte of words, each different from its neighbours: far more
// than a pipe holds, in few enough arguments for the kernel to pass.
struct LargeRequest {
    std::vector<std::string> arguments;
    std::string line;
};

LargeRequest large_request() {
    LargeRequest request{{"quirt-format", "(deps)"}, {}};
    std::string joined;
    for (std::size_t index = 0; joined.size() < 1'200'000; ++index) {
        std::string word(1 + index % 61, static_cast<char>('a' + index % 26));
        joined += (index == 0 ? "" : " ") + word;
        request.arguments.push_back(std::move(word));
    }
    request.line = "[0 %brax [%base %eval %noun [%pim-eval ['(deps)' [" + joined + " ~]]]]]\n";
    return request;
}

void expect_whole_line(const ProcessResult& result, const std::string& line) {
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.error, "");
    EXPECT_TRUE(result.output == line) << "output of " << result.output.size() << " bytes differs";
}

// A non-blocking standard output says EAGAIN while its reader is slow; the
// tool waits for room and the whole line arrives.
TEST(NonBlocking, LateSlowReaderGetsTheWholeLine) {
    const LargeRequest request = large_request();
    Launch launch;
    launch.arguments = request.arguments;
    launch.nonblocking_output = true;
    launch.read_delay = std::chrono::milliseconds{200};
    launch.read_size = 4096;
    launch.read_pause = std::chrono::microseconds{20};
    expect_whole_line(run_process(launch), request.line);
}

// Waiting for room can fail too; that is a failed write.
TEST(NonBlocking, FailedWaitIsReported) {
    Launch launch;
    launch.arguments = large_request().arguments;
    launch.nonblocking_output = true;
    launch.read_delay = std::chrono::milliseconds{100};
    launch.faults = {{SYS_poll, ENOMEM, {}, 0}, {SYS_ppoll, ENOMEM, {}, 0}};
    const ProcessResult result = run_process(launch);
    EXPECT_EQ(result.exit_status, 101);
    EXPECT_EQ(result.error, stdout_failure("Cannot allocate memory"));
}

// A standard error that is full and non-blocking when the tool starts: the
// usage text and a failure still arrive whole, after what was there.
TEST(NonBlocking, FullErrorStreamTakesTheUsageText) {
    for (const auto& [argument, status, text] :
         {std::tuple{"-h", 0, expected_usage("quirt-format")},
          std::tuple{"-x", 1, expected_failure("Invalid option: -x")}}) {
        Launch launch;
        launch.arguments = {"quirt-format", argument};
        launch.fill_error_first = true;
        launch.nonblocking_error = true;
        launch.read_delay = std::chrono::milliseconds{100};
        const ProcessResult result = run_process(launch);
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
    const LargeRequest request = large_request();
    Launch launch;
    launch.arguments = request.arguments;
    launch.stop_and_continue = true;
    launch.read_size = 4096;
    expect_whole_line(run_process(launch), request.line);
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
    Launch launch;
    launch.arguments = {"quirt-format", expression};
    launch.output = Stream::file;
    launch.file_size_limit = LIMIT;
    const ProcessResult result = run_process(launch);
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
        Launch launch;
        launch.arguments = arguments;
        launch.output = output;
        launch.error = Stream::datagrams;
        const ProcessResult result = run_process(launch);
        EXPECT_EQ(result.error_writes, std::vector<std::string>{text}) << arguments.back();
    }
}

}  // namespace
}  // namespace quirt_format::testing
