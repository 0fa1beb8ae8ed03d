// Starts the built quirt-format with an argument vector and standard
// descriptors of the test's choice, and collects what it wrote.
#pragma once

#include <sys/resource.h>

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quirt_format::testing {

// What a standard descriptor of the child is connected to.
enum class Stream {
    captured,     // a pipe the test reads to its end
    dev_null,     // "/dev/null"
    dev_full,     // "/dev/full": every write fails with ENOSPC
    broken_pipe,  // a pipe whose reader has gone: every write fails with EPIPE
    closed,       // not open at all when the child starts
};

struct Launch {
    // The whole argument vector, argument zero included; empty starts the
    // process with no arguments at all.
    std::vector<std::string> arguments;
    Stream input = Stream::dev_null;
    Stream output = Stream::captured;
    Stream error = Stream::captured;
    std::optional<rlim_t> address_space_limit;  // RLIMIT_AS of the child, in bytes
    std::size_t read_size = 65536;              // bytes the reader takes at a time
    std::chrono::microseconds read_pause{0};    // the reader's pause after each read
};

struct ProcessResult {
    std::optional<int> exit_status;  // set when the child exited
    std::optional<int> signal;       // set when a signal ended it
    std::string output;
    std::string error;
};

// The path of the quirt-format executable under test.
std::string tool_path();

// False when the tool runs under valgrind (QUIRT_FORMAT_VALGRIND names it):
// argument zero is then always "quirt-format", and an empty argument
// vector cannot be passed on.
bool argument_zero_is_kept();

ProcessResult run_process(const Launch& launch);

// The whole argument vector and the three standard descriptors.
ProcessResult run_process(std::vector<std::string> arguments, Stream input = Stream::dev_null,
                          Stream output = Stream::captured, Stream error = Stream::captured);

// Shorthand: argument zero "quirt-format", then the given arguments, with
// both output streams captured.
ProcessResult run_tool(std::vector<std::string> arguments);

}  // namespace quirt_format::testing
