#include "run_process.hpp"

#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <thread>

namespace quirt_format::testing {
namespace {

[[noreturn]] void throw_system_error(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// The parent's end and the child's end of one standard descriptor; -1 where
// there is none.
struct Connection {
    int parent = -1;
    int child = -1;
};

Connection connect(Stream stream) {
    switch (stream) {
        case Stream::captured:
        case Stream::broken_pipe: {
            std::array<int, 2> ends{};
            if (::pipe2(ends.data(), O_CLOEXEC) != 0) {
                throw_system_error("pipe2");
            }
            if (stream == Stream::broken_pipe) {
                ::close(ends[0]);
                return {-1, ends[1]};
            }
            return {ends[0], ends[1]};
        }
        case Stream::dev_null:
        case Stream::dev_full: {
            const char* const path = stream == Stream::dev_null ? "/dev/null" : "/dev/full";
            const int descriptor = ::open(path, O_RDWR | O_CLOEXEC);
            if (descriptor < 0) {
                throw_system_error(path);
            }
            return {-1, descriptor};
        }
        case Stream::file: {
            // Unnamed, and gone with its last descriptor; the parent reads it
            // back from the start.
            const int descriptor = ::open("/tmp", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
            const int child = descriptor < 0 ? -1 : ::fcntl(descriptor, F_DUPFD_CLOEXEC, 3);
            if (child < 0) {
                throw_system_error("a file in /tmp");
            }
            return {descriptor, child};
        }
        case Stream::datagrams: {
            std::array<int, 2> ends{};
            if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends.data()) != 0) {
                throw_system_error("socketpair");
            }
            return {ends[0], ends[1]};
        }
        case Stream::closed:
            break;
    }
    return {};
}

void set_nonblocking(int descriptor, bool nonblocking) {
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0 ||
        ::fcntl(descriptor, F_SETFL, nonblocking ? flags | O_NONBLOCK : flags & ~O_NONBLOCK) != 0) {
        throw_system_error("fcntl");
    }
}

// Writes filler into the pipe until it takes no more; returns the count.
std::size_t fill_pipe(int descriptor) {
    set_nonblocking(descriptor, true);
    const std::string filler(4096, 'f');
    std::size_t filled = 0;
    for (;;) {
        const ssize_t written = ::write(descriptor, filler.data(), filler.size());
        if (written <= 0) {
            break;
        }
        filled += static_cast<std::size_t>(written);
    }
    if (errno != EAGAIN) {
        throw_system_error("filling a pipe");
    }
    return filled;
}

// A seccomp program that makes each fault's calls fail and lets every
// other call through. The tool is built for the test's own architecture,
// so the numbers are those of its calls.
std::vector<sock_filter> fault_filter(const std::vector<Fault>& faults) {
    // Where the low 32 bits of a 64-bit argument lie in seccomp_data.
    constexpr std::size_t LOW_HALF = std::endian::native == std::endian::big ? 4 : 0;
    std::vector<sock_filter> program;
    for (const Fault& fault : faults) {
        // What follows the check of the call's number, and is skipped when
        // the number is another's.
        std::vector<sock_filter> block;
        if (fault.argument_index) {
            block.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS,
                                     static_cast<std::uint32_t>(
                                         offsetof(seccomp_data, args) + LOW_HALF +
                                         sizeof(std::uint64_t) * *fault.argument_index)));
            block.push_back(BPF_STMT(BPF_ALU | BPF_AND | BPF_K,
                                     static_cast<std::uint32_t>(fault.argument_mask)));
            block.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K,
                                     static_cast<std::uint32_t>(fault.argument_value), 0, 1));
        }
        block.push_back(BPF_STMT(BPF_RET | BPF_K,
                                 SECCOMP_RET_ERRNO | (static_cast<std::uint32_t>(fault.error) &
                                                      SECCOMP_RET_DATA)));
        program.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS,
                                   static_cast<std::uint32_t>(offsetof(seccomp_data, nr))));
        program.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K,
                                   static_cast<std::uint32_t>(fault.system_call), 0,
                                   static_cast<std::uint8_t>(block.size())));
        program.insert(program.end(), block.begin(), block.end());
    }
    program.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    return program;
}

