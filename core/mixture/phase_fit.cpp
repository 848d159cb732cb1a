#include "mixture/phase_fit.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "computation/weight_fractions.hpp"
#include "fitting/fit_points.hpp"
#include "fitting/least_squares.hpp"
#include "fitting/point_weights.hpp"
#include "fitting/zero_search.hpp"
#include "mixture/mixture.hpp"

namespace kalidos {
namespace {

constexpr double kCellStep = 1e-5;         // on the cell scale factor
constexpr double kSizeRelativeStep = 1e-3;
constexpr double kSmallestSize = 1, kLargestSize = 1e5;  // nm
constexpr double kStartSize = 1000;                      // nm, when a fitted size starts from none
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

// Column layout of the variables: active scales, background, zero, sizes, cells.
struct Layout {
    std::vector<int> scale, size, cell;  // -1: not a parameter
    int background = 0, zero = -1, parameters = 0;
};

// `nonlinear` false: the scales and background alone, the model being linear in them.
Layout layout_of(const Problem& pr, bool nonlinear)
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
    if (pr.settings.fitZeroShift && nonlinear)
        l.zero = l.parameters++;
    for (std::size_t p = 0; p < n; ++p)
        if (pr.active[p] && pr.settings.fitSize && nonlinear)
            l.size[p] = l.parameters++;
    for (std::size_t p = 0; p < n; ++p)
        if (pr.active[p] && pr.settings.fitCell && nonlinear)
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

std::vector<double> difference(const std::vector<double>& up, const std::vector<double>& down, double factor)
{
    std::vector<double> d(up.size());
    for (std::size_t i = 0; i < d.size(); ++i)
        d[i] = (up[i] - down[i]) * factor;
    return d;
}

// The mixture as the least-squares engine sees it: the variables in the layout's order, the
// phases' diagrams kept while their own variables do not move.
class MixtureModel : public LeastSquaresModel {
public:
    MixtureModel(const Problem& pr, const Layout& l) : pr_(pr), l_(l), cached_(pr.count()), c_(pr.count()) {}

    bool evaluate(std::span<const double> values, std::span<double> model) override
    {
        const State s = state_of(values);
        update(s);
        const std::vector<double> y = fitted_of(pr_, s, c_);
        std::copy(y.begin(), y.end(), model.begin());
        return true;
    }

    // Scales and background analytically; the zero shift, sizes and cells by central differences of
    // each phase's diagram alone.
    void derivatives(std::span<const double> values, std::span<const double>, Eigen::MatrixXd& jacobian,
                     std::vector<char>& analytic) override
    {
        const State s = state_of(values);
        update(s);
        for (std::size_t p = 0; p < pr_.count(); ++p)
            if (l_.scale[p] >= 0)
                column(jacobian, analytic, l_.scale[p], c_[p]);
        for (int k = 0; k < pr_.points.terms; ++k) {
            std::vector<double> basis(pr_.points.size());
            for (std::size_t i = 0; i < basis.size(); ++i)
                basis[i] = pr_.points.basis[i * pr_.points.terms + k];
            column(jacobian, analytic, l_.background + k, basis);
        }
        slopes(s, jacobian, analytic);
    }

    State state_of(std::span<const double> values) const
    {
        State s = start_;
        auto at = [&](int column) { return values[static_cast<std::size_t>(column)]; };
        for (std::size_t p = 0; p < pr_.count(); ++p) {
            if (l_.scale[p] >= 0)
                s.scale[p] = at(l_.scale[p]);
            if (l_.size[p] >= 0)
                s.size[p] = at(l_.size[p]);
            if (l_.cell[p] >= 0)
                s.cell[p] = at(l_.cell[p]);
        }
        for (int k = 0; k < pr_.points.terms; ++k)
            s.background[static_cast<std::size_t>(k)] = at(l_.background + k);
        if (l_.zero >= 0)
            s.zero = at(l_.zero);
        return s;
    }

    void set_start(const State& s) { start_ = s; }
    const std::vector<std::vector<double>>& components() const { return c_; }

private:
    struct Key {
        double size = NAN, cell = NAN, zero = NAN;
        bool operator==(const Key&) const = default;
    };

    void update(const State& s)
    {
        for (std::size_t p = 0; p < pr_.count(); ++p) {
            const Key key{s.size[p], s.cell[p], s.zero};
            if (!pr_.active[p] || key == cached_[p])
                continue;
            c_[p] = component(pr_, p, s.size[p], s.cell[p], s.zero);
            cached_[p] = key;
        }
    }

