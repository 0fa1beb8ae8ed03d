// The option scan's result where the process does not show it: which
// argument is the expression, and which thread the request is for. What
// each command line writes and returns is the end-to-end table's.
#include "command_line.hpp"

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
    std::string_view thread_name;
    std::size_t expression_index;
};

void PrintTo(const ScanCase& c, std::ostream* out) { *out << c.name; }

class Scan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(Scan, FindsTheExpressionAndTheThread) {
    const ScanCase& c = GetParam();
    const ScanOutcome outcome = scan_arguments(c.arguments);
    ASSERT_EQ(outcome.action, ScanAction::run);
    EXPECT_EQ(outcome.thread_name, c.thread_name);
    EXPECT_EQ(outcome.expression_index, c.expression_index);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, Scan,
    ::testing::Values(ScanCase{"expression", {"qf", "x"}, "%eval", 1},
                      ScanCase{"expression_and_words", {"qf", "x", "a", "b"}, "%eval", 1},
                      ScanCase{"k_expression", {"qf", "-k", "x", "d"}, "%murl-eval", 2},
                      ScanCase{"k_k_expression", {"qf", "-k", "-k", "x"}, "%murl-eval", 3},
                      ScanCase{"empty_expression", {"qf", ""}, "%eval", 1},
                      ScanCase{"options_after_expression", {"qf", "x", "-k", "-h"}, "%eval", 1}),
    [](const ::testing::TestParamInfo<ScanCase>& info) { return std::string{info.param.name}; });

}  // namespace
}  // namespace quirt_format
