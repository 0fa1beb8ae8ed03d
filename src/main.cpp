// quirt-format: prints the text of a request noun for an eval thread.
#include "command_line.hpp"
#include "request.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace quirt_format {
namespace {

ScanOutcome failure(std::string message) {
    return {ScanAction::failure, DEFAULT_THREAD_NAME, 0, std::move(message)};
}

// One UTF-8 sequence of two to four bytes starting at text[0], checked
// against the standard's table of well-formed sequences; 0 if it is not one.
std::size_t multibyte_sequence_length(std::span<const unsigned char> text) {
    const unsigned char lead = text[0];
    std::size_t length = 4;
    unsigned char second_low = 0x80;
    unsigned char second_high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        second_low = lead == 0xE0 ? 0xA0 : 0x80;   // overlong below U+0800
        second_high = lead == 0xED ? 0x9F : 0xBF;  // surrogates U+D800..U+DFFF
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        second_low = lead == 0xF0 ? 0x90 : 0x80;   // overlong below U+10000
        second_high = lead == 0xF4 ? 0x8F : 0xBF;  // above U+10FFFF
    } else {
        return 0;  // continuation byte, C0, C1 or F5..FF
    }
    if (text.size() < length || text[1] < second_low || text[1] > second_high) {
        return 0;
    }
    for (std::size_t index = 2; index < length; ++index) {
        if ((text[index] & 0xC0U) != 0x80U) {
            return 0;
        }
    }
    return length;
}

template <typename Word>
Word load(std::span<const unsigned char> bytes, std::size_t index) {
    Word word = 0;
    std::memcpy(&word, &bytes[index], sizeof word);
    return word;
}

constexpr std::uint64_t HIGH_BITS = 0x8080808080808080U;

// Arguments are mostly ASCII: OR every byte's high bit together, eight bytes
// at a time, and the rest in two loads that may overlap.
bool is_ascii(std::span<const unsigned char> bytes) {
    std::uint64_t high_bits = 0;
    std::size_t index = 0;
    for (; bytes.size() - index >= sizeof(std::uint64_t); index += sizeof(std::uint64_t)) {
        high_bits |= load<std::uint64_t>(bytes, index);
    }
    const std::size_t rest = bytes.size() - index;
    if (rest >= sizeof(std::uint32_t)) {
        high_bits |= load<std::uint32_t>(bytes, index) |
                     load<std::uint32_t>(bytes, bytes.size() - sizeof(std::uint32_t));
    } else if (rest > 0) {
        high_bits |= bytes[index] | bytes[index + rest / 2] | bytes.back();
    }
    return (high_bits & HIGH_BITS) == 0;
}

}  // namespace

ScanOutcome scan_arguments(std::span<const std::string_view> arguments) {
    std::string_view thread_name = DEFAULT_THREAD_NAME;
    for (std::size_t index = 1; index < arguments.size(); ++index) {
        const std::string_view argument = arguments[index];
        if (argument.empty() || argument.front() != '-') {
            return {ScanAction::run, thread_name, index, {}};
        }
        if (argument == "-h") {
            return {ScanAction::show_usage, thread_name, 0, {}};
        }
        if (argument != "-k") {
            return failure(std::string{"Invalid option: "}.append(argument));
        }
        thread_name = ALTERNATIVE_THREAD_NAME;
    }
    return failure("ERROR: no command");  // nothing after argument zero but -k, if anything
}

bool is_valid_utf8(std::string_view text) {
    const std::span bytes{reinterpret_cast<const unsigned char*>(text.data()), text.size()};
    if (is_ascii(bytes)) {
        return true;
    }
    std::size_t index = 0;
    while (index < bytes.size()) {
        // Runs of ASCII between the other sequences, a word at a time.
        if (bytes.size() - index >= sizeof(std::uint64_t) &&
            (load<std::uint64_t>(bytes, index) & HIGH_BITS) == 0) {
            index += sizeof(std::uint64_t);
        } else if (bytes[index] < 0x80) {
            ++index;
        } else {
            const std::size_t length = multibyte_sequence_length(bytes.subspan(index));
            if (length == 0) {
                return false;
            }
            index += length;
        }
    }
    return true;
}

std::string escape_for_terminal(std::string_view text) {
    constexpr std::string_view HEX_DIGITS = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char character : text) {
        const auto byte = static_cast<unsigned char>(character);
        if (byte >= 0x20 && byte <= 0x7E && byte != '"' && byte != '\\') {
            escaped.push_back(character);
        } else {
            escaped.append({'\\', 'x', HEX_DIGITS[byte >> 4U], HEX_DIGITS[byte & 0x0FU]});
        }
    }
    return escaped;
}

}  // namespace quirt_format

