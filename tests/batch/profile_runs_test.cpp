// Whole runs of kalidos-batch with the pattern on a user's grid and the profile options.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

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

TEST(BatchProfile, ProfileOptionsReachEachReflectionsPeak)
{
    const fs::path dir = make_scratch_dir("batch_profile");
    const ProgramRun plain = run_batch_program({"--json", "-", cubic_fixture()}, dir);
    const ProgramRun shaped = run_batch_program({"--profile", "tch", "--gauss", "0", "0", "0.01", "0", "--lorentz", "0",
                                                 "0.02", "--size", "100", "1", "--zero", "0.05", "--json", "-",
                                                 cubic_fixture()},
                                                dir);
    ASSERT_EQ(shaped.status, 0) << shaped.err;
    const JsonDocument a(plain.out), b(shaped.out);
    ASSERT_TRUE(a.valid() && b.valid());
    const sajson::value first = member(a.root(), "reflections").get_array_element(0);
    const double twoTheta = number(first, "two_theta");
    const double t = std::tan(twoTheta * 3.141592653589793 / 360);
    EXPECT_EQ(number(first, "position"), twoTheta);
    EXPECT_NEAR(number(first, "fwhm"), 2 * std::sqrt(0.001 * t * t + 0.005), 1e-8);
    EXPECT_EQ(number(first, "eta"), 0.5);

    const sajson::value peak = member(b.root(), "reflections").get_array_element(0);
    EXPECT_DOUBLE_EQ(number(peak, "position"), twoTheta + 0.05);
    const double c = std::cos(twoTheta * 3.141592653589793 / 360);
    const double lorentz = 0.02 / c + number(peak, "lambda") / (1000 * c) * 180 / 3.141592653589793;
    EXPECT_GT(number(peak, "fwhm"), std::max(0.1, lorentz));
    EXPECT_LT(number(peak, "fwhm"), 0.1 + lorentz);
    EXPECT_GT(number(peak, "eta"), 0.1);
    EXPECT_LT(number(peak, "eta"), 0.9);

    const ProgramRun refused = run_batch_program({"--asymmetry", "0.5", "0", cubic_fixture()}, dir);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("S/L, H/L must lie between 0 and 0.2"), std::string::npos) << refused.err;
}

}  // namespace
}  // namespace kalidos::testing
