// Starts the built quirt-format with an argument vector and standard
// descriptors of the test's choice, can make its system calls fail, and
// collects what it wrote.
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
    file,         // a new regular file, read back when the child has ended
    datagrams,    // a datagram socket: each write arrives as one message
};

// A system call of the child that fails without being made: from execve on,
// each call of that number (whose argument argument_index, in the bits of
// argument_mask, equals argument_value, when an index is given) returns -1
// with errno set to error, or returns 0 when error is 0. Only the low 32 bits
// of an argument are compared.
struct Fault {
    long system_call;
    int error;
    std::optional<unsigned> argument_index;
    unsigned long argument_value = 0;
    unsigned long argument_mask = ~0UL;
};

// How to start the tool: every field has a default, so a test names only
// what it changes, as in
//     run_process({.arguments = {"quirt-format", "x"}, .output = Stream::dev_full})
struct Launch {
    // The whole argument vector, argument zero included; empty starts the
    // process with no arguments at all.
    std::vector<std::string> arguments{};
    Stream input = Stream::dev_null;
    Stream output = Stream::captured;
    Stream error = Stream::captured;
    std::vector<Fault> faults{};
    // "NAME=value" entries that replace or add to the inherited environment.
    std::vector<std::string> environment{};
    bool nonblocking_output = false;  // O_NONBLOCK on the child's end of output
    bool nonblocking_error = false;   // O_NONBLOCK on the child's end of error
    bool fill_error_first = false;    // the error pipe is full when the child starts
    bool stop_and_continue = false;   // SIGSTOP and SIGCONT the child after each read
    std::optional<rlim_t> data_limit{};         // RLIMIT_DATA of the child, in bytes
    std::optional<rlim_t> file_size_limit{};    // RLIMIT_FSIZE of the child, in bytes
    std::size_t read_size = 65536;              // bytes the reader takes at a time
    std::chrono::microseconds read_pause{0};    // the reader's pause after each read
    std::chrono::milliseconds read_delay{0};    // how long the reader waits to start
    bool read_after_exit = false;               // the reader waits until the child has ended
    std::chrono::seconds time_limit{30};        // then the child is killed
};

struct ProcessResult {
    std::optional<int> exit_status;  // set when the child exited
    std::optional<int> signal;       // set when a signal ended it
    std::string output;
    std::string error;                      // with Stream::datagrams, the messages joined
    std::vector<std::string> error_writes;  // with Stream::datagrams, each message
    std::size_t error_filler = 0;  // with fill_error_first, the bytes at the start of error
};

ProcessResult run_process(const Launch& launch);

// True when the tool runs under valgrind (QUIRT_FORMAT_VALGRIND names it):
// argument zero is then always "quirt-format", an empty argument vector
// cannot be passed on, and valgrind's own files take closed descriptors.
bool under_valgrind();

// True when the tool runs under an emulator (qemu-user, for a tool built for
// another architecture): the host kernel then sees the emulator's system
// calls, not the tool's, so no fault can be injected into them and no
// memory limit applies to the tool alone.
bool tool_is_emulated();

// True when the tool is built with sanitizers, which reserve terabytes of
// address space: no memory limit can test it.
bool tool_is_sanitized();

}  // namespace quirt_format::testing
