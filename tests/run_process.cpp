#include "run_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <system_error>
#include <thread>

extern char** environ;

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
        case Stream::closed:
            break;
    }
    return {};
}

// In the child, between fork and exec: only async-signal-safe calls.
[[noreturn]] void exec_child(const ProcessSpec& spec, const std::array<Connection, 3>& connections,
                             const std::string& path, char* const* argv) {
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
    if (spec.address_space_limit) {
        const rlimit limit{*spec.address_space_limit, *spec.address_space_limit};
        if (::setrlimit(RLIMIT_AS, &limit) != 0) {
            ::_exit(126);
        }
    }
    // The tool must ignore SIGPIPE itself; start it with the default.
    ::signal(SIGPIPE, SIG_DFL);
    ::execve(path.c_str(), argv, environ);
    ::_exit(127);
}

// Reads both pipes to their ends, spec.read_size bytes at a time.
void collect(const ProcessSpec& spec, int output, int error, ProcessResult& result) {
    std::array<pollfd, 2> watched{{{output, POLLIN, 0}, {error, POLLIN, 0}}};
    std::array<std::string*, 2> sinks{&result.output, &result.error};
    std::string buffer(spec.read_size, '\0');
    while (watched[0].fd >= 0 || watched[1].fd >= 0) {
        if (::poll(watched.data(), watched.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw_system_error("poll");
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
            if (spec.read_pause.count() > 0) {
                std::this_thread::sleep_for(spec.read_pause);
            }
        }
    }
}

}  // namespace

std::string tool_path() {
    return QUIRT_FORMAT_TOOL_PATH;
}

ProcessResult run_process(const ProcessSpec& spec) {
    const std::string path = tool_path();
    std::vector<char*> argv;
    for (const std::string& argument : spec.arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    const std::array<Connection, 3> connections{connect(spec.input), connect(spec.output),
                                                connect(spec.error)};
    const pid_t child = ::fork();
    if (child < 0) {
        throw_system_error("fork");
    }
    if (child == 0) {
        exec_child(spec, connections, path, argv.data());
    }
    for (const Connection& connection : connections) {
        if (connection.child >= 0) {
            ::close(connection.child);
        }
    }
    if (connections[0].parent >= 0) {
        ::close(connections[0].parent);  // the tool reads nothing
    }
    ProcessResult result;
    collect(spec, connections[1].parent, connections[2].parent, result);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            throw_system_error("waitpid");
        }
    }
    if (WIFEXITED(status)) {
        result.exit_status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

ProcessResult run_process(std::vector<std::string> arguments, Stream input, Stream output,
                          Stream error) {
    ProcessSpec spec;
    spec.arguments = std::move(arguments);
    spec.input = input;
    spec.output = output;
    spec.error = error;
    return run_process(spec);
}

ProcessResult run_tool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "quirt-format");
    return run_process(std::move(arguments));
}

}  // namespace quirt_format::testing