// What the child executes: the tool itself, or valgrind or an emulator
// running it.
struct Command {
    std::string path;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
    std::string valgrind_log;  // empty when not under valgrind
};

// The test's environment, with the launch's own entries in place of those
// of the same name.
std::vector<std::string> child_environment(const Launch& launch) {
    std::vector<std::string> environment;
    const auto replaced = [&](std::string_view entry) {
        const std::string_view name = entry.substr(0, entry.find('=') + 1);
        return std::any_of(launch.environment.begin(), launch.environment.end(),
                           [&](const std::string& own) { return own.starts_with(name); });
    };
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (!replaced(*entry)) {
            environment.emplace_back(*entry);
        }
    }
    environment.insert(environment.end(), launch.environment.begin(), launch.environment.end());
    return environment;
}

// The program's path: as given when it holds a slash, otherwise the first
// executable of that name in a directory of PATH.
std::string find_program(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        return name;
    }
    const char* const path = std::getenv("PATH");
    std::string_view directories = path == nullptr ? "" : path;
    while (!directories.empty()) {
        const std::size_t end = std::min(directories.find(':'), directories.size());
        std::string candidate = std::string{directories.substr(0, end)} + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        directories.remove_prefix(std::min(end + 1, directories.size()));
    }
    throw std::runtime_error(name + " is not on PATH");
}