    static void column(Eigen::MatrixXd& jacobian, std::vector<char>& analytic, int k, const std::vector<double>& values)
    {
        for (std::size_t i = 0; i < values.size(); ++i)
            jacobian(static_cast<Eigen::Index>(i), k) = values[i];
        analytic[static_cast<std::size_t>(k)] = 1;
    }

    void slopes(const State& s, Eigen::MatrixXd& jacobian, std::vector<char>& analytic) const
    {
        std::vector<double> zero(pr_.points.size(), 0.0);
        for (std::size_t p = 0; p < pr_.count(); ++p) {
            if (!pr_.active[p])
                continue;
            if (l_.zero >= 0) {
                const double h = kZeroSlopeStep;
                const std::vector<double> d = difference(component(pr_, p, s.size[p], s.cell[p], s.zero + h),
                                                         component(pr_, p, s.size[p], s.cell[p], s.zero - h),
                                                         s.scale[p] / (2 * h));
                for (std::size_t i = 0; i < d.size(); ++i)
                    zero[i] += d[i];
            }
            if (l_.size[p] >= 0) {
                const double h = s.size[p] * kSizeRelativeStep;
                column(jacobian, analytic, l_.size[p],
                       difference(component(pr_, p, s.size[p] + h, s.cell[p], s.zero),
                                  component(pr_, p, s.size[p] - h, s.cell[p], s.zero), s.scale[p] / (2 * h)));
            }
            if (l_.cell[p] >= 0)
                column(jacobian, analytic, l_.cell[p],
                       difference(component(pr_, p, s.size[p], s.cell[p] + kCellStep, s.zero),
                                  component(pr_, p, s.size[p], s.cell[p] - kCellStep, s.zero),
                                  s.scale[p] / (2 * kCellStep)));
        }
        if (l_.zero >= 0)
            column(jacobian, analytic, l_.zero, zero);
    }

