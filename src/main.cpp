// quirt-format: prints the text of a request noun for an eval thread.
// This file is the process: its descriptors, signals, writes and exit
// status. What it prints is worked out by the library it links.
#include "command_line.hpp"
#include "text_checks.hpp"

#include <quirt_format/request.hpp>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace quirt_format {
namespace {

constexpr int EXIT_BAD_COMMAND_LINE = 1;
constexpr int EXIT_CANNOT_RUN = 101;  // unusable argument or unwritable output

// A closed standard descriptor would go to the next file the process opens,
// which would then receive what is meant for that stream; /dev/null holds
// the place instead.
void open_standard_descriptors() {
    // One poll asks after all three: one that is not open answers POLLNVAL.
    std::array<pollfd, 3> standard{
        {{STDIN_FILENO, 0, 0}, {STDOUT_FILENO, 0, 0}, {STDERR_FILENO, 0, 0}}};
    if (::poll(standard.data(), standard.size(), 0) < 0) {
        return;  // nothing known; a write to a stream that is closed fails with status 101
    }
    for (const pollfd& descriptor : standard) {
        // open takes the lowest free descriptor: this one, as those below are open.
        if ((descriptor.revents & POLLNVAL) != 0 && ::open("/dev/null", O_RDWR) < 0) {
            return;  // a write to a stream still closed then fails with status 101
        }
    }
}

// Waits until the descriptor can take more bytes: a non-blocking stream
// whose reader is slow says EAGAIN instead of waiting itself. Returns 0, or
// the errno of the poll that failed.
int wait_until_writable(int descriptor) {
    pollfd watched{descriptor, POLLOUT, 0};
    while (::poll(&watched, 1, -1) < 0) {
        const int error = errno;
        if (error != EINTR) {
            return error;
        }
    }
    return 0;  // writable, or an error that the next write reports
}

// Writes all of the bytes, across partial writes, interrupted calls and
// non-blocking streams. Returns 0, or the errno of the call that failed; a
// write that takes nothing of a non-empty buffer fails as EIO, as it would
// otherwise be tried for ever.
int write_all(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
            continue;
        }
        const int error = written == 0 ? EIO : errno;
        if (error == EAGAIN || error == EWOULDBLOCK) {
            if (const int poll_error = wait_until_writable(descriptor); poll_error != 0) {
                return poll_error;
            }
        } else if (error != EINTR) {
            return error;
        }
    }
    return 0;
}

// When standard error itself cannot be written there is nobody left to
// tell; the status says it.
int write_to_stderr(std::string_view text, int status) {
    return write_all(STDERR_FILENO, text) == 0 ? status : EXIT_CANNOT_RUN;
}

int report_cannot_run(std::string_view diagnostic) {
    std::string line{DEFAULT_PROGRAM_NAME};
    line.append(": ").append(diagnostic).push_back('\n');
    (void)write_all(STDERR_FILENO, line);
    return EXIT_CANNOT_RUN;
}

int print_usage(std::string_view program_name) {
    return write_to_stderr(usage_text(program_name), EXIT_SUCCESS);
}

// Called by operator new when memory runs out. Throwing std::bad_alloc may
// itself need memory that is not there, so the handler says so with one
// write of a fixed text, which needs none, and ends the run before
// anything is printed.
[[noreturn]] void report_out_of_memory() {  // GCOVR_EXCL_START the abort ends the run before coverage is saved
    constexpr std::string_view MESSAGE = "quirt-format: out of memory\n";
    // If even this write fails, nobody is left to tell.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, MESSAGE.data(), MESSAGE.size());
    std::abort();
}  // GCOVR_EXCL_STOP

// Argument zero as the process received it; glibc keeps it for us.
std::string_view program_name_from_process() {
    const std::string_view name = program_invocation_name == nullptr ? "" : program_invocation_name;
    return program_name(std::span{&name, 1});
}

int fail_with_usage(std::string_view message) {
    return write_to_stderr(failure_text(message, program_name_from_process()),
                           EXIT_BAD_COMMAND_LINE);
}

int report_invalid_utf8(std::size_t index, std::string_view argument) {
    return report_cannot_run("argument " + std::to_string(index) + " is not valid UTF-8: \"" +
                             escape_for_terminal(argument) + '"');
}

// Closing reports errors that a file system defers past the write. Linux
// frees the descriptor even when close says EINTR, and nothing was lost.
int print_line(std::string_view line) {
    int error = write_all(STDOUT_FILENO, line);
    if (error == 0 && ::close(STDOUT_FILENO) != 0) {
        error = errno == EINTR ? 0 : errno;
    }
    if (error != 0) {
        return report_cannot_run(std::string{"failed printing to stdout: "}.append(
            std::strerror(error)));
    }
    return EXIT_SUCCESS;
}

// The run, step by step; its result is the exit status.
int run(std::span<char* const> process_arguments) {
    // Every argument, argument zero included, must be valid UTF-8 before any
    // of them is looked at as an option.
    std::vector<std::string_view> arguments;
    arguments.reserve(process_arguments.size());
    for (const char* const process_argument : process_arguments) {
        const std::string_view argument{process_argument};
        if (!is_valid_utf8(argument)) {
            return report_invalid_utf8(arguments.size(), argument);
        }
        arguments.push_back(argument);
    }
    const ScanOutcome outcome = scan_arguments(arguments);
    switch (outcome.action) {
        case ScanAction::show_usage:
            return print_usage(program_name(arguments));
        case ScanAction::failure:
            return fail_with_usage(outcome.message);
        case ScanAction::run:
            break;
    }
    const std::span<const std::string_view> after_expression =
        std::span{arguments}.subspan(outcome.expression_index + 1);
    return print_line(format_request(outcome.thread_name, arguments[outcome.expression_index],
                                     after_expression, "\n"));
}

}  // namespace
}  // namespace quirt_format

int main(int argc, char* argv[]) {
    quirt_format::open_standard_descriptors();
    // A reader that has gone, or a file over the size limit, must show as a
    // failed write (EPIPE, EFBIG) with a diagnostic, not kill us.
    (void)std::signal(SIGPIPE, SIG_IGN);
    (void)std::signal(SIGXFSZ, SIG_IGN);
    (void)std::set_new_handler(quirt_format::report_out_of_memory);
    return quirt_format::run(std::span{argv, static_cast<std::size_t>(argc)});
}
