#include "comparison/agreement.hpp"

#include <algorithm>
#include <cmath>
#include <functional>

#include "fitting/fit_points.hpp"
#include "fitting/least_squares.hpp"
#include "fitting/point_weights.hpp"
#include "fitting/zero_search.hpp"

namespace kalidos {
namespace {

// Weights from the fitted counts are recomputed until none moves by more than their tolerance.
constexpr int kMaxWeightPasses = 30;

// Variables: the scale, T_0..T_order and, when fitted, the zero shift (last).
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

// scale·calc(2θ − Z) + background. With a fixed calculation (no zero shift fitted) the model is
// linear; otherwise the calculation is redone when the zero shift moves.
class ComparisonModel : public LeastSquaresModel {
public:
    ComparisonModel(const FitPoints& points, const CalculatedIntensity* calculated, std::vector<double> calc, double zero)
        : points_(points), calculated_(calculated), calc_(std::move(calc)), zero_(zero)
    {
    }

    bool evaluate(std::span<const double> values, std::span<double> model) override
    {
        at_zero(zero_of(values));
        for (std::size_t i = 0; i < points_.size(); ++i)
            model[i] = values[0] * calc_[i] + background_value(points_, values.subspan(1, terms()), i);
        return true;
    }

    void derivatives(std::span<const double> values, std::span<const double>, Eigen::MatrixXd& jacobian,
                     std::vector<char>& analytic) override
    {
        at_zero(zero_of(values));
        const auto n = static_cast<Eigen::Index>(points_.size());
        for (Eigen::Index i = 0; i < n; ++i) {
            jacobian(i, 0) = calc_[static_cast<std::size_t>(i)];
            for (int k = 0; k < points_.terms; ++k)
                jacobian(i, k + 1) = points_.basis[static_cast<std::size_t>(i) * points_.terms + k];
        }
        std::fill(analytic.begin(), analytic.begin() + 1 + terms(), 1);
        if (!calculated_)
            return;
        // calc(2θ − Z) as a function of Z, differenced over Z ± h.
        const std::vector<double> above = calculated_at(*calculated_, points_, zero_ + kZeroSlopeStep);
        const std::vector<double> below = calculated_at(*calculated_, points_, zero_ - kZeroSlopeStep);
        for (Eigen::Index i = 0; i < n; ++i) {
            const auto j = static_cast<std::size_t>(i);
            jacobian(i, jacobian.cols() - 1) = values[0] * (above[j] - below[j]) / (2 * kZeroSlopeStep);
        }
        analytic.back() = 1;
    }

    const std::vector<double>& calc() const { return calc_; }

private:
    std::size_t terms() const { return static_cast<std::size_t>(points_.terms); }
    double zero_of(std::span<const double> values) const { return calculated_ ? values.back() : zero_; }
    void at_zero(double zero)
    {
        if (calculated_ && zero != zero_) {
            calc_ = calculated_at(*calculated_, points_, zero);
            zero_ = zero;
        }
    }

