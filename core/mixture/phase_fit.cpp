#include "mixture/phase_fit.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "comparison/fit_points.hpp"
#include "comparison/normal_equations.hpp"
#include "comparison/point_weights.hpp"
#include "mixture/mixture.hpp"

namespace kalidos {
namespace {

// Gauss-Newton finds the zero shift from within about a peak width; it starts from the best of a
// scan over ±0.3° (as the comparison does).
constexpr double kZeroSearchReach = 0.3, kZeroSearchStep = 0.02;
constexpr double kSlopeStep = 1e-4;        // degrees 2θ
constexpr double kCellStep = 1e-5;         // on the cell scale factor
constexpr double kSizeRelativeStep = 1e-3;
constexpr double kSmallestSize = 1, kLargestSize = 1e5;  // nm
constexpr double kStartSize = 1000;                      // nm, when a fitted size starts from none
constexpr int kMaxHalvings = 20;
constexpr int kMaxWeightPasses = 30;
constexpr double kRelativeTolerance = 1e-10;

struct State {
    std::vector<double> scale, background, size, cell;
    double zero = 0;
};

struct Problem {
    FitPoints points;
    std::vector<MixturePhase> phases;
    PhaseFitSettings settings;
    std::vector<bool> active;
    int cycles = 0;

    std::size_t count() const { return phases.size(); }
    bool nonlinear() const { return settings.fitZeroShift || settings.fitSize || settings.fitCell; }
};

// Column layout of the normal equations: active scales, background, zero, sizes, cells.
struct Layout {
    std::vector<int> scale, size, cell;  // -1: not a parameter
    int background = 0, zero = -1, parameters = 0;
};

Layout layout_of(const Problem& pr)
{
    Layout l;
    const std::size_t n = pr.count();
    l.scale.assign(n, -1);
    l.size.assign(n, -1);
    l.cell.assign(n, -1);
    for (std::size_t p = 0; p < n; ++p)
        if (pr.active[p])
            l.scale[p] = l.parameters++;
    l.background = l.parameters;
    l.parameters += pr.points.terms;
    if (pr.settings.fitZeroShift)
        l.zero = l.parameters++;
    for (std::size_t p = 0; p < n; ++p)
        if (pr.active[p] && pr.settings.fitSize)
            l.size[p] = l.parameters++;
    for (std::size_t p = 0; p < n; ++p)
        if (pr.active[p] && pr.settings.fitCell)
            l.cell[p] = l.parameters++;
    return l;
}

// Phase p's absolute diagram at the points, shifted by the zero shift, with a size and cell scale.
std::vector<double> component(const Problem& pr, std::size_t p, double size, double cell, double zero)
{
    MixturePhase phase = pr.phases[p];
    phase.sizeNm = size;
    phase.cellScale = cell;
    std::vector<double> at(pr.points.size());
    for (std::size_t i = 0; i < at.size(); ++i)
        at[i] = pr.points.twoTheta[i] - zero;
    return evaluate_profile_terms(phase_terms(phase), at);
}

std::vector<std::vector<double>> components(const Problem& pr, const State& s)
{
    std::vector<std::vector<double>> c(pr.count());
    for (std::size_t p = 0; p < pr.count(); ++p)
        if (pr.active[p])
            c[p] = component(pr, p, s.size[p], s.cell[p], s.zero);
    return c;
}

std::vector<double> background_of(const Problem& pr, const State& s)
{
    std::vector<double> b(pr.points.size());
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = background_value(pr.points, s.background, i);
    return b;
}

std::vector<double> fitted_of(const Problem& pr, const State& s, const std::vector<std::vector<double>>& c)
{
    std::vector<double> y = background_of(pr, s);
    for (std::size_t p = 0; p < pr.count(); ++p)
        if (pr.active[p])
            for (std::size_t i = 0; i < y.size(); ++i)
                y[i] += s.scale[p] * c[p][i];
    return y;
}

double weighted_squares(const Problem& pr, const State& s, const std::vector<std::vector<double>>& c)
{
    const std::vector<double> y = fitted_of(pr, s, c);
    double sum = 0;
    for (std::size_t i = 0; i < y.size(); ++i) {
        const double r = pr.points.observed[i] - y[i];
        sum += pr.points.weight[i] * r * r;
    }
    return sum;
}

// The derivatives of the nonlinear parameters at every point, one column per parameter.
struct Slopes {
    std::vector<double> zero;
    std::vector<std::vector<double>> size, cell;
};

std::vector<double> difference(const std::vector<double>& up, const std::vector<double>& down, double factor)
{
    std::vector<double> d(up.size());
    for (std::size_t i = 0; i < d.size(); ++i)
        d[i] = (up[i] - down[i]) * factor;
    return d;
}

Slopes slopes_at(const Problem& pr, const State& s)
{
    Slopes sl;
    const std::size_t n = pr.count();
    sl.size.resize(n);
    sl.cell.resize(n);
    if (pr.settings.fitZeroShift)
        sl.zero.assign(pr.points.size(), 0.0);
    for (std::size_t p = 0; p < n; ++p) {
        if (!pr.active[p])
            continue;
        if (pr.settings.fitZeroShift) {
            const std::vector<double> d = difference(component(pr, p, s.size[p], s.cell[p], s.zero + kSlopeStep),
                                                     component(pr, p, s.size[p], s.cell[p], s.zero - kSlopeStep),
                                                     s.scale[p] / (2 * kSlopeStep));
            for (std::size_t i = 0; i < d.size(); ++i)
                sl.zero[i] += d[i];
        }
        if (pr.settings.fitSize) {
            const double h = s.size[p] * kSizeRelativeStep;
            sl.size[p] = difference(component(pr, p, s.size[p] + h, s.cell[p], s.zero),
                                    component(pr, p, s.size[p] - h, s.cell[p], s.zero), s.scale[p] / (2 * h));
        }
        if (pr.settings.fitCell)
            sl.cell[p] = difference(component(pr, p, s.size[p], s.cell[p] + kCellStep, s.zero),
                                    component(pr, p, s.size[p], s.cell[p] - kCellStep, s.zero),
                                    s.scale[p] / (2 * kCellStep));
    }
    return sl;
}

NormalEquations linearise(const Problem& pr, const Layout& l, const State& s,
                          const std::vector<std::vector<double>>& c, const Slopes* slopes)
{
    NormalEquations equations(slopes ? l.parameters : l.background + pr.points.terms);
    const int columns = equations.parameters();
    std::vector<double> row(static_cast<std::size_t>(columns));
    const std::vector<double> y = fitted_of(pr, s, c);
    for (std::size_t i = 0; i < y.size(); ++i) {
        std::fill(row.begin(), row.end(), 0.0);
        for (std::size_t p = 0; p < pr.count(); ++p)
            if (l.scale[p] >= 0)
                row[static_cast<std::size_t>(l.scale[p])] = c[p][i];
        for (int k = 0; k < pr.points.terms; ++k)
            row[static_cast<std::size_t>(l.background + k)] = pr.points.basis[i * pr.points.terms + k];
        if (slopes) {
            if (l.zero >= 0)
                row[static_cast<std::size_t>(l.zero)] = slopes->zero[i];
            for (std::size_t p = 0; p < pr.count(); ++p) {
                if (l.size[p] >= 0)
                    row[static_cast<std::size_t>(l.size[p])] = slopes->size[p][i];
                if (l.cell[p] >= 0)
                    row[static_cast<std::size_t>(l.cell[p])] = slopes->cell[p][i];
            }
        }
        equations.add(row, pr.points.weight[i], pr.points.observed[i] - y[i]);
    }
    return equations;
}

State moved(const Problem& pr, const Layout& l, const State& s, const std::vector<double>& step, double fraction)
{
    State next = s;
    auto at = [&](int column) { return fraction * step[static_cast<std::size_t>(column)]; };
    for (std::size_t p = 0; p < pr.count(); ++p)
        if (l.scale[p] >= 0)
            next.scale[p] += at(l.scale[p]);
    for (int k = 0; k < pr.points.terms; ++k)
        next.background[static_cast<std::size_t>(k)] += at(l.background + k);
    if (l.zero >= 0 && static_cast<int>(step.size()) > l.zero)
        next.zero += at(l.zero);
    for (std::size_t p = 0; p < pr.count(); ++p) {
        if (l.size[p] >= 0 && static_cast<int>(step.size()) > l.size[p])
            next.size[p] = std::clamp(next.size[p] + at(l.size[p]), kSmallestSize, kLargestSize);
        if (l.cell[p] >= 0 && static_cast<int>(step.size()) > l.cell[p])
            next.cell[p] = std::clamp(next.cell[p] + at(l.cell[p]), 1 - kCellScaleReach, 1 + kCellScaleReach);
    }
    return next;
}

// Scales and background at fixed nonlinear parameters: the model is linear in them.
bool linear_fit(const Problem& pr, const Layout& l, State& s, const std::vector<std::vector<double>>& c)
{
    std::vector<double> step, inverse;
    for (int pass = 0; pass < 2; ++pass) {  // the second pass removes the rounding of the first
        if (!linearise(pr, l, s, c, nullptr).solve(step, inverse))
            return false;
        s = moved(pr, l, s, step, 1);
    }
    return true;
}

double best_zero_start(const Problem& pr, const Layout& l, State s)
{
    double best = 0, bestSquares = INFINITY;
    const int steps = static_cast<int>(std::lround(kZeroSearchReach / kZeroSearchStep));
    for (int j = -steps; j <= steps; ++j) {
        s.zero = j * kZeroSearchStep;
        const auto c = components(pr, s);
        if (!linear_fit(pr, l, s, c))
            continue;
        const double squares = weighted_squares(pr, s, c);
        if (squares < bestSquares) {
            bestSquares = squares;
            best = s.zero;
        }
    }
    return best;
}

// Gauss-Newton on every parameter, halving a step that does not lower Σw r². False when the
// equations are singular. Stops after kMaxPhaseFitCycles; the problem counts every cycle made.
bool refine(Problem& pr, const Layout& l, State& s, bool& converged)
{
    auto c = components(pr, s);
    double squares = weighted_squares(pr, s, c);
    std::vector<double> step, inverse;
    converged = false;
    for (int cycle = 0; cycle < kMaxPhaseFitCycles; ++cycle) {
        ++pr.cycles;
        const Slopes slopes = slopes_at(pr, s);
        if (!linearise(pr, l, s, c, &slopes).solve(step, inverse))
            return false;
        bool improved = false;
        double fraction = 1;
        for (int h = 0; h < kMaxHalvings && !improved; ++h, fraction /= 2) {
            const State trial = moved(pr, l, s, step, fraction);
            auto trialC = components(pr, trial);
            const double trialSquares = weighted_squares(pr, trial, trialC);
            if (trialSquares <= squares) {
                improved = true;
                const bool done = squares - trialSquares <= kRelativeTolerance * squares;
                s = trial;
                c = std::move(trialC);
                squares = trialSquares;
                if (done) {
                    converged = true;
                    return true;
                }
            }
        }
        if (!improved) {
            converged = true;  // no step lowers the sum: at its minimum within rounding
            return true;
        }
    }
    return true;
}

// One fit at fixed weights; fills the inverse normal matrix. False when a parameter is not determined.
// `nonlinear` false keeps the zero shift, sizes and cells where they are.
bool fit_pass(Problem& pr, const Layout& l, State& s, bool nonlinear, std::vector<double>& inverse, bool& converged)
{
    converged = true;
    if (!linear_fit(pr, l, s, components(pr, s)))
        return false;
    if (nonlinear && !refine(pr, l, s, converged))
        return false;
    const auto c = components(pr, s);
    std::vector<double> step;
    if (!pr.nonlinear())
        return linearise(pr, l, s, c, nullptr).solve(step, inverse);
    const Slopes slopes = slopes_at(pr, s);
    return linearise(pr, l, s, c, &slopes).solve(step, inverse);
}

State start_state(const Problem& pr)
{
    State s;
    const std::size_t n = pr.count();
    s.scale.assign(n, 0.0);
    s.background.assign(static_cast<std::size_t>(pr.points.terms), 0.0);
    for (const MixturePhase& phase : pr.phases) {
        const double size = phase.sizeNm > 0 ? phase.sizeNm : pr.settings.fitSize ? kStartSize : 0.0;
        s.size.push_back(size);
        s.cell.push_back(std::clamp(phase.cellScale, 1 - kCellScaleReach, 1 + kCellScaleReach));
    }
    return s;
}

// Fits with the counting statistics' weights recomputed from the model until they settle. The
// nonlinear parameters are refined on the first weights and once more on the settled ones: between,
// the weights move the scales and background, and those are linear.
bool fit_with_weights(Problem& pr, const MeasuredScan& scan, State& s, std::vector<double>& inverse, bool& converged)
{
    const Layout l = layout_of(pr);
    if (pr.settings.fitZeroShift)
        s.zero = best_zero_start(pr, l, s);
    if (!fit_pass(pr, l, s, pr.nonlinear(), inverse, converged))
        return false;
    if (weight_source(scan) != WeightSource::Counts)
        return true;
    bool reweighed = false;
    for (int pass = 1; pass < kMaxWeightPasses && reweigh_by_expected(pr.points, fitted_of(pr, s, components(pr, s)));
         ++pass) {
        reweighed = true;
        if (!fit_pass(pr, l, s, false, inverse, converged))
            return false;
    }
    return !reweighed || !pr.nonlinear() || fit_pass(pr, l, s, true, inverse, converged);
}

// Marks the phases that add nothing over the points as inactive; true when one was found.
bool drop_silent_phases(Problem& pr, const State& s, PhaseFit& result)
{
    bool dropped = false;
    for (std::size_t p = 0; p < pr.count(); ++p) {
        if (!pr.active[p] || s.scale[p] > 0)
            continue;
        pr.active[p] = false;
        dropped = true;
        result.notes.push_back(pr.phases[p].name +
                               " contributes nothing to the observed diagram: its weight fraction is 0");
    }
    return dropped;
}

void drop_phases_without_peaks(Problem& pr, PhaseFit& result)
{
    const State s = start_state(pr);
    for (std::size_t p = 0; p < pr.count(); ++p) {
        const std::vector<double> c = component(pr, p, s.size[p], s.cell[p], 0);
        if (std::any_of(c.begin(), c.end(), [](double v) { return v > 0; }))
            continue;
        pr.active[p] = false;
        result.notes.push_back(pr.phases[p].name +
                               " has no peak over the observed points: its weight fraction is 0");
    }
}

double covariance(const std::vector<double>& inverse, int n, int i, int j, double chi2)
{
    return inverse[static_cast<std::size_t>(i * n + j)] * chi2;
}

void fill_phases(const Problem& pr, const Layout& l, const State& s, const std::vector<double>& inverse,
                 PhaseFit& result)
{
    const double chi2 = result.agreement.chi2;
    const int n = l.parameters;
    auto su = [&](int column) { return column < 0 ? 0.0 : std::sqrt(std::max(covariance(inverse, n, column, column, chi2), 0.0)); };
    std::vector<MixturePhase> fitted = pr.phases;
    for (std::size_t p = 0; p < pr.count(); ++p)
        fitted[p].cellScale = s.cell[p];
    const std::vector<double> fractions = weight_fractions(fitted, s.scale);
    double sum = 0;
    for (std::size_t p = 0; p < pr.count(); ++p)
        sum += s.scale[p] * fitted[p].zmv();
    result.phases.clear();
    for (std::size_t p = 0; p < pr.count(); ++p) {
        FittedPhase f;
        f.contributes = pr.active[p];
        f.scale = {s.scale[p], su(l.scale[p])};
        f.sizeNm = {s.size[p], su(l.size[p])};
        f.cellScale = {s.cell[p], su(l.cell[p])};
        // var(w_p) = J C Jᵀ over the scales, J_pj = A_j (δ_pj Σ − S_p A_p) / Σ², A = Z·M·V.
        double variance = 0;
        for (std::size_t i = 0; i < pr.count(); ++i)
            for (std::size_t j = 0; j < pr.count(); ++j) {
                if (l.scale[i] < 0 || l.scale[j] < 0 || sum == 0)
                    continue;
                auto jacobian = [&](std::size_t k) {
                    return fitted[k].zmv() * ((k == p ? sum : 0.0) - s.scale[p] * fitted[p].zmv()) / (sum * sum);
                };
                variance += jacobian(i) * jacobian(j) * covariance(inverse, n, l.scale[i], l.scale[j], chi2);
            }
        f.fraction = {fractions[p], std::sqrt(std::max(variance, 0.0))};
        result.phases.push_back(f);
    }
}

void fill_curves(const Problem& pr, const Layout& l, const State& s, const std::vector<double>& inverse, PhaseFit& result)
{
    const auto c = components(pr, s);
    fill_figures_and_curves(pr.points, fitted_of(pr, s, c), background_of(pr, s), l.parameters, result.agreement);
    const double chi2 = result.agreement.chi2;
    auto su = [&](int column) { return std::sqrt(std::max(covariance(inverse, l.parameters, column, column, chi2), 0.0)); };
    result.agreement.scale = {};
    result.agreement.background.clear();
    for (int k = 0; k < pr.points.terms; ++k)
        result.agreement.background.push_back({s.background[static_cast<std::size_t>(k)], su(l.background + k)});
    result.agreement.zeroShift = l.zero >= 0 ? FittedValue{s.zero, su(l.zero)} : FittedValue{};
    result.phaseCurves.assign(pr.count(), std::vector<double>(pr.points.size(), 0.0));
    for (std::size_t p = 0; p < pr.count(); ++p)
        if (pr.active[p])
            for (std::size_t i = 0; i < pr.points.size(); ++i)
                result.phaseCurves[p][i] = s.scale[p] * c[p][i];
}

// The points in ascending 2θ, as the profile evaluation walks them.
void sort_points(FitPoints& points)
{
    if (std::is_sorted(points.twoTheta.begin(), points.twoTheta.end()))
        return;
    std::vector<std::size_t> order(points.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return points.twoTheta[a] < points.twoTheta[b]; });
    FitPoints sorted = points;
    const auto terms = static_cast<std::size_t>(points.terms);
    for (std::size_t i = 0; i < order.size(); ++i) {
        sorted.twoTheta[i] = points.twoTheta[order[i]];
        sorted.observed[i] = points.observed[order[i]];
        sorted.weight[i] = points.weight[order[i]];
        std::copy_n(points.basis.begin() + static_cast<std::ptrdiff_t>(order[i] * terms), terms,
                    sorted.basis.begin() + static_cast<std::ptrdiff_t>(i * terms));
    }
    points = std::move(sorted);
}

}  // namespace

