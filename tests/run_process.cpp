#include "run_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
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
        case Stream::closed:
            break;
    }
    return {};
}

// What the child executes: the tool itself, or valgrind running it.
struct Command {
    std::string path;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
    std::string valgrind_log;  // empty when not under valgrind
};

std::vector<std::string> inherited_environment() {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        environment.emplace_back(*entry);
    }
    return environment;
}

Command tool_command(const Launch& launch) {
    const char* const valgrind = std::getenv("QUIRT_FORMAT_VALGRIND");
    if (valgrind == nullptr || *valgrind == '\0') {
        return {tool_path(), launch.arguments, inherited_environment(), {}};
    }
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
    const std::string tool = tool_path();
    const std::string directory = tool.substr(0, tool.rfind('/'));
    for (std::string& entry : inherited_environment()) {
        command.environment.push_back(entry.starts_with("PATH=")
                                          ? "PATH=" + directory + ":" + entry.substr(5)
                                          : std::move(entry));
    }
    return command;
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

// In the child, between fork and exec: only async-signal-safe calls.
[[noreturn]] void exec_child(const Launch& launch, const std::array<Connection, 3>& connections,
                             const char* path, char* const* argv, char* const* envp) {
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
    if (launch.address_space_limit) {
        const rlimit limit{*launch.address_space_limit, *launch.address_space_limit};
        if (::setrlimit(RLIMIT_AS, &limit) != 0) {
            ::_exit(126);
        }
    }
    // The tool must ignore SIGPIPE itself; start it with the default.
    (void)::signal(SIGPIPE, SIG_DFL);
    ::execve(path, argv, envp);
    ::_exit(127);
}

// Reads both pipes to their ends, launch.read_size bytes at a time.
void collect(const Launch& launch, int output, int error, ProcessResult& result) {
    std::array<pollfd, 2> watched{{{output, POLLIN, 0}, {error, POLLIN, 0}}};
    std::array<std::string*, 2> sinks{&result.output, &result.error};
    std::string buffer(launch.read_size, '\0');
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
            if (launch.read_pause.count() > 0) {
                std::this_thread::sleep_for(launch.read_pause);
            }
        }
    }
}

}  // namespace

std::string tool_path() {
    return QUIRT_FORMAT_TOOL_PATH;
}

bool argument_zero_is_kept() {
    const char* const valgrind = std::getenv("QUIRT_FORMAT_VALGRIND");
    return valgrind == nullptr || *valgrind == '\0';
}

ProcessResult run_process(const Launch& launch) {
    const Command command = tool_command(launch);
    const std::vector<char*> argv = pointers_to(command.arguments);
    const std::vector<char*> envp = pointers_to(command.environment);

    const std::array<Connection, 3> connections{connect(launch.input), connect(launch.output),
                                                connect(launch.error)};
    const pid_t child = ::fork();
    if (child < 0) {
        throw_system_error("fork");
    }
    if (child == 0) {
        exec_child(launch, connections, command.path.c_str(), argv.data(), envp.data());
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
    collect(launch, connections[1].parent, connections[2].parent, result);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            throw_system_error("waitpid");
        }
    }
    if (!command.valgrind_log.empty()) {
        report_valgrind_log(command.valgrind_log);
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
    Launch launch;
    launch.arguments = std::move(arguments);
    launch.input = input;
    launch.output = output;
    launch.error = error;
    return run_process(launch);
}

ProcessResult run_tool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "quirt-format");
    return run_process(std::move(arguments));
}

}  // namespace quirt_format::testing
