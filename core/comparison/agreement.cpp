#include "comparison/agreement.hpp"

#include <algorithm>
#include <cmath>
#include <functional>

#include "comparison/fit_points.hpp"
#include "comparison/normal_equations.hpp"
#include "comparison/point_weights.hpp"
#include "util/pascal_format.hpp"

namespace kalidos {
namespace {

constexpr int kMaxIterations = 60;
constexpr int kMaxHalvings = 20;
// Central differences of the calculation over ±h give the slope for the zero shift; h is
// far below any peak width a diffractometer resolves.
constexpr double kSlopeStep = 1e-4;  // degrees
// Gauss-Newton only finds the zero shift from within about a peak width; the start is the best
// of a scan over ±0.3° in steps of 0.02°, wider than the zero errors of aligned instruments.
constexpr double kZeroSearchReach = 0.3, kZeroSearchStep = 0.02;
constexpr double kZeroTolerance = 1e-10;     // degrees
constexpr double kRelativeTolerance = 1e-13;
// Weights from the fitted counts are recomputed until none moves by more than their tolerance.
constexpr int kMaxWeightPasses = 30;

struct Parameters {
    double scale = 0, zero = 0;
    std::vector<double> background;
};

std::vector<double> calculated_at(const CalculatedIntensity& calculated, const FitPoints& points, double zero)
{
    std::vector<double> shifted(points.size()), values(points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        shifted[i] = points.twoTheta[i] - zero;
    calculated(shifted, values);
    return values;
}

double background_at(const FitPoints& points, const Parameters& p, std::size_t i)
{
    return background_value(points, p.background, i);
}

double weighted_squares(const FitPoints& points, const std::vector<double>& calc, const Parameters& p)
{
    double sum = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double r = points.observed[i] - p.scale * calc[i] - background_at(points, p, i);
        sum += points.weight[i] * r * r;
    }
    return sum;
}

// The normal equations at `p`: columns scale, T_0..T_order and, with a slope, the zero shift.
NormalEquations linearise(const FitPoints& points, const std::vector<double>& calc, const std::vector<double>* slope,
                          const Parameters& p)
{
    const int n = 1 + points.terms + (slope ? 1 : 0);
    NormalEquations equations(n);
    std::vector<double> row(static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < points.size(); ++i) {
        row[0] = calc[i];
        std::copy_n(points.basis.begin() + static_cast<std::ptrdiff_t>(i * points.terms), points.terms, row.begin() + 1);
        if (slope)
            row[n - 1] = -p.scale * (*slope)[i];
        const double r = points.observed[i] - p.scale * calc[i] - background_at(points, p, i);
        equations.add(row, points.weight[i], r);
    }
    return equations;
}

Parameters moved(const Parameters& p, const std::vector<double>& step, double fraction, bool withZero)
{
    Parameters next = p;
    next.scale += fraction * step[0];
    for (std::size_t k = 0; k < next.background.size(); ++k)
        next.background[k] += fraction * step[k + 1];
    if (withZero)
        next.zero += fraction * step.back();
    return next;
}

// Scale and background for a fixed zero shift (the model is linear in them); false when singular.
bool linear_fit(const FitPoints& points, const std::vector<double>& calc, Parameters& p)
{
    std::vector<double> step, inverse;
    for (int pass = 0; pass < 2; ++pass) {  // the second pass removes the rounding of the first
        if (!linearise(points, calc, nullptr, p).solve(step, inverse))
            return false;
        p = moved(p, step, 1, false);
    }
    return true;
}

// calc(2θ − Z) by linear interpolation between the values at the points themselves (which
// must rise): good enough to choose where Gauss-Newton starts, and one evaluation in all.
std::vector<double> shifted_by_interpolation(const FitPoints& points, const std::vector<double>& calc, double zero)
{
    const std::vector<double>& t = points.twoTheta;
    std::vector<double> values(t.size());
    std::size_t j = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const double x = t[i] - zero;
        while (j + 2 < t.size() && t[j + 1] < x)
            ++j;
        const double f = std::clamp((x - t[j]) / (t[j + 1] - t[j]), 0.0, 1.0);
        values[i] = calc[j] + f * (calc[j + 1] - calc[j]);
    }
    return values;
}

double best_zero_start(const FitPoints& points, const CalculatedIntensity& calculated, Parameters p)
{
    const bool rising = points.size() > 1 && std::adjacent_find(points.twoTheta.begin(), points.twoTheta.end(),
                                                                std::greater_equal<double>()) == points.twoTheta.end();
    const std::vector<double> unshifted = calculated_at(calculated, points, 0);
    double best = 0, bestSquares = INFINITY;
    const int steps = static_cast<int>(std::lround(kZeroSearchReach / kZeroSearchStep));
    for (int j = -steps; j <= steps; ++j) {
        const double zero = j * kZeroSearchStep;
        const std::vector<double> calc = rising ? shifted_by_interpolation(points, unshifted, zero)
                                                : calculated_at(calculated, points, zero);
        if (!linear_fit(points, calc, p))
            continue;
        const double squares = weighted_squares(points, calc, p);
        if (squares < bestSquares) {
            bestSquares = squares;
            best = zero;
        }
    }
    return best;
}

std::vector<double> slope_at(const FitPoints& points, const CalculatedIntensity& calculated, double zero)
{
    // calc(2θ − Z) as a function of Z: its derivative is −calc′, taken here as a plain slope.
    const std::vector<double> above = calculated_at(calculated, points, zero - kSlopeStep);
    const std::vector<double> below = calculated_at(calculated, points, zero + kSlopeStep);
    std::vector<double> slope(points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        slope[i] = (above[i] - below[i]) / (2 * kSlopeStep);
    return slope;
}

// The calculation at the current zero shift and its slope, kept between the steps.
struct ZeroState {
    std::vector<double> calc, slope;
};

// Gauss-Newton on scale, background and zero shift, halving a step that does not lower Σw r².
// On return `state` holds the calculation at the final zero shift and the slope of the last
// step (taken at most one converged step away).
bool refine_with_zero(const FitPoints& points, const CalculatedIntensity& calculated, Parameters& p, ZeroState& state)
{
    double squares = weighted_squares(points, state.calc, p);
    std::vector<double> step, inverse;
    for (int iteration = 0; iteration < kMaxIterations; ++iteration) {
        state.slope = slope_at(points, calculated, p.zero);
        if (!linearise(points, state.calc, &state.slope, p).solve(step, inverse))
            return false;
        double fraction = 1;
        bool improved = false;
        for (int h = 0; h < kMaxHalvings && !improved; ++h, fraction /= 2) {
            const Parameters trial = moved(p, step, fraction, true);
            std::vector<double> trialCalc = calculated_at(calculated, points, trial.zero);
            const double trialSquares = weighted_squares(points, trialCalc, trial);
            if (trialSquares <= squares) {
                improved = true;
                const bool done = std::fabs(trial.zero - p.zero) < kZeroTolerance ||
                                  squares - trialSquares <= kRelativeTolerance * squares;
                p = trial;
                state.calc = std::move(trialCalc);
                squares = trialSquares;
                if (done)
                    return true;
            }
        }
        if (!improved)
            return true;  // no step lowers the sum: at its minimum within rounding
    }
    return true;
}

// One least-squares pass at fixed weights: scale and background, and the zero shift by
// Gauss-Newton when asked; `state.calc` holds the calculation at the current zero shift.
// Fills the inverse normal matrix; false when a parameter is not determined.
bool fit_pass(const FitPoints& points, const CalculatedIntensity& calculated, bool withZero, Parameters& p,
              ZeroState& state, std::vector<double>& inverse)
{
    if (!linear_fit(points, state.calc, p))
        return false;
    if (withZero && !refine_with_zero(points, calculated, p, state))
        return false;
    std::vector<double> step;
    return linearise(points, state.calc, withZero ? &state.slope : nullptr, p).solve(step, inverse);
}

void fill_result(const FitPoints& points, const std::vector<double>& calc, const std::vector<double>& inverse,
                 const Parameters& p, bool withZero, Agreement& a)
{
    const int parameters = 1 + points.terms + (withZero ? 1 : 0);
    std::vector<double> fitted(points.size()), background(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        background[i] = background_at(points, p, i);
        fitted[i] = p.scale * calc[i] + background[i];
    }
    fill_figures_and_curves(points, fitted, background, parameters, a);
    const int np = parameters;
    auto su = [&](int k) { return std::sqrt(std::max(inverse[k * np + k], 0.0) * a.chi2); };
    a.scale = {p.scale, su(0)};
    a.background.clear();
    for (int k = 0; k < points.terms; ++k)
        a.background.push_back({p.background[k], su(k + 1)});
    a.zeroShift = withZero ? FittedValue{p.zero, su(np - 1)} : FittedValue{};
}

bool reweigh_by_model(FitPoints& points, const std::vector<double>& calc, const Parameters& p)
{
    std::vector<double> expected(points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        expected[i] = p.scale * calc[i] + background_at(points, p, i);
    return reweigh_by_expected(points, expected);
}

}  // namespace

std::string fit_agreement(const MeasuredScan& scan, double calcLow, double calcHigh,
                          const CalculatedIntensity& calculated, const AgreementSettings& settings,
                          Agreement& result)
{
    if (settings.backgroundOrder < 0 || settings.backgroundOrder > kMaxBackgroundOrder)
        return "the background order must lie between 0 and " + std::to_string(kMaxBackgroundOrder);
    const int terms = settings.backgroundOrder + 1;
    const int parameters = 1 + terms + (settings.fitZeroShift ? 1 : 0);
    FitPoints points;
    if (std::string why = select_fit_points(scan, calcLow, calcHigh, terms, points); !why.empty())
        return why;
    if (points.size() <= static_cast<std::size_t>(parameters))
        return std::to_string(points.size()) + " weighted points inside the calculated range for " +
               std::to_string(parameters) + " parameters: at least " + std::to_string(parameters + 1) + " are needed";
    Parameters p;
    p.background.assign(static_cast<std::size_t>(terms), 0.0);
    if (settings.fitZeroShift)
        p.zero = best_zero_start(points, calculated, p);
    std::vector<double> inverse;
    ZeroState state{calculated_at(calculated, points, p.zero), {}};
    const bool counts = weight_source(scan) == WeightSource::Counts;
    points.countingTime = scan.unit == "cps" ? scan.countingTime : 1;
    for (int pass = 0; pass < kMaxWeightPasses; ++pass) {
        if (!fit_pass(points, calculated, settings.fitZeroShift, p, state, inverse))
            return "the scale and background cannot be fitted: the calculation is flat or zero over the observed points";
        if (!counts || !reweigh_by_model(points, state.calc, p))
            break;
    }
    fill_result(points, state.calc, inverse, p, settings.fitZeroShift, result);
    return {};
}

}  // namespace kalidos
