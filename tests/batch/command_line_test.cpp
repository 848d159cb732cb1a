// The program as a user meets it: help, usage errors and their exit statuses.
#include <gtest/gtest.h>

#include "batch_program.hpp"
#include "support/paths.hpp"

namespace kalidos::testing {
namespace {

TEST(BatchCommandLine, HelpExitsWithZeroAndPrintsTheUsage)
{
    const auto dir = make_scratch_dir("batch_help");
    const ProgramRun run = run_batch_program({"--help"}, dir);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Usage: kalidos-batch [options] STRUCTURE_FILE", 0), 0u);
    EXPECT_EQ(run.err, "");
}

TEST(BatchCommandLine, UsageErrorsExitWithTwoAndSayWhy)
{
    const auto dir = make_scratch_dir("batch_usage");
    const ProgramRun none = run_batch_program({}, dir);
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("no structure file given"), std::string::npos) << none.err;

    const ProgramRun bad = run_batch_program({"x.cif", "--range", "10", "fifty"}, dir);
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("\"fifty\" is not a number"), std::string::npos) << bad.err;
    EXPECT_EQ(bad.out, "");
}

}  // namespace
}  // namespace kalidos::testing
