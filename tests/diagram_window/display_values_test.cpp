// The three intensity scales of the calculated pattern, the sticks and the observed diagrams.
#include "drawing/display_values.hpp"
#include "sample_workspace.hpp"

#include <cmath>
#include <gtest/gtest.h>

namespace kalidos::drawing {
namespace {

TEST(IntensityScales, FullScaleHundredIsDrawnAtHundredHundredAndNinetyNineAndAHalf)
{
    CalculatedPattern pattern;
    pattern.pointCount = 3;
    pattern.intensities[0] = 100;
    pattern.intensities[1] = 0;
    pattern.intensities[2] = 25;
    const auto linear = calculated_display_values(pattern, IntensityScale::Linear);
    const auto logarithmic = calculated_display_values(pattern, IntensityScale::Logarithmic);
    const auto root = calculated_display_values(pattern, IntensityScale::SquareRoot);
    ASSERT_EQ(root.size(), 3u);
    EXPECT_DOUBLE_EQ(linear[0], 100);
    EXPECT_DOUBLE_EQ(logarithmic[0], 100); // log10(101)·100/log10(101)
    EXPECT_NEAR(root[0], 99.504, 1e-3);    // sqrt(100)·100/sqrt(101)
    EXPECT_DOUBLE_EQ(logarithmic[1], 0);
    EXPECT_DOUBLE_EQ(root[1], 0);
    EXPECT_NEAR(root[2], 49.752, 1e-3);
    EXPECT_NEAR(logarithmic[2], std::log10(26.0) * 100 / std::log10(101.0), 1e-12);
}

TEST(IntensityScales, SticksAreRaisedToOneBeforeTheScale)
{
    auto workspace = kalidos::testing::make_empty_workspace();
    kalidos::testing::add_calculated_peaks(*workspace, {20, 30, 40}, {200, 100, 0});
    const auto linear = stick_display_values(workspace->results, IntensityScale::Linear);
    const auto logarithmic = stick_display_values(workspace->results, IntensityScale::Logarithmic);
    const auto root = stick_display_values(workspace->results, IntensityScale::SquareRoot);
    EXPECT_DOUBLE_EQ(linear[0], 100);
    EXPECT_DOUBLE_EQ(linear[1], 50);
    EXPECT_DOUBLE_EQ(linear[2], 1);      // raised to 1
    EXPECT_DOUBLE_EQ(logarithmic[2], 0); // a stick of height 0
    EXPECT_NEAR(logarithmic[0], 200 / std::log10(101.0), 1e-12);
    EXPECT_NEAR(root[2], 100 / std::sqrt(101.0), 1e-12);
}

TEST(IntensityScales, ObservedDiagramsFillTheSameHeightAndAFlatOneStaysFlat)
{
    auto workspace = kalidos::testing::make_empty_workspace();
    kalidos::testing::add_observed_peak(*workspace, "weak.raw", 30, 2);
    kalidos::testing::add_observed_peak(*workspace, "strong.raw", 30, 90);
    for (int k = 1; k <= 2; ++k) {
        for (IntensityScale scale :
             {IntensityScale::Linear, IntensityScale::Logarithmic, IntensityScale::SquareRoot}) {
            const auto values = observed_display_values(workspace->observed.slots[k], scale);
            EXPECT_DOUBLE_EQ(*std::max_element(values.begin(), values.end()), 100);
        }
    }
    // Linear: the weak diagram's background of 5 under a peak of 7 becomes 5·100/7.
    const auto weak = observed_display_values(workspace->observed.slots[1], IntensityScale::Linear);
    EXPECT_NEAR(weak.front(), 500.0 / 7, 1e-6);

    ObservedSlot flat;
    const auto zeros = observed_display_values(flat, IntensityScale::Logarithmic);
    ASSERT_EQ(zeros.size(), static_cast<std::size_t>(kPatternPoints));
    for (double v : zeros)
        ASSERT_DOUBLE_EQ(v, 0);
}

}  // namespace
}  // namespace kalidos::drawing