// The words of a command line written as one text, split at spaces.
std::vector<std::string> words_of(std::string_view text) {
    std::vector<std::string> words;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        if (end > start) {
            words.emplace_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return words;
}

// The emulator's words, then its -0 (qemu-user's way to hand the tool its
// argument zero), the tool and the rest of the arguments. The emulator
// cannot start a process with no arguments at all; it gives an empty
// argument zero, as Linux itself does since 5.18.
Command emulated_command(const std::string& tool, const Launch& launch) {
    Command command{{}, words_of(QUIRT_FORMAT_TOOL_EMULATOR), child_environment(launch), {}};
    command.path = find_program(command.arguments.front());
    const std::string argument_zero = launch.arguments.empty() ? "" : launch.arguments.front();
    command.arguments.insert(command.arguments.end(), {"-0", argument_zero, tool});
    if (!launch.arguments.empty()) {
        command.arguments.insert(command.arguments.end(), launch.arguments.begin() + 1,
                                 launch.arguments.end());
    }
    return command;
}

Command valgrind_command(const std::string& tool, const Launch& launch) {
    const std::string valgrind = find_program(std::getenv("QUIRT_FORMAT_VALGRIND"));
    if (launch.arguments.empty() || launch.arguments.front() != "quirt-format") {
        throw std::logic_error("under valgrind argument zero can only be quirt-format");
    }
    // valgrind finds the tool on PATH and hands it the name as typed.
    Command command{valgrind, {valgrind}, {}, {}};
    std::string log_template = "/tmp/quirt-format-valgrind-XXXXXX";
    const int log = ::mkstemp(log_template.data());
    if (log < 0) {
        throw_system_error("mkstemp");
    }
    ::close(log);
    command.valgrind_log = log_template;
    command.arguments.insert(command.arguments.end(),
                             {"--quiet", "--error-exitcode=99", "--leak-check=full",
                              "--errors-for-leak-kinds=definite", "--show-leak-kinds=definite",
                              "--log-file=" + command.valgrind_log});
    command.arguments.insert(command.arguments.end(), launch.arguments.begin(),
                             launch.arguments.end());
    const std::string directory = tool.substr(0, tool.rfind('/'));
    for (std::string& entry : child_environment(launch)) {
        command.environment.push_back(entry.starts_with("PATH=")
                                          ? "PATH=" + directory + ":" + entry.substr(5)
                                          : std::move(entry));
    }
    return command;
}

Command tool_command(const Launch& launch) {
    const std::string tool = QUIRT_FORMAT_TOOL_PATH;
    if (tool_is_emulated()) {
        return emulated_command(tool, launch);
    }
    if (under_valgrind()) {
        return valgrind_command(tool, launch);
    }
    return {tool, launch.arguments, child_environment(launch), {}};
}

std::vector<char*> pointers_to(const std::vector<std::string>& texts) {
    std::vector<char*> pointers(texts.size() + 1, nullptr);
    std::transform(texts.begin(), texts.end(), pointers.begin(),
                   [](const std::string& text) { return const_cast<char*>(text.c_str()); });
    return pointers;
}

// Shows whatever valgrind reported; its error status fails the test.
void report_valgrind_log(const std::string& path) {
    std::ifstream log{path};
    const std::string text{std::istreambuf_iterator<char>{log}, {}};
    if (!text.empty()) {
        std::cerr << "valgrind:\n" << text;
    }
    (void)std::remove(path.c_str());
}

void limit(int resource, const std::optional<rlim_t>& value) {
    const rlimit both{value.value_or(0), value.value_or(0)};
    if (value && ::setrlimit(resource, &both) != 0) {
        ::_exit(126);
    }
}

// In the child, between fork and exec: only async-signal-safe calls.
[[noreturn]] void exec_child(const Launch& launch, const std::array<Connection, 3>& connections,
                             const std::vector<sock_filter>& filter, const char* path,
                             char* const* argv, char* const* envp) {
    for (int target = 0; target < 3; ++target) {
        const int source = connections[static_cast<std::size_t>(target)].child;
        if (source >= 0 && ::dup2(source, target) < 0) {
            ::_exit(127);
        }
    }
    for (int target = 0; target < 3; ++target) {
        if (connections[static_cast<std::size_t>(target)].child < 0) {
            ::close(target);
        }
    }
    limit(RLIMIT_DATA, launch.data_limit);
    limit(RLIMIT_FSIZE, launch.file_size_limit);
    limit(RLIMIT_CORE, 0);  // an aborted run leaves no core file behind
    // The tool must ignore SIGPIPE and SIGXFSZ itself; start it with the defaults.
    (void)::signal(SIGPIPE, SIG_DFL);
    (void)::signal(SIGXFSZ, SIG_DFL);
    if (!launch.faults.empty()) {
        const sock_fprog program{static_cast<unsigned short>(filter.size()),
                                 const_cast<sock_filter*>(filter.data())};
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
            ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
            ::_exit(125);
        }
    }
    ::execve(path, argv, envp);
    ::_exit(127);
}

using Clock = std::chrono::steady_clock;

// Milliseconds left until the deadline, for poll.
int milliseconds_until(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

// Reads both pipes to their ends, launch.read_size bytes at a time, and
// kills the child once the time limit has passed.
void collect(const Launch& launch, pid_t child, int output, int error, Clock::time_point deadline,
             ProcessResult& result) {
    std::array<pollfd, 2> watched{{{output, POLLIN, 0}, {error, POLLIN, 0}}};
    std::array<std::string*, 2> sinks{&result.output, &result.error};
    std::string buffer(launch.read_size, '\0');
    while (watched[0].fd >= 0 || watched[1].fd >= 0) {
        const int ready = ::poll(watched.data(), watched.size(), milliseconds_until(deadline));
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw_system_error("poll");
        }
        if (ready == 0) {
            ::kill(child, SIGKILL);
            deadline = Clock::time_point::max();
            continue;
        }
        for (std::size_t index = 0; index < watched.size(); ++index) {
            if (watched[index].fd < 0 || watched[index].revents == 0) {
                continue;
            }
            const ssize_t got = ::read(watched[index].fd, buffer.data(), buffer.size());
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                ::close(watched[index].fd);
                watched[index].fd = -1;
                continue;
            }
            sinks[index]->append(buffer, 0, static_cast<std::size_t>(got));
            if (index == 1 && launch.error == Stream::datagrams) {
                result.error_writes.emplace_back(buffer, 0, static_cast<std::size_t>(got));
            }
            if (launch.stop_and_continue) {
                // A writer stopped while blocked on a full pipe returns from
                // write with what it had written so far: a short write.
                ::kill(child, SIGSTOP);
                std::this_thread::sleep_for(std::chrono::microseconds{50});
                ::kill(child, SIGCONT);
            }
            if (launch.read_pause.count() > 0) {
                std::this_thread::sleep_for(launch.read_pause);
            }
        }
    }
}

