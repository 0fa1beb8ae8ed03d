// End-to-end: the built executable, its streams and its exit status for
// each kind of command line. This table owns the command lines; the unit
// tests of the scan and of the quoting own the rest of their rules.
#include "expected_text.hpp"
#include "run_process.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace quirt_format::testing {
namespace {

enum class Expect { line, usage, failure };

struct CommandCase {
    const char* name;
    std::vector<std::string> arguments;  // after argument zero
    Expect expect;
    std::string text;  // the line without "\n", or the failure message
};

void PrintTo(const CommandCase& c, std::ostream* out) { *out << c.name; }

class CommandLine : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandLine, WritesStreamsAndStatus) {
    const CommandCase& c = GetParam();
    std::vector<std::string> arguments{"quirt-format"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const ProcessResult result = run_process({.arguments = arguments});
    switch (c.expect) {
        case Expect::line:
            EXPECT_EQ(result.output, c.text + "\n");
            EXPECT_EQ(result.error, "");
            EXPECT_EQ(result.exit_status, 0);
            break;
        case Expect::usage:
            EXPECT_EQ(result.output, "");
            EXPECT_EQ(result.error, expected_usage("quirt-format"));
            EXPECT_EQ(result.exit_status, 0);
            break;
        case Expect::failure:
            EXPECT_EQ(result.output, "");
            EXPECT_EQ(result.error, expected_failure(c.text));
            EXPECT_EQ(result.exit_status, 1);
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scan, CommandLine,
    ::testing::Values(
        CommandCase{"request", {"(add 1 2)"}, Expect::line,
                    "[0 %brax [%base %eval %noun [%pim-eval '(add 1 2)']]]"},
        CommandCase{"request_k", {"-k", "(add 1 2)", "dep1"}, Expect::line,
                    "[0 %brax [%base %murl-eval %noun [%pim-eval ['(add 1 2)' [dep1 ~]]]]]"},
        CommandCase{"k_twice", {"-k", "-k", "x"}, Expect::line,
                    "[0 %brax [%base %murl-eval %noun [%pim-eval 'x']]]"},
        CommandCase{"empty_expression", {""}, Expect::line,
                    "[0 %brax [%base %eval %noun [%pim-eval '']]]"},
        CommandCase{"empty_word", {"x", ""}, Expect::line,
                    "[0 %brax [%base %eval %noun [%pim-eval ['x' [ ~]]]]]"},
        CommandCase{"options_after_expression", {"x", "-k", "-h"}, Expect::line,
                    "[0 %brax [%base %eval %noun [%pim-eval ['x' [-k -h ~]]]]]"},
        CommandCase{"negative_number_word", {"x", "-5", "--"}, Expect::line,
                    "[0 %brax [%base %eval %noun [%pim-eval ['x' [-5 -- ~]]]]]"},
        CommandCase{"newline_and_quote", {"it's\n", "a b"}, Expect::line,
                    "[0 %brax [%base %eval %noun [%pim-eval ['it's\n' [a b ~]]]]]"},
        CommandCase{"help", {"-h"}, Expect::usage, ""},
        CommandCase{"k_then_help", {"-k", "-h"}, Expect::usage, ""},
        CommandCase{"help_then_invalid", {"-h", "-x"}, Expect::usage, ""},
        CommandCase{"help_then_expression", {"-h", "x"}, Expect::usage, ""},
        CommandCase{"nothing", {}, Expect::failure, "ERROR: no command"},
        CommandCase{"only_k", {"-k"}, Expect::failure, "ERROR: no command"},
        CommandCase{"k_k", {"-k", "-k"}, Expect::failure, "ERROR: no command"},
        CommandCase{"invalid_then_help", {"-x", "-h"}, Expect::failure, "Invalid option: -x"},
        CommandCase{"k_then_invalid", {"-k", "-q", "x"}, Expect::failure, "Invalid option: -q"},
        CommandCase{"hyphen", {"-"}, Expect::failure, "Invalid option: -"},
        CommandCase{"double_hyphen", {"--", "x"}, Expect::failure, "Invalid option: --"},
        CommandCase{"hk", {"-hk"}, Expect::failure, "Invalid option: -hk"},
        CommandCase{"kh", {"-kh"}, Expect::failure, "Invalid option: -kh"},
        CommandCase{"negative_number", {"-5"}, Expect::failure, "Invalid option: -5"},
        CommandCase{"long_option", {"--help"}, Expect::failure, "Invalid option: --help"},
        // The option is shown as the quoting shows a control character.
        CommandCase{"option_with_escape_sequence", {"-\x1B[31m"}, Expect::failure,
                    "Invalid option: \"-\\x1B[31m\""}),
    [](const ::testing::TestParamInfo<CommandCase>& info) { return std::string{info.param.name}; });

// The usage text names argument zero exactly as received, or as the
// quoting shows it when it holds a control character.
TEST(Usage, NamesArgumentZeroAsReceived) {
    if (under_valgrind()) {
        GTEST_SKIP() << "valgrind hands the tool an argument zero of its own";
    }
    for (const auto& [program, shown] :
         {std::pair{"/usr/local/bin/quirt-format", "/usr/local/bin/quirt-format"},
          std::pair{"./my tool", "./my tool"}, std::pair{"q\xC3\xA9", "q\xC3\xA9"},
          std::pair{"\x1B]0;qf\a", R"("\x1B]0;qf\x07")"}}) {
        const ProcessResult help = run_process({.arguments = {program, "-h"}});
        EXPECT_EQ(help.error, expected_usage(shown));
        EXPECT_EQ(help.exit_status, 0);
        const ProcessResult bad = run_process({.arguments = {program, "-q"}});
        EXPECT_EQ(bad.error, expected_failure("Invalid option: -q", shown));
        EXPECT_EQ(bad.exit_status, 1);
    }
}

// With no argument zero, or an empty one, the usage text names quirt-format.
TEST(Usage, WithoutArgumentZeroNamesTheTool) {
    if (under_valgrind()) {
        GTEST_SKIP() << "valgrind hands the tool an argument zero of its own";
    }
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, std::vector<std::string>{""}}) {
        const ProcessResult result = run_process({.arguments = arguments});
        EXPECT_EQ(result.output, "");
        EXPECT_EQ(result.error, expected_failure("ERROR: no command"));
        EXPECT_EQ(result.exit_status, 1);
    }
    const ProcessResult help = run_process({.arguments = {"", "-h"}});
    EXPECT_EQ(help.error, expected_usage("quirt-format"));
    EXPECT_EQ(help.exit_status, 0);
}

