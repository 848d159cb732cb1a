// Whole runs of kalidos-batch with the pattern on a user's grid and the profile options.
#include <gtest/gtest.h>

#include <algorithm>

#include "batch_program.hpp"
#include "support/paths.hpp"

namespace kalidos::testing {
namespace {

namespace fs = std::filesystem;

std::string cubic_fixture() { return (test_data_dir() / "batch" / "cubic12.cif").string(); }

std::vector<double> numbers(const sajson::value& array)
{
    std::vector<double> values;
    for (std::size_t i = 0; i < array.get_length(); ++i)
        values.push_back(array.get_array_element(i).get_number_value());
    return values;
}

TEST(BatchProfile, StepGivesThePatternOnTheUsersGrid)
{
    const fs::path dir = make_scratch_dir("batch_step");
    const ProgramRun picture = run_batch_program({"--json", "-", cubic_fixture()}, dir);
    const ProgramRun fine = run_batch_program({"--step", "0.005", "--json", "-", cubic_fixture()}, dir);
    ASSERT_EQ(fine.status, 0) << fine.err;
    const JsonDocument a(picture.out), b(fine.out);
    ASSERT_TRUE(a.valid() && b.valid());
    const std::vector<double> coarse = numbers(member(member(a.root(), "pattern"), "intensity"));
    const std::vector<double> angles = numbers(member(member(b.root(), "pattern"), "two_theta"));
    const std::vector<double> values = numbers(member(member(b.root(), "pattern"), "intensity"));
    EXPECT_EQ(coarse.size(), 1015u);
    ASSERT_EQ(angles.size(), 8001u);  // 10° to 50° every 0.005°
    EXPECT_DOUBLE_EQ(angles[1], 10.005);
    ASSERT_EQ(values.size(), angles.size());
    // The same units as the picture: the fine grid finds each maximum at least as high.
    const double top = *std::max_element(values.begin(), values.end());
    EXPECT_GE(top, 99.9);
    EXPECT_LT(top, 110);
    EXPECT_EQ(run_batch_program({"--step", "0", cubic_fixture()}, dir).status, 2);
}

}  // namespace
}  // namespace kalidos::testing