// Waits for the child to end, killing it once the time limit has passed.
int wait_for(pid_t child, Clock::time_point deadline) {
    const int handle = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    if (handle < 0) {
        throw_system_error("pidfd_open");
    }
    pollfd ended{handle, POLLIN, 0};
    if (::poll(&ended, 1, milliseconds_until(deadline)) == 0) {
        ::kill(child, SIGKILL);
    }
    ::close(handle);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            throw_system_error("waitpid");
        }
    }
    return status;
}

std::string read_file(int descriptor) {
    std::string text;
    std::array<char, 65536> buffer{};
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(descriptor, buffer.data(), buffer.size(), offset);
        if (got < 0) {
            throw_system_error("pread");
        }
        if (got == 0) {
            return text;
        }
        text.append(buffer.data(), static_cast<std::size_t>(got));
        offset += got;
    }
}

}  // namespace

bool under_valgrind() {
    const char* const valgrind = std::getenv("QUIRT_FORMAT_VALGRIND");
    return valgrind != nullptr && *valgrind != '\0';
}

bool tool_is_emulated() {
    return !std::string_view{QUIRT_FORMAT_TOOL_EMULATOR}.empty();
}

bool tool_is_sanitized() {
    return QUIRT_FORMAT_TOOL_SANITIZED != 0;
}

ProcessResult run_process(const Launch& launch) {
    const Command command = tool_command(launch);
    const std::vector<char*> argv = pointers_to(command.arguments);
    const std::vector<char*> envp = pointers_to(command.environment);

    const std::array<Connection, 3> connections{connect(launch.input), connect(launch.output),
                                                connect(launch.error)};
    ProcessResult result;
    if (launch.fill_error_first) {
        result.error_filler = fill_pipe(connections[2].child);
        set_nonblocking(connections[2].child, launch.nonblocking_error);
    } else if (launch.nonblocking_error) {
        set_nonblocking(connections[2].child, true);
    }
    if (launch.nonblocking_output) {
        set_nonblocking(connections[1].child, true);
    }
    const std::vector<sock_filter> filter = fault_filter(launch.faults);
    const Clock::time_point deadline = Clock::now() + launch.time_limit;
    const pid_t child = ::fork();
    if (child < 0) {
        throw_system_error("fork");
    }
    if (child == 0) {
        exec_child(launch, connections, filter, command.path.c_str(), argv.data(), envp.data());
    }
    for (const Connection& connection : connections) {
        if (connection.child >= 0) {
            ::close(connection.child);
        }
    }
    if (connections[0].parent >= 0) {
        ::close(connections[0].parent);  // the tool reads nothing
    }
    std::optional<int> status;
    if (launch.read_after_exit) {
        status = wait_for(child, deadline);
    }
    std::this_thread::sleep_for(launch.read_delay);
    const bool output_is_file = launch.output == Stream::file;
    collect(launch, child, output_is_file ? -1 : connections[1].parent, connections[2].parent,
            deadline, result);
    if (!status) {
        status = wait_for(child, deadline);
    }
    if (output_is_file) {
        result.output = read_file(connections[1].parent);
        ::close(connections[1].parent);
    }
    if (!command.valgrind_log.empty()) {
        report_valgrind_log(command.valgrind_log);
    }
    if (WIFEXITED(*status)) {
        result.exit_status = WEXITSTATUS(*status);
    } else if (WIFSIGNALED(*status)) {
        result.signal = WTERMSIG(*status);
    }
    return result;
}

}  // namespace quirt_format::testing
