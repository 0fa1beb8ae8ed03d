// Measures quirt-format as a process against the floor (a static C program
// that writes the same line with one write) and /usr/bin/printf: wall time
// over alternating runs, instructions under callgrind, peak resident
// memory, and the growth with megabytes of dependency words.
//
// usage: quirt_format_startup_bench TOOL FLOOR TRAMPOLINE [ROUNDS]
#include <spawn.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace {

const std::string LINE = "[0 %brax [%base %eval %noun [%pim-eval '(add 1 2)']]]";

// Starts the command with standard output and error on /dev/null (or
// error on the given descriptor), waits for it and returns its wall time.
double run(const std::vector<std::string>& command, int error_descriptor = -1) {
    std::vector<char*> argv;
    for (const std::string& argument : command) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (error_descriptor >= 0) {
        posix_spawn_file_actions_adddup2(&actions, error_descriptor, STDERR_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int error = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    if (error != 0) {
        throw std::runtime_error("cannot start " + command[0] + ": " + std::strerror(error));
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error(command[0] + " failed");
    }
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    return std::chrono::duration<double, std::micro>(end - start).count();
}

// Runs the command and returns the first number in what it wrote to
// standard error.
long long number_written(const std::vector<std::string>& command, const char* label) {
    std::FILE* log = std::tmpfile();
    run(command, fileno(log));
    std::rewind(log);
    char text[512];
    long long number = -1;
    while (number < 0 && std::fgets(text, sizeof text, log) != nullptr) {
        const char* const found = label == nullptr ? text : std::strstr(text, label);
        if (found != nullptr) {
            number = std::atoll(found + (label == nullptr ? 0 : std::strlen(label)));
        }
    }
    std::fclose(log);
    return number;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Instructions in user space, counted by callgrind; empty without valgrind.
std::optional<long long> instructions(const std::vector<std::string>& command) {
    if (std::system("valgrind --version > /dev/null 2>&1") != 0) {
        return std::nullopt;
    }
    std::vector<std::string> counted{"/usr/bin/valgrind", "--tool=callgrind",
                                     "--callgrind-out-file=/dev/null"};
    counted.insert(counted.end(), command.begin(), command.end());
    return number_written(counted, "Collected : ");
}

std::string count_text(const std::optional<long long>& count) {
    return count ? std::to_string(*count) : "n/a (no valgrind)";
}

// A request of at least the given bytes of dependency words, each word
// length - 1 letters and a separating space.
std::vector<std::string> large_request(const std::string& tool, std::size_t bytes,
                                       std::size_t length) {
    std::vector<std::string> command{tool, "(big)"};
    std::size_t total = 0;
    for (std::size_t index = 0; total < bytes; ++index) {
        std::string word = std::to_string(index);
        word.resize(length - 1, 'w');
        total += length;
        command.push_back(std::move(word));
    }
    return command;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s TOOL FLOOR TRAMPOLINE [ROUNDS]\n", argv[0]);
        return 2;
    }
    const std::string tool = argv[1];
    const std::string floor = argv[2];
    const std::string trampoline = argv[3];
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 401;

    // Room on the stack for megabytes of arguments: the kernel allows a
    // quarter of the stack limit for them.
    const rlimit stack{rlim_t{64} << 20, rlim_t{64} << 20};
    setrlimit(RLIMIT_STACK, &stack);

    const std::vector<std::string> floor_run{floor};
    const std::vector<std::string> tool_run{tool, "(add 1 2)"};
    const std::vector<std::string> printf_run{"/usr/bin/printf", "%s\\n", LINE};

    // Warm the page cache, then alternate so that drift hits all alike.
    for (int round = 0; round < 20; ++round) {
        run(floor_run), run(tool_run), run(printf_run);
    }
    std::vector<double> floor_times, tool_times, printf_times;
    for (int round = 0; round < rounds; ++round) {
        floor_times.push_back(run(floor_run));
        tool_times.push_back(run(tool_run));
        printf_times.push_back(run(printf_run));
    }
    const double floor_median = median(floor_times);
    const double tool_median = median(tool_times);
    const double printf_median = median(printf_times);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("request: quirt-format '(add 1 2)'\n\n");
    std::printf("wall time, median of %d alternating rounds:\n", rounds);
    std::printf("  floor         %8.1f us\n", floor_median);
    std::printf("  quirt-format  %8.1f us   %.3f x floor (target <= 1.05)\n", tool_median,
                tool_median / floor_median);
    std::printf("  printf        %8.1f us   %.3f x floor\n\n", printf_median,
                printf_median / floor_median);

    std::vector<double> floor_peaks, tool_peaks;
    for (int round = 0; round < 21; ++round) {
        floor_peaks.push_back(static_cast<double>(number_written({trampoline, floor}, nullptr)));
        tool_peaks.push_back(
            static_cast<double>(number_written({trampoline, tool, "(add 1 2)"}, nullptr)));
    }
    std::printf("peak resident memory, median of 21:\n");
    std::printf("  floor         %6.0f KiB\n", median(floor_peaks));
    std::printf("  quirt-format  %6.0f KiB   %+.0f KiB (target <= +512)\n\n", median(tool_peaks),
                median(tool_peaks) - median(floor_peaks));

    const auto floor_count = instructions(floor_run);
    const auto tool_count = instructions(tool_run);
    std::printf("user-space instructions (callgrind):\n");
    std::printf("  floor         %s\n", count_text(floor_count).c_str());
    std::printf("  quirt-format  %s", count_text(tool_count).c_str());
    if (floor_count && tool_count) {
        std::printf("   %.3f x floor (target <= 1.5)",
                    static_cast<double>(*tool_count) / static_cast<double>(*floor_count));
    }
    // The kernel takes at most 6 MiB of arguments with their pointers, so
    // short words reach only 2 MiB.
    std::printf("\n\nlarge requests: dependency words of 1, 2 and 4 MiB\n");
    std::printf("  %-6s %-5s %12s %14s %10s\n", "words", "size", "wall (us)", "instructions",
                "per byte");
    const std::pair<std::size_t, std::size_t> sizes[] = {{40, 1}, {40, 2}, {40, 4}, {8, 1}, {8, 2}};
    for (const auto& [length, mebibytes] : sizes) {
        {
            const auto command = large_request(tool, mebibytes << 20, length);
            std::size_t bytes = 0;
            for (const std::string& argument : command) {
                bytes += argument.size() + 1;
            }
            std::vector<double> times;
            for (int round = 0; round < 15; ++round) {
                times.push_back(run(command));
            }
            const auto count = instructions(command);
            std::printf("  %2zu B   %zu MiB %12.0f %14s %10s\n", length, mebibytes, median(times),
                        count_text(count).c_str(),
                        count ? std::to_string(static_cast<double>(*count) /
                                               static_cast<double>(bytes))
                                    .substr(0, 5)
                                    .c_str()
                              : "n/a");
        }
    }
    return 0;
}