struct Utf8Case {
    const char* name;
    std::vector<std::string> arguments;  // argument zero included
    std::string diagnostic;
};

void PrintTo(const Utf8Case& c, std::ostream* out) { *out << c.name; }

class InvalidUtf8 : public ::testing::TestWithParam<Utf8Case> {};

// Status 101 before any option is honoured, naming the first argument that
// is not UTF-8, shown as the escape for the terminal shows it.
TEST_P(InvalidUtf8, ExitsWith101) {
    if (under_valgrind() && GetParam().arguments.front() != "quirt-format") {
        GTEST_SKIP() << "valgrind hands the tool an argument zero of its own";
    }
    const ProcessResult result = run_process({.arguments = GetParam().arguments});
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(result.error, "quirt-format: " + GetParam().diagnostic + "\n");
    EXPECT_EQ(result.exit_status, 101);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, InvalidUtf8,
    ::testing::Values(
        Utf8Case{"expression", {"quirt-format", "bad\xFF" "arg"},
                 "argument 1 is not valid UTF-8: \"bad\\xFFarg\""},
        Utf8Case{"argument_zero", {"q\xC0\xAF", "-h"},
                 "argument 0 is not valid UTF-8: \"q\\xC0\\xAF\""},
        Utf8Case{"after_help", {"quirt-format", "-h", "\xED\xA0\x80"},
                 "argument 2 is not valid UTF-8: \"\\xED\\xA0\\x80\""},
        Utf8Case{"after_invalid_option", {"quirt-format", "-x", "\x80"},
                 "argument 2 is not valid UTF-8: \"\\x80\""},
        Utf8Case{"first_of_two", {"quirt-format", "x", "ok", "\x1B[2J\xF4\x90\x80\x80", "\xFF"},
                 "argument 3 is not valid UTF-8: \"\\x1B[2J\\xF4\\x90\\x80\\x80\""}),
    [](const ::testing::TestParamInfo<Utf8Case>& info) { return std::string{info.param.name}; });

}  // namespace
}  // namespace quirt_format::testing
