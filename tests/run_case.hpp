// One row of a table of runs: how the tool is started, and the status and
// both streams it must end with.
#pragma once

#include "run_process.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace quirt_format::testing {

struct RunCase {
    const char* name;
    Launch launch;
    int status;
    std::string output;
    std::string error;
};

inline void PrintTo(const RunCase& c, std::ostream* out) { *out << c.name; }

inline std::string run_case_name(const ::testing::TestParamInfo<RunCase>& info) {
    return info.param.name;
}

// Runs the row's launch: it must exit, not die by a signal, with the row's
// status and exactly the row's output and error.
inline void expect_row(const RunCase& c) {
    const ProcessResult result = run_process(c.launch);
    EXPECT_FALSE(result.signal.has_value()) << "signal " << result.signal.value_or(0);
    EXPECT_EQ(result.exit_status, c.status);
    EXPECT_EQ(result.output, c.output);
    EXPECT_EQ(result.error, c.error);
}

}  // namespace quirt_format::testing
