// The picture's geometry without a display: mapping, ticks, zoom, reset, shift, picking, readout.
#include "drawing/diagram_geometry.hpp"
#include "sample_workspace.hpp"

#include <cmath>
#include <gtest/gtest.h>

namespace kalidos::drawing {
namespace {

using kalidos::testing::kSampleLambda;

// A 1025 × 300 picture from 10 to 50° 2θ: 25.375 pixels per degree, baseline 272.
DiagramView sample_view(double verticalScale = 1.0)
{
    return make_view(1025, 300, 10, 50, verticalScale);
}

TEST(DiagramMapping, RoundsWorldPointsToTheNearestPixel)
{
    const DiagramView view = sample_view();
    EXPECT_EQ(view.baseline, 272);
    EXPECT_DOUBLE_EQ(view.xScale, 25.375);
    EXPECT_DOUBLE_EQ(view.yScale, 2.72);
    // 20·25.375 + 10 = 517.5 rounds up; 272 − 50·2.72 = 136.
    EXPECT_EQ(point_ecran(view, 30, 50).x, 518);
    EXPECT_EQ(point_ecran(view, 30, 50).y, 136);
    EXPECT_EQ(point_ecran(view, 10, 0).x, 10);
    EXPECT_EQ(point_ecran(view, 50, 100).x, 1025);
    EXPECT_EQ(point_ecran(view, 50, 100).y, 0);
    // S = 2 doubles the pixels per intensity unit: 100 lies far above the picture.
    EXPECT_EQ(point_ecran(sample_view(2.0), 50, 50).y, 0);
    const WorldPoint back = point_monde(view, 518, 136);
    EXPECT_NEAR(back.x, 30.0197, 1e-4);
    EXPECT_DOUBLE_EQ(back.intensity, 50);
}

TEST(AxisTicks, SpanBandsEndWithTheirOwnStep)
{
    EXPECT_DOUBLE_EQ(tick_step(0.05), 0.01);
    EXPECT_DOUBLE_EQ(tick_step(0.1), 0.1);
    EXPECT_DOUBLE_EQ(tick_step(0.5), 0.1);
    EXPECT_DOUBLE_EQ(tick_step(1), 0.1);
    EXPECT_DOUBLE_EQ(tick_step(1.01), 1);
    EXPECT_DOUBLE_EQ(tick_step(10), 1);
    EXPECT_DOUBLE_EQ(tick_step(50), 5);
    EXPECT_DOUBLE_EQ(tick_step(100), 10);
    EXPECT_DOUBLE_EQ(tick_step(100.5), 20);
}

TEST(AxisTicks, LabelsHaveOneDecimalAndTheEndTickIsKept)
{
    const std::vector<Tick> ticks = axis_ticks(10, 50);
    ASSERT_EQ(ticks.size(), 9u);
    EXPECT_EQ(ticks.front().label, " 10.0");
    EXPECT_EQ(ticks[1].label, " 15.0");
    EXPECT_EQ(ticks.back().label, " 50.0");

    // A span of exactly 1: steps of 0.1, both ends included despite binary rounding.
    const std::vector<Tick> tenths = axis_ticks(2, 3);
    ASSERT_EQ(tenths.size(), 11u);
    EXPECT_EQ(tenths[3].label, "  2.3");
    EXPECT_EQ(tenths.back().label, "  3.0");

    // The first tick is moved up when the rounded start lies below the span.
    EXPECT_DOUBLE_EQ(axis_ticks(12.3, 20).front().value, 13);
    // A span of 100 from 0: steps of 10.
    EXPECT_EQ(axis_ticks(0, 100).size(), 11u);
    // Hundredths keep one decimal, so neighbouring ticks may carry the same text.
    const std::vector<Tick> hundredths = axis_ticks(1.0, 1.05);
    ASSERT_EQ(hundredths.size(), 6u);
    EXPECT_EQ(hundredths[1].label, "  1.0");
    // A narrow span of 0.3 gets ticks every 0.1 rather than none.
    EXPECT_EQ(axis_ticks(0.25, 0.55).size(), 3u);
}

TEST(Zoom, BoxGivesIncreasingLimitsAndRaisesThePressedIntensityToTheTop)
{
    auto workspace = kalidos::testing::make_empty_workspace();
    StructureModel& model = workspace->model;
    const DiagramView view = sample_view();
    // Press at x = 20° (px 263.75 → 264), intensity 50 (row 136); release at 30°.
    const double s = apply_zoom(model, AbscissaMode::TwoTheta, view, {264, 136}, 518);
    EXPECT_NEAR(model.twoTheta1, 20.0099, 1e-3);
    EXPECT_NEAR(model.twoTheta2, 30.0197, 1e-3);
    EXPECT_NEAR(model.twoThetaWidth, 10.0099, 1e-3);
    EXPECT_DOUBLE_EQ(s, 2.0); // (300 − 28)/(300 − 136 − 28)
    EXPECT_NEAR(model.q2, 4 * M_PI * std::sin(30.0197 * M_PI / 360) / kSampleLambda, 1e-4);

    // The same box dragged from right to left gives the same limits.
    StructureModel reversed = model;
    reset_display_range(reversed);
    apply_zoom(reversed, AbscissaMode::TwoTheta, view, {518, 136}, 264);
    EXPECT_DOUBLE_EQ(reversed.twoTheta1, model.twoTheta1);
    EXPECT_DOUBLE_EQ(reversed.twoTheta2, model.twoTheta2);

    // A press on or below the baseline leaves S as it was.
    EXPECT_DOUBLE_EQ(
        apply_zoom(reversed, AbscissaMode::TwoTheta, make_view(1025, 300, 10, 50, 1.5), {264, 272}, 518),
        1.5);
    EXPECT_DOUBLE_EQ(
        apply_zoom(reversed, AbscissaMode::TwoTheta, make_view(1025, 300, 10, 50, 1.5), {264, 290}, 518),
        1.5);

    // Theta mode doubles the limits into 2θ.
    StructureModel theta = model;
    apply_zoom(theta, AbscissaMode::Theta, make_view(1025, 300, 5, 25, 1.0), {264, 100}, 518);
    EXPECT_NEAR(theta.twoTheta1, 20.0099, 1e-3);
    EXPECT_NEAR(theta.twoTheta2, 30.0197, 1e-3);
}

TEST(Zoom, QLimitsBeyondFourPiOverLambdaAreClamped)
{
    auto workspace = kalidos::testing::make_empty_workspace();
    StructureModel& model = workspace->model;
    const double qMax = 4 * M_PI / kSampleLambda; // 8.157 Å⁻¹
    // A Q view from 5 to 10 Å⁻¹; the box ends at 9.5 Å⁻¹, beyond 4π/λ.
    const DiagramView view = make_view(1025, 300, 5, 10, 1.0); // 203 pixels per Å⁻¹
    apply_zoom(model, AbscissaMode::Q, view, {213, 100}, 939);
    EXPECT_DOUBLE_EQ(model.q1, 6.0);
    EXPECT_DOUBLE_EQ(model.q2, qMax);
    EXPECT_NEAR(model.twoTheta2, 180, 0.01); // asin(1)·114.5914
    EXPECT_NEAR(model.twoTheta1, 2 * std::asin(model.q1 / qMax) * 180 / M_PI, 1e-3);
}

TEST(ResetAndShift, ResetReturnsToTheCalculationRangeAndShiftCentresOnThePosition)
{
    auto workspace = kalidos::testing::make_empty_workspace();
    StructureModel& model = workspace->model;
    model.twoTheta1 = 20;
    model.twoTheta2 = 24;
    model.q1 = model.q2 = 1;
    model.twoThetaWidth = 4;
    shift_display_range(model, AbscissaMode::TwoTheta, 30);
    EXPECT_DOUBLE_EQ(model.twoTheta1, 28);
    EXPECT_DOUBLE_EQ(model.twoTheta2, 32);
    EXPECT_NEAR(model.q1, 4 * M_PI * std::sin(14 * M_PI / 180) / kSampleLambda, 1e-5);
    // Theta mode: the width is in θ and the limits are doubled.
    model.twoThetaWidth = 2;
    shift_display_range(model, AbscissaMode::Theta, 15);
    EXPECT_DOUBLE_EQ(model.twoTheta1, 28);
    EXPECT_DOUBLE_EQ(model.twoTheta2, 32);
    // Q mode moves the Q limits.
    model.twoThetaWidth = 1;
    shift_display_range(model, AbscissaMode::Q, 3);
    EXPECT_DOUBLE_EQ(model.q1, 2.5);
    EXPECT_DOUBLE_EQ(model.q2, 3.5);
    reset_display_range(model);
    EXPECT_DOUBLE_EQ(model.twoTheta1, 10);
    EXPECT_DOUBLE_EQ(model.twoTheta2, 50);
    EXPECT_DOUBLE_EQ(model.q1, model.enteredQ1);
    EXPECT_DOUBLE_EQ(model.q2, model.enteredQ2);
}

TEST(PeakPicking, EveryReflectionWithinFourPixelsIsFoundInOrder)
{
    auto workspace = kalidos::testing::make_empty_workspace();
    // 30.00° at column 518 (517.5 rounded), 30.20° at 523, 31° at 543.
    kalidos::testing::add_calculated_peaks(*workspace, {30.0, 30.2, 31.0}, {100, 50, 20});
    const DiagramView view = sample_view();
    EXPECT_EQ(reflections_near(view, workspace->results.merged, AbscissaMode::TwoTheta, 520),
              (std::vector<int>{1, 2}));
    EXPECT_EQ(reflections_near(view, workspace->results.merged, AbscissaMode::TwoTheta, 515),
              (std::vector<int>{1}));
    EXPECT_TRUE(reflections_near(view, workspace->results.merged, AbscissaMode::TwoTheta, 514).empty());
    // Theta mode places the reflections at half their angle.
    EXPECT_EQ(
        reflections_near(make_view(1025, 300, 5, 25, 1), workspace->results.merged, AbscissaMode::Theta, 518),
        (std::vector<int>{1}));
}

TEST(DifferenceRows, OnlyColumnsHoldingBothCurvesArePlotted)
{
    DifferenceRows rows;
    rows.record(1, {5, 200});
    rows.record(2, {5, 150});
    rows.record(1, {6, 100});
    rows.record(2, {1016, 40}); // beyond the 1015 columns: not recorded
    rows.record(3, {7, 40});    // only the first two curves are kept
    const std::vector<Pixel> points = difference_points(rows);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0].x, 5);
    EXPECT_EQ(points[0].y, 50); // the second curve 50 pixels higher
    rows.clear();
    EXPECT_TRUE(difference_points(rows).empty());
}

