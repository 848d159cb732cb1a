// The rules every fit shares: the figures of merit, the free parameters they count, the start of
// the zero shift, and the differences of a column the model cannot difference itself.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fitting/figures_of_merit.hpp"
#include "fitting/least_squares.hpp"
#include "fitting/zero_search.hpp"

namespace kalidos {
namespace {

// Four points weighed 1/yo, worked by hand: residuals −10, 20, −30, 0 give Σw r² = 1 + 1 + 1 + 0
// = 3, Σw yo² = 100 + 400 + 900 + 50 = 1450, Σ|r| = 60, Σ|yo| = 1450.
TEST(FiguresOfMerit, ConventionalDefinitionsAndNoDivisionWithoutFreedom)
{
    const std::vector<double> observed{100, 400, 900, 50}, calculated{110, 380, 930, 50};
    const std::vector<double> weight{0.01, 0.0025, 1.0 / 900, 0.02};
    const Figures f = figures_of_merit(observed, calculated, weight, 2);
    EXPECT_DOUBLE_EQ(f.rp, 60.0 / 1450);
    EXPECT_DOUBLE_EQ(f.rwp, std::sqrt(3.0 / 1450));
    EXPECT_DOUBLE_EQ(f.rexp, std::sqrt(2.0 / 1450));  // N − P = 4 − 2
    EXPECT_DOUBLE_EQ(f.chi2, 1.5);
    const Figures saturated = figures_of_merit(observed, calculated, weight, 4);
    EXPECT_EQ(saturated.rexp, 0);
    EXPECT_EQ(saturated.chi2, 0);
    EXPECT_DOUBLE_EQ(saturated.rwp, f.rwp);
}

// y = (a + c) + b·x: c is the intercept again, held by the solver, and then not a free parameter
// in any cycle's count.
class SharedIntercept : public LeastSquaresModel {
public:
    bool evaluate(std::span<const double> v, std::span<double> model) override
    {
        for (std::size_t i = 0; i < model.size(); ++i)
            model[i] = v[0] + v[2] + v[1] * static_cast<double>(i);
        return true;
    }
};

TEST(FiguresOfMerit, HeldVariablesAreNotCountedAsParameters)
{
    std::vector<double> y(12), w(12, 1.0);
    for (std::size_t i = 0; i < y.size(); ++i)
        y[i] = 2 - 0.5 * static_cast<double>(i) + (i % 2 ? 0.1 : -0.1);
    SharedIntercept model;
    LeastSquaresResult r;
    ASSERT_EQ(solve_least_squares(model, y, w, {{"a", 0}, {"b", 0}, {"c", 1}}, {}, r), "");
    ASSERT_EQ(r.held, (std::vector<char>{0, 0, 1}));
    ASSERT_FALSE(r.cycles.empty());
    for (const CycleReport& cycle : r.cycles)
        EXPECT_EQ(cycle.freeVariables, 2);
    EXPECT_EQ(r.freeVariables, 2);
}

// A model that ends at a = 1 (no value beyond): a start just below it, or on the bound, cannot be
// differenced centrally; the one-sided difference still finds the slope, and the fit reaches 0.5.
class EndsAtOne : public LeastSquaresModel {
public:
    bool evaluate(std::span<const double> v, std::span<double> model) override
    {
        if (v[0] > 1)
            return false;
        for (std::size_t i = 0; i < model.size(); ++i)
            model[i] = v[0] * static_cast<double>(i + 1);
        return true;
    }
};

TEST(LeastSquaresDifferences, OneSidedWhereTheModelEndsOrTheBoundIs)
{
    std::vector<double> y(8), w(8, 1.0);
    for (std::size_t i = 0; i < y.size(); ++i)
        y[i] = 0.5 * static_cast<double>(i + 1);
    EndsAtOne model;
    for (const FreeVariable& start : {FreeVariable{"a", 1 - 1e-7, 1e-6}, FreeVariable{"a", 1, 1e-6, 0, 1}}) {
        LeastSquaresResult r;
        ASSERT_EQ(solve_least_squares(model, y, w, {start}, {}, r), "");
        EXPECT_EQ(r.held[0], 0);
        EXPECT_NEAR(r.values[0], 0.5, 1e-9);
    }
}

// A Gaussian peak (height, centre, width) whose Jacobians are counted through derivatives().
class GaussianPeak : public LeastSquaresModel {
public:
    bool evaluate(std::span<const double> v, std::span<double> model) override
    {
        for (std::size_t i = 0; i < model.size(); ++i) {
            const double x = (static_cast<double>(i) - v[1]) / v[2];
            model[i] = v[0] * std::exp(-x * x);
        }
        return true;
    }
    void derivatives(std::span<const double>, std::span<const double>, Eigen::MatrixXd&, std::vector<char>&) override
    {
        ++jacobians;
    }
    int jacobians = 0;
};

// 40 points of a Gaussian (height 50, centre 19.3, width 4.1) with a residual of a few tenths.
std::vector<double> noisy_gaussian()
{
    std::vector<double> y(40);
    for (std::size_t i = 0; i < y.size(); ++i) {
        const double x = (static_cast<double>(i) - 19.3) / 4.1;
        y[i] = 50 * std::exp(-x * x) + (i % 3 == 0 ? 0.7 : i % 3 == 1 ? -0.4 : -0.3);
    }
    return y;
}

// A fit whose last shifts are within the tolerance of their su keeps the su of that step's normal
// matrix: they must stay within 1 % of those of a normal matrix made at the values reached.
TEST(LeastSquaresConvergence, SuOfTheLastStepAgreeWithThoseAtTheMinimum)
{
    const std::vector<double> y = noisy_gaussian(), w(y.size(), 1.0);
    GaussianPeak model;
    LeastSquaresResult fit;
    ASSERT_EQ(solve_least_squares(model, y, w, {{"h", 40}, {"c", 18}, {"s", 5}}, {}, fit), "");
    ASSERT_TRUE(fit.converged);
    ASSERT_EQ(model.jacobians, static_cast<int>(fit.cycles.size()));  // the last was not made again
    LeastSquaresOptions none;
    none.maxCycles = 0;
    LeastSquaresResult there;
    ASSERT_EQ(solve_least_squares(model, y, w, {{"h", fit.values[0]}, {"c", fit.values[1]}, {"s", fit.values[2]}},
                                  none, there),
              "");
    for (std::size_t k = 0; k < 3; ++k) {
        ASSERT_GT(there.su[k], 0);
        EXPECT_NEAR(fit.su[k] / there.su[k], 1, 0.01) << k;
    }
}

// A Gaussian whose slope along its centre is given with the wrong sign unless precise slopes are
// asked for: its approximate steps cannot bring the centre down to the minimum.
class RoughSlopes : public GaussianPeak {
public:
    void derivatives(std::span<const double> v, std::span<const double>, Eigen::MatrixXd& jacobian,
                     std::vector<char>& analytic) override
    {
        for (Eigen::Index i = 0; i < jacobian.rows(); ++i) {
            const double x = (static_cast<double>(i) - v[1]) / v[2], g = std::exp(-x * x);
            jacobian(i, 0) = g;
            jacobian(i, 1) = (precise ? 2 : -2) * v[0] * g * x / v[2];
            jacobian(i, 2) = 2 * v[0] * g * x * x / v[2];
        }
        analytic.assign(3, 1);
    }
    void precise_derivatives(bool on) override { precise = on, asked |= on; }
    bool precise = false, asked = false;
};

// Where no step along the approximate slopes lowers Σ w r², the fit asks for the precise ones and
// ends at the minimum that a fit with true slopes finds; the model is left approximate again.
TEST(LeastSquaresConvergence, PreciseSlopesWhereApproximateOnesCannotGoDown)
{
    const std::vector<double> y = noisy_gaussian(), w(y.size(), 1.0);
    GaussianPeak exact;
    LeastSquaresResult truth;
    ASSERT_EQ(solve_least_squares(exact, y, w, {{"h", 40}, {"c", 18}, {"s", 5}}, {}, truth), "");
    RoughSlopes rough;
    LeastSquaresResult fit;
    ASSERT_EQ(solve_least_squares(rough, y, w, {{"h", 40}, {"c", 18}, {"s", 5}}, {}, fit), "");
    EXPECT_TRUE(rough.asked);
    EXPECT_FALSE(rough.precise);
    EXPECT_TRUE(fit.converged);
    for (std::size_t k = 0; k < 3; ++k)
        EXPECT_NEAR(fit.values[k], truth.values[k], 0.02 * truth.su[k]) << k;
}

// A fit that ends on its cycle limit gives the su of the normal matrix whose solution made the last
// shifts (that of the start, after one cycle) with the χ² of the values reached: the start's own su
// scaled by the square root of the χ² ratio, without another Jacobian.
TEST(LeastSquaresConvergence, SuOfACycleLimitedFitComeFromItsLastStep)
{
    const std::vector<double> y = noisy_gaussian(), w(y.size(), 1.0);
    const std::vector<FreeVariable> start{{"h", 40}, {"c", 18}, {"s", 5}};
    GaussianPeak model;
    LeastSquaresOptions one;
    one.maxCycles = 1;
    LeastSquaresResult fit;
    ASSERT_EQ(solve_least_squares(model, y, w, start, one, fit), "");
    ASSERT_EQ(fit.outcome, FitOutcome::CycleLimit);
    EXPECT_EQ(model.jacobians, 1);
    LeastSquaresOptions none;
    none.maxCycles = 0;
    LeastSquaresResult there;
    ASSERT_EQ(solve_least_squares(model, y, w, start, none, there), "");
    const double ratio = std::sqrt(fit.weightedSquares / there.weightedSquares);
    ASSERT_LT(ratio, 0.5);  // the cycle moved the values far enough for the χ² to tell
    for (std::size_t k = 0; k < 3; ++k)
        EXPECT_NEAR(fit.su[k], there.su[k] * ratio, 1e-12 * there.su[k]) << k;
}

// y = exp(a·t) at t = 0…7 plus a residual orthogonal to the slope at a = 0.2 (so the minimum stays at
// 0.2) and curved with the model: Gauss–Newton then nears 0.2 at a linear rate of 0.6, the sum
// falling by less than counts long before the shifts are a hundredth of the su. That is a minimum
// reached, not a stall.
class Exponential : public LeastSquaresModel {
public:
    bool evaluate(std::span<const double> v, std::span<double> model) override
    {
        for (std::size_t i = 0; i < model.size(); ++i)
            model[i] = std::exp(v[0] * static_cast<double>(i));
        return true;
    }
};

TEST(LeastSquaresOutcome, SlowLinearApproachToTheMinimumIsConverged)
{
    const std::vector<double> y{1.000000, -2.201014, -5.266545, -7.625021, -8.379887, -6.176337, 0.978887, 15.959732};
    const std::vector<double> w(y.size(), 1.0);
    Exponential model;
    LeastSquaresResult r;
    ASSERT_EQ(solve_least_squares(model, y, w, {{"a", 0.3}}, {}, r), "");
    EXPECT_EQ(r.outcome, FitOutcome::Converged);
    EXPECT_LT(std::fabs(r.values[0] - 0.2), 0.1 * r.su[0]);
    EXPECT_GT(std::fabs(r.cycles.back().shifts[0]), 0.01 * r.su[0]);  // ended by the flat sum, not the shifts
}

// y = a·x + b·x², calculable only where a + b ≥ 0 (as a peak width must stay positive), fitted to
// data whose unconstrained minimum lies beyond that edge: the fit ends at the least squares on the
// edge, b = −a with a = Σ y(x − x²) / Σ (x − x²)², not where its steps first met it.
class EndsAtAnEdge : public LeastSquaresModel {
public:
    bool evaluate(std::span<const double> v, std::span<double> model) override
    {
        if (v[0] + v[1] < 0)
            return false;
        for (std::size_t i = 0; i < model.size(); ++i)
            model[i] = v[0] * x(i) + v[1] * x(i) * x(i);
        return true;
    }
    bool edge(std::span<const double> v, std::span<const double>, std::vector<double>& gradient, double& room) override
    {
        gradient = {1, 1};
        room = v[0] + v[1];
        return true;
    }
    static double x(std::size_t i) { return 0.1 * static_cast<double>(i + 1); }
};

TEST(LeastSquaresOutcome, SlidesAlongTheEdgeOfTheModelToItsLeastSquares)
{
    std::vector<double> y(20), w(20, 1.0);
    double along = 0, norm = 0;
    for (std::size_t i = 0; i < y.size(); ++i) {
        const double x = EndsAtAnEdge::x(i);
        y[i] = x - 2 * x * x + (i % 2 ? 0.05 : -0.05);
        along += y[i] * (x - x * x), norm += (x - x * x) * (x - x * x);
    }
    EndsAtAnEdge model;
    LeastSquaresResult r;
    ASSERT_EQ(solve_least_squares(model, y, w, {{"a", 2}, {"b", 0}}, {}, r), "");
    EXPECT_NEAR(r.values[0], along / norm, 1e-6);
    EXPECT_NEAR(r.values[0] + r.values[1], 0, 1e-9);
}

TEST(ZeroSearch, BestOfTheScanFirstOfEqualsAndZeroWithoutAFit)
{
    EXPECT_NEAR(best_zero_start([](double z) { return (z - 0.1) * (z - 0.1); }), 0.1, 1e-12);
    EXPECT_NEAR(best_zero_start([](double z) { return std::fabs(z + 0.235); }), -0.24, 1e-12);  // the nearest step
    EXPECT_NEAR(best_zero_start([](double) { return 1.0; }), -kZeroSearchReach, 1e-12);
    EXPECT_EQ(best_zero_start([](double) { return INFINITY; }), 0);
}

}  // namespace
}  // namespace kalidos