    const FitPoints& points_;
    const CalculatedIntensity* calculated_;  // null: the calculation is fixed
    std::vector<double> calc_;
    double zero_;
};

std::vector<FreeVariable> variables_of(const Parameters& p, int terms, bool withZero)
{
    std::vector<FreeVariable> v{{"scale", p.scale}};
    for (int k = 0; k < terms; ++k)
        v.push_back({"background " + std::to_string(k), p.background[static_cast<std::size_t>(k)]});
    if (withZero)
        v.push_back({"zero shift", p.zero, kZeroSlopeStep});
    return v;
}

std::vector<double> variables_values(const Parameters& p, bool withZero)
{
    std::vector<double> values{p.scale};
    values.insert(values.end(), p.background.begin(), p.background.end());
    if (withZero)
        values.push_back(p.zero);
    return values;
}

Parameters parameters_of(const std::vector<double>& values, int terms, bool withZero, double zero)
{
    Parameters p;
    p.scale = values[0];
    p.background.assign(values.begin() + 1, values.begin() + 1 + terms);
    p.zero = withZero ? values.back() : zero;
    return p;
}

// The comparison's convergence: as close to the minimum as rounding allows, since the fitted values
// are printed to many digits.
LeastSquaresOptions comparison_options()
{
    LeastSquaresOptions o;
    o.maxCycles = 60;
    o.initialDamping = 0;
    o.shiftTolerance = 1e-7;
    o.relativeTolerance = 1e-13;
    return o;
}

// One least-squares fit at the points' present weights; false when a parameter is not determined.
bool solve(const FitPoints& points, ComparisonModel& model, bool withZero, Parameters& p, LeastSquaresResult& r)
{
    const std::string why = solve_least_squares(model, points.observed, points.weight,
                                                variables_of(p, points.terms, withZero), comparison_options(), r);
    if (!why.empty() || std::any_of(r.held.begin(), r.held.end(), [](char h) { return h != 0; }))
        return false;
    p = parameters_of(r.values, points.terms, withZero, p.zero);
    return true;
}

// The scale and background at the present zero shift (the model is linear in them), then with the
// zero shift when it is fitted: its slope is proportional to the scale, which must be known first.
bool fit_pass(const FitPoints& points, ComparisonModel& model, bool withZero, Parameters& p, LeastSquaresResult& r)
{
    std::vector<double> at(points.size());
    model.evaluate(variables_values(p, withZero), at);
    ComparisonModel fixed(points, nullptr, model.calc(), p.zero);
    return solve(points, fixed, false, p, r) && (!withZero || solve(points, model, true, p, r));
}

// calc(2θ − Z) by linear interpolation between the values at the points themselves (which
// must rise): good enough to choose where the fit starts, and one evaluation in all.
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

double zero_start(const FitPoints& points, const CalculatedIntensity& calculated, const Parameters& start)
{
    const bool rising = points.size() > 1 && std::adjacent_find(points.twoTheta.begin(), points.twoTheta.end(),
                                                                std::greater_equal<double>()) == points.twoTheta.end();
    const std::vector<double> unshifted = calculated_at(calculated, points, 0);
    return best_zero_start([&](double zero) {
        ComparisonModel fixed(points, nullptr,
                              rising ? shifted_by_interpolation(points, unshifted, zero)
                                     : calculated_at(calculated, points, zero),
                              zero);
        Parameters p = start;
        LeastSquaresResult r;
        return solve(points, fixed, false, p, r) ? r.weightedSquares : INFINITY;
    });
}

void fill_result(const FitPoints& points, const std::vector<double>& calc, const LeastSquaresResult& r,
                 const Parameters& p, bool withZero, Agreement& a)
{
    const int parameters = 1 + points.terms + (withZero ? 1 : 0);
    std::vector<double> fitted(points.size()), background(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        background[i] = background_value(points, p.background, i);
        fitted[i] = p.scale * calc[i] + background[i];
    }
    fill_figures_and_curves(points, fitted, background, parameters, a);
    a.scale = {p.scale, r.su[0]};
    a.background.clear();
    for (int k = 0; k < points.terms; ++k)
        a.background.push_back({p.background[static_cast<std::size_t>(k)], r.su[static_cast<std::size_t>(k) + 1]});
    a.zeroShift = withZero ? FittedValue{p.zero, r.su.back()} : FittedValue{};
}

bool reweigh_by_model(FitPoints& points, const std::vector<double>& calc, const Parameters& p)
{
    std::vector<double> expected(points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        expected[i] = p.scale * calc[i] + background_value(points, p.background, i);
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
        p.zero = zero_start(points, calculated, p);
    ComparisonModel model(points, settings.fitZeroShift ? &calculated : nullptr,
                          calculated_at(calculated, points, p.zero), p.zero);
    const bool counts = weight_source(scan) == WeightSource::Counts;
    points.countingTime = scan.unit == "cps" ? scan.countingTime : 1;
    LeastSquaresResult r;
    for (int pass = 0; pass < kMaxWeightPasses; ++pass) {
        if (!fit_pass(points, model, settings.fitZeroShift, p, r))
            return "the scale and background cannot be fitted: the calculation is flat or zero over the observed points";
        std::vector<double> fitted(points.size());
        model.evaluate(r.values, fitted);  // leaves the calculation at the fitted zero shift
        if (!counts || !reweigh_by_model(points, model.calc(), p))
            break;
    }
    fill_result(points, model.calc(), r, p, settings.fitZeroShift, result);
    return {};
}

}  // namespace kalidos