// The process itself: descriptors, signals, output and the exit status.
// Tests and fuzz targets build this file without it.
#ifndef QUIRT_FORMAT_WITHOUT_MAIN
namespace quirt_format {
namespace {

constexpr int EXIT_BAD_COMMAND_LINE = 1;
constexpr int EXIT_CANNOT_RUN = 101;  // unusable argument or unwritable output

// Writes all of the bytes, across partial writes and interrupted calls.
// On failure errno tells why.
bool write_all(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// When standard error itself cannot be written there is nobody left to
// tell; the status says it.
void write_to_stderr_or_exit(std::string_view bytes) {
    if (!write_all(STDERR_FILENO, bytes)) {
        std::exit(EXIT_CANNOT_RUN);
    }
}

[[noreturn]] void exit_with_diagnostic(std::string_view diagnostic) {
    std::string line{DEFAULT_PROGRAM_NAME};
    line.append(": ").append(diagnostic).push_back('\n');
    (void)write_all(STDERR_FILENO, line);
    std::exit(EXIT_CANNOT_RUN);
}

std::string_view program_name(std::span<const std::string_view> arguments) {
    // An empty argument zero is what Linux hands a process started with none.
    if (arguments.empty() || arguments.front().empty()) {
        return DEFAULT_PROGRAM_NAME;
    }
    return arguments.front();
}

// Argument zero as the process received it; glibc keeps it for us.
std::string_view program_name_from_process() {
    const char* const name = program_invocation_name;
    return name == nullptr || *name == '\0' ? DEFAULT_PROGRAM_NAME : std::string_view{name};
}

void print_usage(std::string_view program_name) {
    std::string usage{"Usage:\n    "};
    usage.append(program_name)
        .append(" [options] <velk> [<dependency> ...]\n"
                "\n"
                "Format a text representation of a Velk noun for use as input to eval threads via "
                "conn\n"
                "\n"
                "options:\n"
                "    -h  Show usage info\n"
                "    -k  Format for the 'murl-eval' thread instead\n");
    write_to_stderr_or_exit(usage);
}

[[noreturn]] void fail_with_usage(std::string_view message) {
    std::string line{message};
    line.push_back('\n');
    write_to_stderr_or_exit(line);
    print_usage(program_name_from_process());
    std::exit(EXIT_BAD_COMMAND_LINE);
}

// Every argument, argument zero included, must be valid UTF-8 before any of
// them is looked at as an option.
std::vector<std::string_view> collect_arguments(std::span<char* const> process_arguments) {
    std::vector<std::string_view> arguments;
    arguments.reserve(process_arguments.size());
    for (const char* const process_argument : process_arguments) {
        const std::string_view argument{process_argument};
        if (!is_valid_utf8(argument)) {
            exit_with_diagnostic("argument " + std::to_string(arguments.size()) +
                                 " is not valid UTF-8: \"" + escape_for_terminal(argument) + '"');
        }
        arguments.push_back(argument);
    }
    return arguments;
}

void print_line(std::string_view line) {
    // Closing reports errors that a file system defers past the write.
    if (!write_all(STDOUT_FILENO, line) || (::close(STDOUT_FILENO) != 0 && errno != EINTR)) {
        exit_with_diagnostic(std::string{"failed printing to stdout: "}.append(std::strerror(errno)));
    }
}

int run(std::span<char* const> process_arguments) {
    const std::vector<std::string_view> arguments = collect_arguments(process_arguments);
    const ScanOutcome outcome = scan_arguments(arguments);
    switch (outcome.action) {
        case ScanAction::show_usage:
            print_usage(program_name(arguments));
            return EXIT_SUCCESS;
        case ScanAction::failure:
            fail_with_usage(outcome.message);
        case ScanAction::run:
            break;
    }
    const std::span<const std::string_view> after_expression =
        std::span{arguments}.subspan(outcome.expression_index + 1);
    print_line(format_request(outcome.thread_name, arguments[outcome.expression_index],
                              after_expression, "\n"));
    return EXIT_SUCCESS;
}

// A closed standard descriptor would go to the next file the process opens,
// which would then receive what is meant for that stream; /dev/null holds
// the place instead.
void open_standard_descriptors() {
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
        if (::fcntl(descriptor, F_GETFD) == -1 && errno == EBADF) {
            // open takes the lowest free descriptor: this one, as those below are open.
            if (::open("/dev/null", O_RDWR) < 0) {
                return;  // a write to a stream still closed then fails with status 101
            }
        }
    }
}

[[noreturn]] void abort_out_of_memory() {
    (void)write_all(STDERR_FILENO, "quirt-format: out of memory\n");
    std::abort();
}

}  // namespace
}  // namespace quirt_format

int main(int argc, char* argv[]) {
    quirt_format::open_standard_descriptors();
    // A reader that has gone must show as a failed write, not kill us.
    (void)std::signal(SIGPIPE, SIG_IGN);
    try {
        return quirt_format::run(std::span{argv, static_cast<std::size_t>(argc)});
    } catch (const std::bad_alloc&) {
        quirt_format::abort_out_of_memory();
    }
}
#endif