std::string fit_phases(const MeasuredScan& scan, double low, double high, const std::vector<MixturePhase>& phases,
                       const PhaseFitSettings& settings, PhaseFit& result)
{
    if (settings.backgroundOrder < 0 || settings.backgroundOrder > kMaxBackgroundOrder)
        return "the background order must lie between 0 and " + std::to_string(kMaxBackgroundOrder);
    if (phases.empty() || phases.size() > static_cast<std::size_t>(kMaxPhases))
        return "a fit needs 1 to " + std::to_string(kMaxPhases) + " phases";
    Problem pr{{}, phases, settings, std::vector<bool>(phases.size(), true)};
    if (std::string why = select_fit_points(scan, low, high, settings.backgroundOrder + 1, pr.points); !why.empty())
        return why;
    sort_points(pr.points);
    pr.points.countingTime = scan.unit == "cps" ? scan.countingTime : 1;
    result = PhaseFit{};
    drop_phases_without_peaks(pr, result);
    const FitPoints start = pr.points;
    for (std::size_t attempt = 0; attempt <= phases.size(); ++attempt) {
        if (std::none_of(pr.active.begin(), pr.active.end(), [](bool a) { return a; }))
            return "no phase has a peak over the observed points";
        const Layout l = layout_of(pr);
        if (pr.points.size() <= static_cast<std::size_t>(l.parameters))
            return std::to_string(pr.points.size()) + " weighted points for " + std::to_string(l.parameters) +
                   " parameters: at least " + std::to_string(l.parameters + 1) + " are needed";
        pr.points = start;
        pr.cycles = 0;
        State s = start_state(pr);
        std::vector<double> inverse;
        bool converged = true;
        if (!fit_with_weights(pr, scan, s, inverse, converged))
            return "the scales and background cannot be fitted: the phases' diagrams are flat, zero or alike over the "
                   "observed points";
        if (drop_silent_phases(pr, s, result))
            continue;
        result.cycles = pr.cycles;
        result.converged = converged;
        if (!converged)
            result.notes.push_back("The fit stopped after " + std::to_string(kMaxPhaseFitCycles) +
                                   " cycles without converging");
        fill_curves(pr, l, s, inverse, result);
        fill_phases(pr, l, s, inverse, result);
        return {};
    }
    return "no phase contributes to the observed diagram";
}

}  // namespace kalidos