    const Problem& pr_;
    const Layout& l_;
    State start_;
    std::vector<Key> cached_;
    std::vector<std::vector<double>> c_;
};

std::vector<FreeVariable> variables_of(const Problem& pr, const Layout& l, const State& s)
{
    std::vector<FreeVariable> v(static_cast<std::size_t>(l.parameters));
    auto set = [&](int column, std::string name, double value, double lower, double upper) {
        if (column >= 0)
            v[static_cast<std::size_t>(column)] = {std::move(name), value, 1e-6, lower, upper};
    };
    for (std::size_t p = 0; p < pr.count(); ++p) {
        const std::string& name = pr.phases[p].name;
        set(l.scale[p], name + " scale", s.scale[p], -INFINITY, INFINITY);
        set(l.size[p], name + " size", s.size[p], kSmallestSize, kLargestSize);
        set(l.cell[p], name + " cell scale", s.cell[p], 1 - kCellScaleReach, 1 + kCellScaleReach);
    }
    for (int k = 0; k < pr.points.terms; ++k)
        set(l.background + k, "background " + std::to_string(k), s.background[static_cast<std::size_t>(k)], -INFINITY,
            INFINITY);
    set(l.zero, "zero shift", s.zero, -INFINITY, INFINITY);
    return v;
}

// One fit at the points' present weights over the variables of `l` (a linear layout moves only the
// scales and background). False when a parameter is not determined.
bool fit_pass(Problem& pr, const Layout& l, State& s, LeastSquaresResult& r)
{
    MixtureModel model(pr, l);
    model.set_start(s);
    LeastSquaresOptions options;
    options.maxCycles = kMaxPhaseFitCycles;
    options.initialDamping = 0;
    options.shiftTolerance = 0;
    options.relativeTolerance = kRelativeTolerance;
    const std::string why =
        solve_least_squares(model, pr.points.observed, pr.points.weight, variables_of(pr, l, s), options, r);
    if (!why.empty() || std::any_of(r.held.begin(), r.held.end(), [](char h) { return h != 0; }))
        return false;
    s = model.state_of(r.values);
    return true;
}

double zero_start(Problem& pr, const Layout& l, const State& s)
{
    return best_zero_start([&](double zero) {
        State trial = s;
        trial.zero = zero;
        LeastSquaresResult r;
        return fit_pass(pr, l, trial, r) ? r.weightedSquares : INFINITY;
    });
}

// The cycles of the fits that move the nonlinear parameters; a fit of the scales alone is one solution.
void count_cycles(Problem& pr, const LeastSquaresResult& r)
{
    if (pr.nonlinear())
        pr.cycles += static_cast<int>(r.cycles.size());
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
// the weights move the scales and background, and those are linear. `r` is the last fit over every
// variable of the full layout.
bool fit_with_weights(Problem& pr, const MeasuredScan& scan, State& s, LeastSquaresResult& r)
{
    const Layout full = layout_of(pr, true), linear = layout_of(pr, false);
    if (pr.settings.fitZeroShift)
        s.zero = zero_start(pr, linear, s);
    // The slopes of the zero shift, sizes and cells are proportional to the scales: those come first.
    if (!fit_pass(pr, linear, s, r) || !fit_pass(pr, full, s, r))
        return false;
    count_cycles(pr, r);
    if (weight_source(scan) != WeightSource::Counts)
        return true;
    bool reweighed = false;
    for (int pass = 1; pass < kMaxWeightPasses && reweigh_by_expected(pr.points, fitted_of(pr, s, components(pr, s)));
         ++pass) {
        reweighed = true;
        LeastSquaresResult linearResult;
        if (!fit_pass(pr, linear, s, linearResult))
            return false;
    }
    if (!reweighed)
        return true;
    if (!fit_pass(pr, full, s, r))
        return false;
    count_cycles(pr, r);
    return true;
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

double covariance(const LeastSquaresResult& r, int i, int j)
{
    return i < 0 || j < 0 ? 0.0 : r.covariance(i, j);
}

double su_of(const LeastSquaresResult& r, int column)
{
    return column < 0 ? 0.0 : r.su[static_cast<std::size_t>(column)];
}

void fill_phases(const Problem& pr, const Layout& l, const State& s, const LeastSquaresResult& r, PhaseFit& result)
{
    std::vector<double> zmv;
    for (std::size_t p = 0; p < pr.count(); ++p) {
        MixturePhase fitted = pr.phases[p];
        fitted.cellScale = s.cell[p];
        zmv.push_back(fitted.zmv());
    }
    const std::vector<FittedValue> fractions = weight_fractions(
        zmv, s.scale, [&](std::size_t i, std::size_t j) { return covariance(r, l.scale[i], l.scale[j]); });
    result.phases.clear();
    for (std::size_t p = 0; p < pr.count(); ++p) {
        FittedPhase f;
        f.contributes = pr.active[p];
        f.scale = {s.scale[p], su_of(r, l.scale[p])};
        f.sizeNm = {s.size[p], su_of(r, l.size[p])};
        f.cellScale = {s.cell[p], su_of(r, l.cell[p])};
        f.fraction = fractions[p];
        result.phases.push_back(f);
    }
}

void fill_curves(const Problem& pr, const Layout& l, const State& s, const LeastSquaresResult& r, PhaseFit& result)
{
    const auto c = components(pr, s);
    fill_figures_and_curves(pr.points, fitted_of(pr, s, c), background_of(pr, s), l.parameters, result.agreement);
    result.agreement.scale = {};
    result.agreement.background.clear();
    for (int k = 0; k < pr.points.terms; ++k)
        result.agreement.background.push_back({s.background[static_cast<std::size_t>(k)], su_of(r, l.background + k)});
    result.agreement.zeroShift = l.zero >= 0 ? FittedValue{s.zero, su_of(r, l.zero)} : FittedValue{};
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
        sorted.figureWeight[i] = points.figureWeight[order[i]];
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
        const Layout l = layout_of(pr, true);
        if (pr.points.size() <= static_cast<std::size_t>(l.parameters))
            return std::to_string(pr.points.size()) + " weighted points for " + std::to_string(l.parameters) +
                   " parameters: at least " + std::to_string(l.parameters + 1) + " are needed";
        pr.points = start;
        pr.cycles = 0;
        State s = start_state(pr);
        LeastSquaresResult r;
        if (!fit_with_weights(pr, scan, s, r))
            return "the scales and background cannot be fitted: the phases' diagrams are flat, zero or alike over the "
                   "observed points";
        if (drop_silent_phases(pr, s, result))
            continue;
        result.cycles = pr.cycles;
        result.converged = r.converged;
        if (!r.converged)
            result.notes.push_back("The fit stopped after " + std::to_string(kMaxPhaseFitCycles) +
                                   " cycles without converging");
        fill_curves(pr, l, s, r, result);
        fill_phases(pr, l, s, r, result);
        return {};
    }
    return "no phase contributes to the observed diagram";
}

}  // namespace kalidos
