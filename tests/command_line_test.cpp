#include "command_line.hpp"
#include "expected_text.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace quirt_format {
namespace {

struct ScanCase {
    const char* name;
    std::vector<std::string_view> arguments;  // argument zero included
    ScanAction action;
    std::string_view thread_name;  // for run
    std::size_t expression_index;  // for run
    std::string_view message;      // for failure
};

void PrintTo(const ScanCase& c, std::ostream* out) { *out << c.name; }

class Scan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(Scan, GivesTheOutcome) {
    const ScanCase& c = GetParam();
    const ScanOutcome outcome = scan_arguments(c.arguments);
    ASSERT_EQ(outcome.action, c.action);
    if (c.action == ScanAction::run) {
        EXPECT_EQ(outcome.thread_name, c.thread_name);
        EXPECT_EQ(outcome.expression_index, c.expression_index);
    }
    if (c.action == ScanAction::failure) {
        EXPECT_EQ(outcome.message, c.message);
    }
}

constexpr ScanAction RUN = ScanAction::run;
constexpr ScanAction USAGE = ScanAction::show_usage;
constexpr ScanAction FAILURE = ScanAction::failure;

INSTANTIATE_TEST_SUITE_P(
    Arguments, Scan,
    ::testing::Values(
        ScanCase{"no_arguments_at_all", {}, FAILURE, {}, 0, "ERROR: no command"},
        ScanCase{"only_argument_zero", {"qf"}, FAILURE, {}, 0, "ERROR: no command"},
        ScanCase{"only_k", {"qf", "-k"}, FAILURE, {}, 0, "ERROR: no command"},
        ScanCase{"k_k", {"qf", "-k", "-k"}, FAILURE, {}, 0, "ERROR: no command"},
        ScanCase{"expression", {"qf", "x"}, RUN, "%eval", 1, {}},
        ScanCase{"expression_and_words", {"qf", "x", "a", "b"}, RUN, "%eval", 1, {}},
        ScanCase{"k_expression", {"qf", "-k", "x", "d"}, RUN, "%murl-eval", 2, {}},
        ScanCase{"k_k_expression", {"qf", "-k", "-k", "x"}, RUN, "%murl-eval", 3, {}},
        ScanCase{"empty_expression", {"qf", ""}, RUN, "%eval", 1, {}},
        ScanCase{"options_after_expression", {"qf", "x", "-k", "-h"}, RUN, "%eval", 1, {}},
        ScanCase{"help", {"qf", "-h"}, USAGE, {}, 0, {}},
        ScanCase{"k_help", {"qf", "-k", "-h"}, USAGE, {}, 0, {}},
        ScanCase{"help_invalid", {"qf", "-h", "-x"}, USAGE, {}, 0, {}},
        ScanCase{"invalid_help", {"qf", "-x", "-h"}, FAILURE, {}, 0, "Invalid option: -x"},
        ScanCase{"hyphen", {"qf", "-"}, FAILURE, {}, 0, "Invalid option: -"},
        ScanCase{"double_hyphen", {"qf", "--"}, FAILURE, {}, 0, "Invalid option: --"},
        ScanCase{"hk", {"qf", "-hk"}, FAILURE, {}, 0, "Invalid option: -hk"},
        ScanCase{"kh", {"qf", "-kh"}, FAILURE, {}, 0, "Invalid option: -kh"},
        ScanCase{"negative_number", {"qf", "-5"}, FAILURE, {}, 0, "Invalid option: -5"},
        ScanCase{"k_then_invalid", {"qf", "-k", "-q", "x"}, FAILURE, {}, 0,
                 "Invalid option: -q"},
        ScanCase{"utf8_option", {"qf", "-\xC3\xA9"}, FAILURE, {}, 0,
                 "Invalid option: -\xC3\xA9"},
        ScanCase{"control_in_option", {"qf", "-\x1B[31m"}, FAILURE, {}, 0,
                 "Invalid option: \"-\\x1B[31m\""}),
    [](const ::testing::TestParamInfo<ScanCase>& info) { return std::string{info.param.name}; });

TEST(ProgramName, IsArgumentZeroOrTheDefault) {
    const std::vector<std::string_view> none;
    const std::vector<std::string_view> empty{""};
    const std::vector<std::string_view> path{"/usr/local/bin/quirt-format", "-h"};
    EXPECT_EQ(program_name(none), "quirt-format");
    EXPECT_EQ(program_name(empty), "quirt-format");
    EXPECT_EQ(program_name(path), "/usr/local/bin/quirt-format");
}

TEST(UsageText, IsTheEightLinesWithTheProgramName) {
    for (const std::string_view program : {"quirt-format", "/opt/q f", "q\xC3\xA9", "q\"\\"}) {
        EXPECT_EQ(usage_text(program), testing::expected_usage(program));
        EXPECT_EQ(failure_text("ERROR: no command", program),
                  testing::expected_failure("ERROR: no command", program));
    }
    // A program name with a control character is shown quoted and escaped.
    EXPECT_EQ(usage_text("qf\n"), testing::expected_usage("\"qf\\x0A\""));
    EXPECT_EQ(failure_text("Invalid option: -x", "\x1B[2Jqf"),
              testing::expected_failure("Invalid option: -x", "\"\\x1B[2Jqf\""));
}

}  // namespace
}  // namespace quirt_format
