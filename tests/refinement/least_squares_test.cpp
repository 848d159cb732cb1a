#include "fitting/least_squares.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace kalidos {
namespace {

// y = a + b·x over x = 0..n-1, or with `gaussian` a peak a·exp(−(x − b)²/2c²) + d; every derivative
// left to the solver's differences.
class Curve : public LeastSquaresModel {
public:
    explicit Curve(bool gaussian, double forbiddenAbove = INFINITY, double offset = 0)
        : gaussian_(gaussian), forbidden_(forbiddenAbove), offset_(offset)
    {
    }
    bool evaluate(std::span<const double> v, std::span<double> model) override
    {
        if (v[0] > forbidden_)
            return false;  // values that have no model
        for (std::size_t i = 0; i < model.size(); ++i) {
            const double x = static_cast<double>(i) + offset_;
            model[i] = gaussian_ ? v[0] * std::exp(-(x - v[1]) * (x - v[1]) / (2 * v[2] * v[2])) + v[3] : v[0] + v[1] * x;
        }
        return true;
    }

private:
    bool gaussian_;
    double forbidden_, offset_;
};

// A straight line through points with alternating ±e residuals: the fitted values, the reduced χ²
// and the su follow from the closed-form weighted regression.
TEST(LeastSquares, StraightLineMatchesClosedFormValuesAndUncertainties)
{
    const int n = 20;
    std::vector<double> y(n), w(n);
    for (int i = 0; i < n; ++i) {
        y[i] = 3 + 0.5 * i + (i % 2 ? 0.2 : -0.2);
        w[i] = 1 + i % 3;
    }
    double sw = 0, swx = 0, swy = 0, swxx = 0, swxy = 0;
    for (int i = 0; i < n; ++i) {
        sw += w[i], swx += w[i] * i, swy += w[i] * y[i], swxx += w[i] * i * i, swxy += w[i] * i * y[i];
    }
    const double det = sw * swxx - swx * swx;
    const double b = (sw * swxy - swx * swy) / det, a = (swy - b * swx) / sw;
    double s = 0;
    for (int i = 0; i < n; ++i)
        s += w[i] * std::pow(y[i] - a - b * i, 2);
    const double chi2 = s / (n - 2);
    Curve line(false);
    LeastSquaresResult r;
    ASSERT_EQ(solve_least_squares(line, y, w, {{"a", 0}, {"b", 0}}, {}, r), "");
    EXPECT_NEAR(r.values[0], a, 1e-9);
    EXPECT_NEAR(r.values[1], b, 1e-10);
    EXPECT_NEAR(r.reducedChi2(), chi2, 1e-9 * chi2);
    EXPECT_NEAR(r.su[0], std::sqrt(swxx / det * chi2), 1e-6 * r.su[0]);
    EXPECT_NEAR(r.su[1], std::sqrt(sw / det * chi2), 1e-6 * r.su[1]);
    EXPECT_TRUE(r.converged);
    EXPECT_NEAR(r.covariance(0, 1) / (r.su[0] * r.su[1]), -swx / std::sqrt(sw * swxx), 1e-6);
    EXPECT_TRUE(r.correlations.empty());  // -0.85: not above 0.9

    Curve far(false, INFINITY, 100);  // the same points at x = 100..119: intercept and slope correlate
    ASSERT_EQ(solve_least_squares(far, y, w, {{"a", 0}, {"b", 0}}, {}, r), "");
    ASSERT_EQ(r.correlations.size(), 1u);
    EXPECT_EQ(r.correlations[0].first + r.correlations[0].second, "ab");
    EXPECT_LT(r.correlations[0].coefficient, -0.99);
}

TEST(LeastSquares, PeakFoundFromAFarStartWithoutLeavingTheValidRegion)
{
    std::vector<double> y(60), w(60, 1.0);
    for (std::size_t i = 0; i < y.size(); ++i) {
        const double x = static_cast<double>(i);
        y[i] = 50 * std::exp(-(x - 31.3) * (x - 31.3) / (2 * 2.5 * 2.5)) + 4;
    }
    Curve peak(true, 60);  // an amplitude above 60 has no model: such steps must be refused, not taken
    LeastSquaresResult r;
    std::vector<FreeVariable> v{{"a", 10}, {"b", 29}, {"c", 4}, {"d", 0}};
    ASSERT_EQ(solve_least_squares(peak, y, w, v, {}, r), "");
    EXPECT_NEAR(r.values[0], 50, 1e-4);
    EXPECT_NEAR(r.values[1], 31.3, 1e-5);
    EXPECT_NEAR(std::fabs(r.values[2]), 2.5, 1e-5);
    EXPECT_NEAR(r.values[3], 4, 1e-4);
    EXPECT_LE(r.weightedSquares, r.startWeightedSquares);
    for (std::size_t k = 1; k < r.cycles.size(); ++k)  // no cycle ends higher than the one before
        EXPECT_LE(r.cycles[k].weightedSquares, r.cycles[k - 1].weightedSquares);
}

// A second intercept is the first one again: it is held with a note naming it, and the line is fitted.
class TwoIntercepts : public LeastSquaresModel {
public:
    bool evaluate(std::span<const double> v, std::span<double> model) override
    {
        for (std::size_t i = 0; i < model.size(); ++i)
            model[i] = v[0] + v[2] + v[1] * static_cast<double>(i);
        return true;
    }
};

TEST(LeastSquares, UndeterminedVariableIsHeldAndNamedAndCycleCallbackStops)
{
    std::vector<double> y(10), w(10, 1.0);
    for (std::size_t i = 0; i < y.size(); ++i)
        y[i] = 1 + 2 * static_cast<double>(i);
    TwoIntercepts model;
    LeastSquaresResult r;
    ASSERT_EQ(solve_least_squares(model, y, w, {{"a", 0}, {"b", 0}, {"c", 0.5}}, {}, r), "");
    EXPECT_EQ(r.held, (std::vector<char>{0, 0, 1}));
    ASSERT_EQ(r.notes.size(), 1u);
    EXPECT_NE(r.notes[0].find("c is not determined"), std::string::npos);
    EXPECT_DOUBLE_EQ(r.values[2], 0.5);
    EXPECT_NEAR(r.values[0] + r.values[2], 1, 1e-9);
    EXPECT_EQ(r.su[2], 0);

    LeastSquaresOptions stopAtOnce;
    stopAtOnce.initialDamping = 1e3;  // small steps, so that one cycle cannot converge
    stopAtOnce.onCycle = [](const CycleReport&) { return false; };
    Curve line(false);
    ASSERT_EQ(solve_least_squares(line, y, w, {{"a", 0}, {"b", 0}}, stopAtOnce, r), "");
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.cycles.size(), 1u);
    EXPECT_EQ(solve_least_squares(line, std::span(y).first(2), std::span(w).first(2), {{"a", 0}, {"b", 0}}, {}, r),
              "2 weighted points for 2 parameters: at least 3 are needed");
}

}  // namespace
}  // namespace kalidos
