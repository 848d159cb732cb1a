// The fit of scale, Chebyshev background and zero shift against diagrams made from known values.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "comparison/agreement.hpp"
#include "comparison/calculated_points.hpp"
#include "fitting/point_weights.hpp"

namespace kalidos {
namespace {

// A calculation of five reflections between 20 and 60° with the default resolution curve.
std::unique_ptr<Workspace> five_peaks()
{
    auto ws = make_workspace(".");
    const double positions[] = {24.3, 31.7, 38.05, 45.2, 57.9};
    const double intensities[] = {400, 1000, 250, 620, 90};
    for (int i = 0; i < 5; ++i) {
        Reflection& r = ws->results.merged[++ws->results.merged.count];
        r.twoTheta = positions[i];
        r.intensity = intensities[i];
    }
    ws->model.u = 0.001, ws->model.v = 0, ws->model.w = 0.005;
    return ws;
}

struct Truth {
    double scale, zero;
    std::vector<double> background;  // over the scan's own first..last 2θ
};

// yo = scale·calc(2θ − Z) + background on 15..65° in steps of 0.01°.
MeasuredScan make_scan(const CalculatedIntensity& calc, const Truth& truth)
{
    MeasuredScan scan;
    for (int i = 0; i <= 5000; ++i)
        scan.twoTheta.push_back(15 + 0.01 * i);
    std::vector<double> shifted(scan.twoTheta.size());
    scan.intensity.resize(scan.twoTheta.size());
    for (std::size_t i = 0; i < shifted.size(); ++i)
        shifted[i] = scan.twoTheta[i] - truth.zero;
    calc(shifted, scan.intensity);
    const ChebyshevInterval interval{15, 65};
    for (std::size_t i = 0; i < shifted.size(); ++i)
        scan.intensity[i] = truth.scale * scan.intensity[i] + chebyshev_sum(interval.reduced(scan.twoTheta[i]), truth.background);
    return scan;
}

TEST(Agreement, RecoversScaleZeroShiftAndBackgroundWithoutNoise)
{
    const auto ws = five_peaks();
    const CalculatedIntensity calc = calculated_intensity(*ws);
    const Truth truth{3.7, 0.083, {120, -35, 14, 6}};
    const MeasuredScan scan = make_scan(calc, truth);
    Agreement a;
    ASSERT_EQ(fit_agreement(scan, 10, 70, calc, {3, true}, a), "");
    EXPECT_EQ(a.points, 5001);
    EXPECT_EQ(a.parameters, 6);
    EXPECT_NEAR(a.scale.value, truth.scale, 1e-6 * truth.scale);
    EXPECT_NEAR(a.zeroShift.value, truth.zero, 1e-6 * truth.zero);
    ASSERT_EQ(a.background.size(), 4u);
    for (int k = 0; k < 4; ++k)
        EXPECT_NEAR(a.background[k].value, truth.background[k], 1e-6 * std::fabs(truth.background[k])) << k;
    EXPECT_LT(a.rwp, 1e-7);
    EXPECT_LT(a.rp, 1e-7);
    // The curves hold the fitted model at every point used.
    ASSERT_EQ(a.curves.calculated.size(), 5001u);
    EXPECT_NEAR(a.curves.calculated[1000], scan.intensity[1000], 1e-6 * scan.intensity[1000]);
}

TEST(Agreement, WithoutZeroFitTheShiftStaysZeroAndOnlyTheLinearPartsAreFitted)
{
    const auto ws = five_peaks();
    const CalculatedIntensity calc = calculated_intensity(*ws);
    const MeasuredScan scan = make_scan(calc, {0.5, 0, {10}});
    Agreement a;
    ASSERT_EQ(fit_agreement(scan, 10, 70, calc, {0, false}, a), "");
    EXPECT_EQ(a.parameters, 2);
    EXPECT_NEAR(a.scale.value, 0.5, 5e-7);
    EXPECT_EQ(a.zeroShift.value, 0);
    EXPECT_EQ(a.zeroShift.su, 0);
}

// Poisson counts: every fitted value lies within three of its standard uncertainties (seeded
// draws, so the test is repeatable), χ² is near 1, and Rexp is the Rwp expected from counting.
TEST(Agreement, PoissonCountsGiveValuesWithinTheirUncertainties)
{
    const auto ws = five_peaks();
    const CalculatedIntensity calc = calculated_intensity(*ws);
    const Truth truth{8.0, -0.031, {300, -60, 25, 10}};
    MeasuredScan scan = make_scan(calc, truth);
    std::mt19937 random(1234);
    for (double& y : scan.intensity)
        y = std::poisson_distribution<int>(y)(random);
    scan.unit = "counts";
    Agreement a;
    ASSERT_EQ(fit_agreement(scan, 10, 70, calc, {3, true}, a), "");
    EXPECT_GT(a.scale.su, 0);
    EXPECT_GT(a.zeroShift.su, 0);
    EXPECT_NEAR(a.scale.value, truth.scale, 3 * a.scale.su);
    EXPECT_NEAR(a.zeroShift.value, truth.zero, 3 * a.zeroShift.su);
    for (int k = 0; k < 4; ++k)
        EXPECT_NEAR(a.background[k].value, truth.background[k], 3 * a.background[k].su) << k;
    EXPECT_NEAR(a.chi2, 1.0, 0.1);
    EXPECT_NEAR(a.rwp / a.rexp, std::sqrt(a.chi2), 1e-9);
    EXPECT_GT(a.rp, 0);
}

TEST(Agreement, RefusesWhatCannotBeFittedAndLeavesTheResultAlone)
{
    const auto ws = five_peaks();
    const CalculatedIntensity calc = calculated_intensity(*ws);
    const MeasuredScan scan = make_scan(calc, {1, 0, {5}});
    Agreement a;
    a.points = -7;
    EXPECT_NE(fit_agreement(scan, 70, 90, calc, {}, a).find("does not overlap"), std::string::npos);
    MeasuredScan zeroSigma = scan;
    zeroSigma.sigma.assign(scan.twoTheta.size(), 0.0);
    EXPECT_NE(fit_agreement(zeroSigma, 10, 70, calc, {}, a).find("weight 0"), std::string::npos);
    // 15.00 .. 15.04: five points for six parameters.
    EXPECT_NE(fit_agreement(scan, 10, 15.045, calc, {3, true}, a).find("at least 7"), std::string::npos);
    EXPECT_NE(fit_agreement(scan, 10, 70, calc, {13, false}, a).find("between 0 and 12"), std::string::npos);
    const CalculatedIntensity flat = [](std::span<const double>, std::span<double> out) {
        std::fill(out.begin(), out.end(), 2.0);
    };
    EXPECT_NE(fit_agreement(scan, 10, 70, flat, {}, a).find("cannot be fitted"), std::string::npos);
    EXPECT_EQ(a.points, -7);
}

TEST(Agreement, WeightsFollowWhatTheFileStates)
{
    MeasuredScan scan;
    scan.intensity = {0, 4, 100, -3};
    EXPECT_EQ(point_weights(scan), (std::vector<double>{1, 1, 1, 1}));
    scan.unit = "counts";
    EXPECT_EQ(point_weights(scan), (std::vector<double>{1, 0.25, 0.01, 1}));
    scan.unit = "cps";
    scan.countingTime = 2;  // 100 cps over 2 s = 200 counts: σ² = 200/4 cps²
    EXPECT_DOUBLE_EQ(point_weights(scan)[2], 4.0 / 200);
    scan.sigma = {2, 0.5, -1, NAN};
    EXPECT_EQ(point_weights(scan), (std::vector<double>{0.25, 4, 0, 0}));
}

// Counts with a background of 400 taken off: the points near 0 scatter by √400, and weigh so,
// not as the single count their value would say (which drove a fit's scale to nothing).
TEST(Agreement, BackgroundSubtractedCountsWeighByTheirScatter)
{
    MeasuredScan scan;
    scan.unit = "cps";
    scan.countingTime = 4;  // 400 counts = 100 cps over 4 s
    std::mt19937 random(11);
    for (int i = 0; i < 2000; ++i) {
        const double peak = i % 200 < 10 ? 4000.0 : 0.0;
        scan.intensity.push_back((std::poisson_distribution<int>(400 + peak)(random) - 400) / 4.0);
    }
    const std::vector<double> w = point_weights(scan);
    for (std::size_t i = 0; i < w.size(); ++i)
        if (scan.intensity[i] < 10) {  // the background's points: σ² = 400 counts = 25 cps²
            EXPECT_NEAR(w[i], 1 / 25.0, 0.15 / 25) << i;
        }
    EXPECT_NEAR(w[5], 16 / (4 * scan.intensity[5]), 1e-12);  // a peak's points by their counts
}

}  // namespace
}  // namespace kalidos
