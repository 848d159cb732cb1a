// The pattern on any grid: near windows exact, tails interpolated within the stated bound.
#include "computation/pattern_grid.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "computation/parallel_for.hpp"
#include "computation/profile.hpp"
#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

double literal_sum(const std::vector<ProfileTerm>& terms, double angle)
{
    double sum = 0;
    for (const ProfileTerm& t : terms) {
        const double x = (angle - t.position) / t.halfWidth;
        sum += t.height * (t.eta / (1 + x * x) + (1 - t.eta) * std::exp2(-x * x));
    }
    return sum;
}

TEST(PatternGrid, EqualsTheLiteralSumWithinTheStatedBoundOnAnIrregularGrid)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> position(5, 125), width(0.002, 2), eta(0, 1), height(0.1, 1000);
    std::vector<ProfileTerm> terms;
    double bound = 0;
    for (int i = 0; i < 400; ++i) {
        terms.push_back({position(random), width(random), eta(random), height(random)});
        bound += 3e-5 * terms.back().eta * terms.back().height;
    }
    std::vector<double> grid;
    std::uniform_real_distribution<double> gap(0.0005, 0.05);
    for (double a = 10; a < 120; a += gap(random))
        grid.push_back(a);
    for (const int threads : {1, 3}) {
        set_computation_threads(threads);
        const std::vector<double> values = evaluate_profile_terms(terms, grid);
        for (std::size_t j = 0; j < grid.size(); j += 7)
            ASSERT_NEAR(values[j], literal_sum(terms, grid[j]), bound) << grid[j];
    }
    set_computation_threads(0);
}

// The columns of many weights and the slopes along many directions are made in blocks shared by
// the threads: the same to the last bit with one thread or three, and a column of unit weights is
// the plain sum (made another way: the tails summed at the nodes term by term).
TEST(PatternGrid, ColumnsAndSlopesDoNotDependOnTheThreadsAndMatchThePlainSum)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<double> position(5, 125), width(0.01, 0.3), eta(0, 1), height(0.1, 100), unit(-1, 1);
    std::vector<ProfileTerm> terms;
    std::vector<int> row;
    for (int i = 0; i < 600; ++i) {
        terms.push_back({position(random), width(random), eta(random), height(random)});
        row.push_back(i / 2);  // two terms a row, as the copies of one peak
    }
    const std::vector<double> grid = uniform_grid(10, 120, 0.01);
    Eigen::MatrixXd weights = Eigen::MatrixXd::Ones(300, 3);
    weights.rightCols(2) = Eigen::MatrixXd::NullaryExpr(300, 2, [&] { return unit(random); });
    TermChanges changes;
    for (Eigen::MatrixXd* m : {&changes.height, &changes.position, &changes.halfWidth, &changes.eta})
        *m = Eigen::MatrixXd::NullaryExpr(600, 4, [&] { return unit(random); });
    std::vector<Eigen::MatrixXd> columns, slopes;
    for (const int threads : {1, 3}) {
        set_computation_threads(threads);
        columns.push_back(evaluate_profile_columns(terms, row, weights, grid));
        slopes.push_back(evaluate_profile_slopes(terms, changes, grid));
    }
    set_computation_threads(0);
    EXPECT_EQ(columns[0], columns[1]);
    EXPECT_EQ(slopes[0], slopes[1]);
    const std::vector<double> plain = evaluate_profile_terms(terms, grid);
    for (std::size_t j = 0; j < grid.size(); ++j)
        ASSERT_NEAR(columns[0](static_cast<Eigen::Index>(j), 0), plain[j], 1e-12 * std::max(1.0, plain[j])) << grid[j];
}

TEST(PatternGrid, AreaOfATermIsKeptTailsIncluded)
{
    for (const double eta : {0.0, 0.5, 1.0}) {
        const ProfileTerm t{30, 0.05, eta, height_for_area(250, 0.05, eta)};
        const std::vector<double> grid = uniform_grid(30 - 2000, 30 + 2000, 0.005);
        const std::vector<double> values = evaluate_profile_terms({t}, grid);
        double area = 0;
        for (const double v : values)
            area += v * 0.005;
        // Beyond ±2000° the Lorentzian still holds 2η·H/(π·2000) of the area.
        EXPECT_NEAR(area, 250 * (1 - eta * 2 * 0.05 / (3.141592653589793 * 2000)), 250 * 1e-5) << eta;
    }
}

TEST(PatternGrid, UniformGridHoldsBothEnds)
{
    const std::vector<double> grid = uniform_grid(10, 50, 0.01);
    ASSERT_EQ(grid.size(), 4001u);
    EXPECT_DOUBLE_EQ(grid.back(), 50);
    EXPECT_TRUE(uniform_grid(10, 50, 0).empty());
    EXPECT_EQ(uniform_grid(10, 10.015, 0.01).size(), 2u);
}

TEST(PatternGrid, CalculationOnAnyGridAgreesWithThePictureAtItsPoints)
{
    auto ws = make_workspace(".");
    ws->model.twoTheta1 = 20;
    ws->model.twoTheta2 = 60;
    std::mt19937 random(3);
    std::uniform_real_distribution<double> angle(15, 65), intensity(1, 500);
    for (int i = 0; i < 200; ++i)
        ws->results.merged[++ws->results.merged.count] = Reflection{1, 0, 0, 6, 1.5406, 3.0, angle(random),
                                                                     intensity(random)};
    RecordingCalculationHost host;
    testing::RecordingMessages messages;
    ASSERT_TRUE(synthesise_profile(*ws, host, messages));
    const CalculatedPattern& picture = ws->results.pattern;
    std::vector<double> angles(picture.angles, picture.angles + kPatternPoints);
    const std::vector<double> values = calculated_pattern_at(*ws, angles);
    ASSERT_EQ(values.size(), angles.size());
    for (int j = 0; j < kPatternPoints; ++j)
        ASSERT_NEAR(values[j], picture.intensities[j], 2e-4 * 100) << j;

    ASSERT_TRUE(fill_pattern_grid(*ws, 0.001));
    EXPECT_EQ(ws->results.grid.twoTheta.size(), 40001u);
    EXPECT_EQ(ws->results.grid.intensity.size(), 40001u);
}

}  // namespace
}  // namespace kalidos