TEST(Readout, ShowsTheAbscissaAndTheSpacingWhenOneWavelengthIsUsed)
{
    auto workspace = kalidos::testing::make_empty_workspace();
    StructureModel& model = workspace->model;
    const DiagramView view = sample_view();
    // Column 518 is 30.0197° 2θ: d = 1.5406/(2 sin 15.0099°) = 2.9743 Å.
    EXPECT_EQ(cursor_readout(view, model, AbscissaMode::TwoTheta, {518, 100}), "2Th=   30.02  d=  2.974");
    EXPECT_EQ(cursor_readout(make_view(1025, 300, 5, 25, 1), model, AbscissaMode::Theta, {518, 100}),
              "Th=   15.01  d=  2.974");
    EXPECT_EQ(cursor_readout(make_view(1025, 300, 1, 5, 1), model, AbscissaMode::Q, {264, 100}),
              "Q=    2.00  d=  3.140");
    model.wavelengths.count = 2;
    EXPECT_EQ(cursor_readout(view, model, AbscissaMode::TwoTheta, {518, 100}), "2Th=   30.02");
    // Left of the margin of a view from 0 the angle is negative: no spacing is shown.
    model.wavelengths.count = 1;
    EXPECT_EQ(cursor_readout(make_view(1025, 300, 0, 40, 1), model, AbscissaMode::TwoTheta, {0, 100}),
              "2Th=   -0.39");
}

}  // namespace
}  // namespace kalidos::drawing
