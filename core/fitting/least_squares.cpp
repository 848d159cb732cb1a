#include "fitting/least_squares.hpp"

#include <Eigen/Cholesky>  // for the damped normal equations
#include <Eigen/LU>        // for the covariance of the free variables

#include <algorithm>
#include <cmath>

#include "computation/parallel_for.hpp"
#include "fitting/figures_of_merit.hpp"

namespace kalidos {
namespace {

constexpr double kLargestDamping = 1e12;
constexpr double kDampingFactor = 10;
constexpr double kSmallestDamping = 1e-3;  // where λ starts again after a Gauss–Newton step failed
// A cycle that lowers Σ w r² by less than this many reduced χ² changes nothing a test could see; a
// few of them in a row, with shifts still large, and the fit has stalled.
constexpr double kFlatFall = 1e-2;
constexpr int kFlatCycles = 3;
// Shifts below this part of their su leave the values where the data put them: a fit whose sum no
// longer falls has converged when its shifts are that small, even if they shrink only slowly (Gauss–
// Newton's linear rate with large residuals, or weakly determined atoms, halves them each cycle) or
// wander within a flat valley (slopes made by differences, at the rounding of the sum).
constexpr double kNegligibleShift = 0.2;
// A step of this part of its su after an undamped cycle is the rounding of a linear model's exact
// step, not a move.
constexpr double kRoundingShift = 1e-6;
constexpr double kRounding = 1e-10;  // relative

struct Fit {
    LeastSquaresModel& model;
    Eigen::Map<const Eigen::VectorXd> observed, weights;
    std::vector<FreeVariable> variables;
    std::size_t points() const { return static_cast<std::size_t>(observed.size()); }
    std::size_t count() const { return variables.size(); }
};

bool all_finite(const Eigen::VectorXd& v)
{
    return v.allFinite();
}

// Σ w r² at `values`, and the model there; infinity when the values have no model.
double weighted_squares(Fit& fit, const std::vector<double>& values, Eigen::VectorXd& model)
{
    model.resize(static_cast<Eigen::Index>(fit.points()));
    if (!fit.model.evaluate(values, {model.data(), fit.points()}) || !all_finite(model))
        return INFINITY;
    const Eigen::VectorXd r = fit.observed - model;
    return (fit.weights.array() * r.array().square()).sum();
}

// The model at `values` with variable k moved to `x`, when x differs from its value and the model
// has a finite value there.
bool evaluate_moved(Fit& fit, const std::vector<double>& values, std::size_t k, double x, Eigen::VectorXd& model)
{
    if (x == values[k])
        return false;
    std::vector<double> shifted = values;
    shifted[k] = x;
    return fit.model.evaluate(shifted, {model.data(), fit.points()}) && model.allFinite();
}

// Central differences for every column the model did not fill, or one-sided ones where the model
// cannot be evaluated on one side (or the variable sits on a bound): a fit that has pressed a width
// against its limit still knows the way back. A column with no slope on either side is 0, and the
// variable is held. (Forward differences alone, at half the cost, send the cell of a search over
// few reflections astray.)
void difference_columns(Fit& fit, const std::vector<double>& values, const Eigen::VectorXd& model,
                        const std::vector<char>& analytic, Eigen::MatrixXd& jacobian)
{
    Eigen::VectorXd above(static_cast<Eigen::Index>(fit.points())), below(above.size());
    for (std::size_t k = 0; k < fit.count(); ++k) {
        if (analytic[k])
            continue;
        const FreeVariable& v = fit.variables[k];
        const double high = std::min(values[k] + v.step, v.upper), low = std::max(values[k] - v.step, v.lower);
        const bool upOk = high > values[k] && evaluate_moved(fit, values, k, high, above);
        const bool downOk = low < values[k] && evaluate_moved(fit, values, k, low, below);
        const auto column = static_cast<Eigen::Index>(k);
        if (!upOk && !downOk) {
            jacobian.col(column).setZero();
            continue;
        }
        if (!upOk)
            above = model;
        if (!downOk)
            below = model;
        const double width = (upOk ? high : values[k]) - (downOk ? low : values[k]);
        jacobian.col(column) = (above - below) / width;
    }
}

Eigen::MatrixXd jacobian_at(Fit& fit, const std::vector<double>& values, const Eigen::VectorXd& model)
{
    Eigen::MatrixXd jacobian = Eigen::MatrixXd::Zero(static_cast<Eigen::Index>(fit.points()),
                                                     static_cast<Eigen::Index>(fit.count()));
    std::vector<char> analytic(fit.count(), 0);
    fit.model.derivatives(values, {model.data(), fit.points()}, jacobian, analytic);
    difference_columns(fit, values, model, analytic, jacobian);
    return jacobian;
}

// Which variables the data determine: an incremental Cholesky factorisation of the normal matrix
// scaled to unit diagonal, in the order given, holds a variable whose pivot (its share not explained
// by the variables before it) falls below the tolerance.
std::vector<char> undetermined(const Eigen::MatrixXd& normal, double tolerance)
{
    const Eigen::Index n = normal.rows();
    std::vector<char> held(static_cast<std::size_t>(n), 0);
    std::vector<Eigen::Index> kept;
    Eigen::MatrixXd lower = Eigen::MatrixXd::Zero(n, n);  // rows and columns of the kept variables
    for (Eigen::Index k = 0; k < n; ++k) {
        const double diagonal = normal(k, k);
        if (!(diagonal > 0) || !std::isfinite(diagonal)) {
            held[static_cast<std::size_t>(k)] = 1;
            continue;
        }
        const auto m = static_cast<Eigen::Index>(kept.size());
        Eigen::VectorXd y(m);
        for (Eigen::Index i = 0; i < m; ++i) {
            double sum = normal(kept[static_cast<std::size_t>(i)], k) /
                         std::sqrt(diagonal * normal(kept[static_cast<std::size_t>(i)], kept[static_cast<std::size_t>(i)]));
            for (Eigen::Index j = 0; j < i; ++j)
                sum -= lower(i, j) * y(j);
            y(i) = sum / lower(i, i);
        }
        const double pivot = 1 - y.squaredNorm();
        if (!(pivot > tolerance)) {
            held[static_cast<std::size_t>(k)] = 1;
            continue;
        }
        lower.row(m).head(m) = y.transpose();
        lower(m, m) = std::sqrt(pivot);
        kept.push_back(k);
    }
    return held;
}

// A linear bound on the steps of the free variables: gradient·d ≥ −room.
struct Edge {
    Eigen::VectorXd gradient;
    double room = 0;
};

// The normal matrix and right-hand side of the free variables, in the order of `free`.
struct Normal {
    Eigen::MatrixXd matrix;
    Eigen::VectorXd vector;
    std::vector<Edge> edges;  // the model's edge met where the fit stands (empty: none)
    Eigen::MatrixXd inverse;  // of the whole matrix, made when first asked for
};

// JᵀJ of the weighted columns `w`, summed over fixed blocks of its rows, which the threads share
// when the product is large: each block's sum is made whole by one thread and the blocks are
// added in order, so that the matrix does not depend on the number of threads.
Eigen::MatrixXd normal_matrix(const Eigen::MatrixXd& w)
{
    constexpr Eigen::Index kBlockRows = 2048;
    constexpr double kThreadedProduct = 1e7;  // multiplications
    const Eigen::Index n = w.cols();
    const auto blocks = static_cast<int>(std::max<Eigen::Index>(1, (w.rows() + kBlockRows - 1) / kBlockRows));
    std::vector<Eigen::MatrixXd> parts(static_cast<std::size_t>(blocks));
    const auto part = [&](int b) {
        const Eigen::Index first = b * kBlockRows, rows = std::min(kBlockRows, w.rows() - first);
        Eigen::MatrixXd& sum = parts[static_cast<std::size_t>(b)];
        sum = Eigen::MatrixXd::Zero(n, n);
        if (rows > 0)
            sum.selfadjointView<Eigen::Lower>().rankUpdate(w.middleRows(first, rows).transpose());
    };
    if (static_cast<double>(w.rows()) * static_cast<double>(n * n) / 2 >= kThreadedProduct)
        parallel_items(blocks, part);
    else
        for (int b = 0; b < blocks; ++b)
            part(b);
    Eigen::MatrixXd matrix = std::move(parts.front());
    for (std::size_t b = 1; b < parts.size(); ++b)
        matrix += parts[b];
    return matrix.selfadjointView<Eigen::Lower>();
}

// The normal matrix and right-hand side of the free variables, in the order of `free`, from the
// Jacobian with its rows weighted by √w.
Normal normal_of(const Fit& fit, const Eigen::MatrixXd& weighted, const Eigen::VectorXd& model,
                 const std::vector<Eigen::Index>& free)
{
    const Eigen::VectorXd root = fit.weights.cwiseSqrt();
    const bool all = static_cast<Eigen::Index>(free.size()) == weighted.cols();  // free is ascending
    Eigen::MatrixXd picked;
    if (!all)
        picked = weighted(Eigen::all, free);
    const Eigen::MatrixXd& w = all ? weighted : picked;
    Normal normal;
    normal.matrix = normal_matrix(w);
    normal.vector = w.transpose() * (fit.observed - model).cwiseProduct(root);
    return normal;
}

// A step that crosses edges is the least-squares step on them instead: δ + A⁻¹Gᵀμ, μ ≥ 0, with
// G(δ + A⁻¹Gᵀμ) = −room on the edges it rests on (A the damped matrix of the moving variables, G
// their gradients over those). The edge crossed most is added to those it rests on, one that would
// pull the step back from its edge (μ < 0) let go, until the step crosses none (an active set).
void keep_within_edges(const std::vector<Edge>& edges, const Eigen::LLT<Eigen::MatrixXd>& llt,
                       const std::vector<Eigen::Index>& moving, const std::vector<Eigen::Index>& fixed,
                       Eigen::VectorXd& step)
{
    const Eigen::VectorXd unbound = step(moving);
    std::vector<std::size_t> on, redundant;
    const auto listed = [](const std::vector<std::size_t>& list, std::size_t e) {
        return std::find(list.begin(), list.end(), e) != list.end();
    };
    const std::size_t rounds = 4 * edges.size() + 4;
    for (std::size_t round = 0; round < rounds; ++round) {
        std::size_t worst = edges.size();
        double crossing = 0;
        for (std::size_t e = 0; e < edges.size(); ++e) {
            const double over = -edges[e].room - edges[e].gradient.dot(step);
            if (over > crossing && !listed(on, e) && !listed(redundant, e))
                worst = e, crossing = over;
        }
        if (worst == edges.size())
            return;
        on.push_back(worst);
        for (;;) {
            const auto k = static_cast<Eigen::Index>(on.size());
            Eigen::MatrixXd g(k, static_cast<Eigen::Index>(moving.size()));
            Eigen::VectorXd target(k);
            for (Eigen::Index i = 0; i < k; ++i) {
                const Edge& edge = edges[on[static_cast<std::size_t>(i)]];
                g.row(i) = edge.gradient(moving).transpose();
                target(i) = -edge.room - edge.gradient(fixed).dot(step(fixed)) - g.row(i).dot(unbound);
            }
            const Eigen::MatrixXd ag = llt.solve(g.transpose());
            const Eigen::LDLT<Eigen::MatrixXd> ldlt(g * ag);
            if (ldlt.info() != Eigen::Success || !(ldlt.vectorD().minCoeff() > 0)) {
                redundant.push_back(on.back());  // an edge the others already hold the step to
                on.pop_back();
                break;
            }
            const Eigen::VectorXd mu = ldlt.solve(target);
            Eigen::Index slack = 0;
            if (mu.minCoeff(&slack) < 0 && k > 1) {
                on.erase(on.begin() + slack);
                continue;
            }
            step(moving) = unbound + ag * mu.cwiseMax(0.0);
            break;
        }
    }
}

// Solves (N + λ diag N) δ = v for the variables not pinned, the pinned ones' δ given in `step`;
// false when the damped matrix is not positive definite.
bool damped_step(const Normal& normal, double damping, const std::vector<char>& pinned, Eigen::VectorXd& step)
{
    std::vector<Eigen::Index> moving, fixed;
    for (std::size_t k = 0; k < pinned.size(); ++k)
        (pinned[k] ? fixed : moving).push_back(static_cast<Eigen::Index>(k));
    Eigen::MatrixXd a = normal.matrix(moving, moving);
    a.diagonal() *= 1 + damping;
    const Eigen::LLT<Eigen::MatrixXd> llt(a);
    if (llt.info() != Eigen::Success)
        return false;
    const Eigen::VectorXd given = step(fixed);
    const Eigen::VectorXd rest = normal.vector(moving) - normal.matrix(moving, fixed) * given;
    const Eigen::VectorXd solved = llt.solve(rest);
    step(moving) = solved;
    if (!normal.edges.empty())
        keep_within_edges(normal.edges, llt, moving, fixed, step);
    return step.allFinite();
}

// The damped step within each variable's largest shift, and with the variables that sit on a bound
// and would be pushed beyond it kept there. Such a variable is pinned at its limit and the others
// solved again: clipped afterwards instead, its share of the step would have been spent by the others
// on a move that is not made, and such steps keep failing along a valley that leads off a bound. (A
// step from inside that crosses a bound is only clipped when it is made: pinned there, a fit slides
// along the bound into minima of its own.)
bool bounded_step(const Fit& fit, const Normal& normal, const std::vector<Eigen::Index>& free,
                  const std::vector<double>& values, double damping, Eigen::VectorXd& step)
{
    std::vector<char> pinned(free.size(), 0);
    step = Eigen::VectorXd::Zero(static_cast<Eigen::Index>(free.size()));
    for (std::size_t round = 0; round <= free.size(); ++round) {
        if (!damped_step(normal, damping, pinned, step))
            return false;
        bool more = false;
        for (std::size_t k = 0; k < free.size(); ++k) {
            const FreeVariable& v = fit.variables[static_cast<std::size_t>(free[k])];
            const double x = values[static_cast<std::size_t>(free[k])];
            const double low = x <= v.lower ? x : x - v.largestShift;
            const double high = x >= v.upper ? x : x + v.largestShift;
            double& d = step(static_cast<Eigen::Index>(k));
            if (!pinned[k] && (x + d < low || x + d > high)) {
                d = std::clamp(x + d, low, high) - x;
                pinned[k] = 1, more = true;
            }
        }
        if (!more)
            return true;
    }
    return true;
}

std::vector<double> moved(const Fit& fit, const std::vector<double>& values, const std::vector<Eigen::Index>& free,
                          const Eigen::VectorXd& step)
{
    std::vector<double> next = values;
    for (std::size_t k = 0; k < free.size(); ++k) {
        const FreeVariable& v = fit.variables[static_cast<std::size_t>(free[k])];
        double& x = next[static_cast<std::size_t>(free[k])];
        x = std::clamp(x + step(static_cast<Eigen::Index>(k)), v.lower, v.upper);
    }
    return next;
}

struct State {
    std::vector<double> values;
    Eigen::VectorXd model;
    double squares = 0;
    double damping = 0;
};

// The covariance of the free variables (inverse normal matrix × reduced χ²), spread into all rows.
// `kept` are the positions in `free` of the variables it covers: those off their bounds.
void fill_uncertainties(const Fit& fit, Normal& normal, const std::vector<Eigen::Index>& free,
                        const std::vector<Eigen::Index>& kept, LeastSquaresResult& result)
{
    const auto n = static_cast<Eigen::Index>(fit.count());
    result.covariance = Eigen::MatrixXd::Zero(n, n);
    result.su.assign(fit.count(), 0.0);
    if (kept.empty())
        return;
    // The whole matrix's inverse is kept: the su of a step's own matrix are asked for again with
    // the χ² of the values it reached.
    const bool whole = static_cast<Eigen::Index>(kept.size()) == normal.matrix.rows();
    if (whole && normal.inverse.rows() != normal.matrix.rows())
        normal.inverse = normal.matrix.inverse();
    const Eigen::MatrixXd inverse = whole ? normal.inverse : Eigen::MatrixXd(normal.matrix(kept, kept).inverse());
    const double chi2 = result.reducedChi2();
    for (std::size_t i = 0; i < kept.size(); ++i)
        for (std::size_t j = 0; j < kept.size(); ++j)
            result.covariance(free[static_cast<std::size_t>(kept[i])], free[static_cast<std::size_t>(kept[j])]) =
                inverse(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(j)) * chi2;
    for (const Eigen::Index k : kept) {
        const Eigen::Index v = free[static_cast<std::size_t>(k)];
        result.su[static_cast<std::size_t>(v)] = std::sqrt(std::max(result.covariance(v, v), 0.0));
    }
}

std::vector<Eigen::Index> all_of(const std::vector<Eigen::Index>& free)
{
    std::vector<Eigen::Index> kept(free.size());
    for (std::size_t k = 0; k < free.size(); ++k)
        kept[k] = static_cast<Eigen::Index>(k);
    return kept;
}

// Which free variables end on a bound, and the positions in `free` of the others.
std::vector<Eigen::Index> mark_limits(const Fit& fit, const std::vector<Eigen::Index>& free,
                                      const std::vector<double>& values, LeastSquaresResult& result)
{
    result.onLimit.assign(fit.count(), 0);
    std::vector<Eigen::Index> kept;
    for (std::size_t k = 0; k < free.size(); ++k) {
        const auto v = static_cast<std::size_t>(free[k]);
        const FreeVariable& variable = fit.variables[v];
        if (values[v] <= variable.lower)
            result.onLimit[v] = -1;
        else if (values[v] >= variable.upper)
            result.onLimit[v] = 1;
        else
            kept.push_back(static_cast<Eigen::Index>(k));
    }
    return kept;
}

void fill_correlations(const Fit& fit, double reported, LeastSquaresResult& result)
{
    result.correlations.clear();
    const Eigen::MatrixXd& c = result.covariance;
    for (Eigen::Index i = 0; i < c.rows(); ++i)
        for (Eigen::Index j = i + 1; j < c.cols(); ++j) {
            const double d = std::sqrt(c(i, i) * c(j, j));
            if (!(d > 0))
                continue;
            const double r = c(i, j) / d;
            if (std::fabs(r) > reported)
                result.correlations.push_back({fit.variables[static_cast<std::size_t>(i)].name,
                                               fit.variables[static_cast<std::size_t>(j)].name, r});
        }
}

// The edge the model meets where it is nearest its edge at `toward`, over the free variables; false
// when it has none there.
bool edge_toward(Fit& fit, const std::vector<double>& values, const std::vector<double>& toward,
                 const std::vector<Eigen::Index>& free, Edge& edge)
{
    std::vector<double> gradient;
    double room = 0;
    if (!fit.model.edge(values, toward, gradient, room) || gradient.size() != fit.count() || !(room >= 0))
        return false;
    edge.gradient.resize(static_cast<Eigen::Index>(free.size()));
    for (std::size_t k = 0; k < free.size(); ++k)
        edge.gradient(static_cast<Eigen::Index>(k)) = gradient[static_cast<std::size_t>(free[k])];
    edge.room = room;
    return edge.gradient.squaredNorm() > 0;
}

// The damped step, solved again on each edge of the model that its end meets (the edge's bound
// where the model at the end is nearest it) until the end stays within them: along a curved edge
// the bound where the fit stands is only the tangent, and a step along it leaves the region.
bool step_within_edges(Fit& fit, Normal& normal, const std::vector<Eigen::Index>& free,
                       const std::vector<double>& values, double damping, Eigen::VectorXd& step)
{
    constexpr int kMostEdges = 6;
    const std::size_t met = normal.edges.size();
    bool ok = bounded_step(fit, normal, free, values, damping, step);
    for (int more = 0; ok && !normal.edges.empty() && more < kMostEdges; ++more) {
        Edge edge;
        if (!edge_toward(fit, values, moved(fit, values, free, step), free, edge) ||
            !(edge.gradient.dot(step) < -edge.room))
            break;
        normal.edges.push_back(std::move(edge));
        ok = bounded_step(fit, normal, free, values, damping, step);
    }
    normal.edges.resize(met);
    return ok;
}

// One cycle: the step of the free variables that lowers Σ w r², damped as much as it takes.
// False when no damping finds a lower sum (the values are at a minimum within rounding).
bool cycle(Fit& fit, Normal& normal, const std::vector<Eigen::Index>& free, State& state)
{
    double damping = state.damping;
    for (;;) {
        Eigen::VectorXd step;
        if (step_within_edges(fit, normal, free, state.values, damping, step)) {
            State trial{moved(fit, state.values, free, step), {}, 0, damping};
            trial.squares = weighted_squares(fit, trial.values, trial.model);
            if (trial.squares <= state.squares) {
                trial.damping = damping / kDampingFactor;
                if (trial.damping < kSmallestDamping / kDampingFactor)
                    trial.damping = 0;
                state = std::move(trial);
                return true;
            }
        }
        damping = damping == 0 ? kSmallestDamping : damping * kDampingFactor;
        if (damping > kLargestDamping)
            return false;
    }
}

std::vector<Eigen::Index> free_of(const std::vector<char>& held)
{
    std::vector<Eigen::Index> free;
    for (std::size_t k = 0; k < held.size(); ++k)
        if (!held[k])
            free.push_back(static_cast<Eigen::Index>(k));
    return free;
}

void note_held(const Fit& fit, const std::vector<char>& held, LeastSquaresResult& result)
{
    for (std::size_t k = 0; k < held.size(); ++k)
        if (held[k] && !result.held[k]) {
            result.held[k] = 1;
            result.notes.push_back(fit.variables[k].name +
                                   " is not determined by the data (singular normal matrix) and is held");
        }
}

// The free variables' normal equations at `state`, holding any the data do not determine.
Normal linearise(Fit& fit, State& state, double tolerance, std::vector<Eigen::Index>& free, LeastSquaresResult& result)
{
    Eigen::MatrixXd jacobian = jacobian_at(fit, state.values, state.model);
    jacobian.array().colwise() *= fit.weights.cwiseSqrt().array();  // weighted once, in place
    Normal all = normal_of(fit, jacobian, state.model, free_of(result.held));
    std::vector<Eigen::Index> candidates = free_of(result.held);
    const std::vector<char> dependent = undetermined(all.matrix, tolerance);
    std::vector<char> held = result.held;
    for (std::size_t k = 0; k < candidates.size(); ++k)
        if (dependent[k])
            held[static_cast<std::size_t>(candidates[k])] = 1;
    note_held(fit, held, result);
    free = free_of(result.held);
    Normal normal = free.size() == candidates.size() ? std::move(all) : normal_of(fit, jacobian, state.model, free);
    if (Edge edge; edge_toward(fit, state.values, state.values, free, edge))
        normal.edges.push_back(std::move(edge));
    return normal;
}

// A shift below `tolerance` of its su, or at the rounding of its value (a fit without misfit has
// no su to compare with).
bool small_shift(double shift, double value, double su, double tolerance)
{
    return std::fabs(shift) <= tolerance * su || std::fabs(shift) <= kRounding * std::max(1.0, std::fabs(value));
}

bool shifts_converged(const CycleReport& cycle, const std::vector<double>& su, double tolerance)
{
    for (std::size_t k = 0; k < cycle.shifts.size(); ++k)
        if (!small_shift(cycle.shifts[k], cycle.values[k], su[k], tolerance))
            return false;
    return true;
}

// Whether the undamped step from `values`, within the edges, moves every variable by less than
// `tolerance` of its su.
bool step_is_small(Fit& fit, Normal& normal, const std::vector<Eigen::Index>& free,
                   const std::vector<double>& values, const std::vector<double>& su, double tolerance)
{
    Eigen::VectorXd step;
    if (!step_within_edges(fit, normal, free, values, 0, step))
        return false;
    for (std::size_t k = 0; k < free.size(); ++k) {
        const auto v = static_cast<std::size_t>(free[k]);
        if (!small_shift(step(static_cast<Eigen::Index>(k)), values[v], su[v], tolerance))
            return false;
    }
    return true;
}

CycleReport report_of(int number, const State& state, const std::vector<double>& before, const LeastSquaresResult& r)
{
    CycleReport report;
    report.cycle = number;
    report.weightedSquares = state.squares;
    report.reducedChi2 = r.reducedChi2();
    report.damping = state.damping;
    report.freeVariables = r.freeVariables;
    report.values = state.values;
    report.model.assign(state.model.data(), state.model.data() + state.model.size());
    report.su = r.su;
    report.shifts.resize(before.size());
    for (std::size_t k = 0; k < before.size(); ++k)
        report.shifts[k] = state.values[k] - before[k];
    return report;
}

std::string start_state(Fit& fit, const LeastSquaresOptions& options, State& state)
{
    for (const FreeVariable& v : fit.variables)
        state.values.push_back(std::clamp(v.value, v.lower, v.upper));
    state.squares = weighted_squares(fit, state.values, state.model);
    if (!std::isfinite(state.squares))
        return "the model cannot be calculated from the starting values";
    state.damping = options.initialDamping;
    return {};
}

}  // namespace

const char* outcome_text(FitOutcome outcome)
{
    switch (outcome) {
    case FitOutcome::Converged: return "converged";
    case FitOutcome::Stalled: return "stalled";
    case FitOutcome::CycleLimit: return "cycle limit";
    case FitOutcome::Diverged: return "diverged";
    case FitOutcome::Stopped: return "stopped";
    }
    return "";
}

double LeastSquaresResult::reducedChi2() const
{
    return reduced_chi2(weightedSquares, static_cast<std::size_t>(points), freeVariables);
}

std::string solve_least_squares(LeastSquaresModel& model, std::span<const double> observed,
                                std::span<const double> weights, const std::vector<FreeVariable>& variables,
                                const LeastSquaresOptions& options, LeastSquaresResult& result)
{
    const auto n = static_cast<Eigen::Index>(observed.size());
    Fit fit{model, {observed.data(), n}, {weights.data(), n}, variables};
    const auto points = static_cast<int>(std::count_if(weights.begin(), weights.end(), [](double w) { return w > 0; }));
    if (points <= static_cast<int>(variables.size()))
        return std::to_string(points) + " weighted points for " + std::to_string(variables.size()) +
               " parameters: at least " + std::to_string(variables.size() + 1) + " are needed";
    State state;
    if (std::string why = start_state(fit, options, state); !why.empty())
        return why;
    LeastSquaresResult r;
    r.points = points;
    r.held.assign(variables.size(), 0);
    r.startWeightedSquares = r.weightedSquares = state.squares;
    std::vector<Eigen::Index> free;
    Normal normal;
    // The normal equations made at the values reached, and their su.
    const auto linearise_here = [&] {
        normal = linearise(fit, state, options.singularTolerance, free, r);
        r.freeVariables = static_cast<int>(free.size());
        fill_uncertainties(fit, normal, free, all_of(free), r);
    };
    linearise_here();
    int flat = 0;  // cycles in a row that lowered Σ w r² by nothing that counts
    bool precise = false;  // the model's precise derivatives asked for
    r.outcome = FitOutcome::CycleLimit;
    for (int number = 1; number <= options.maxCycles && !free.empty(); ++number) {
        // After an undamped cycle, a step of a millionth of the su at the values reached (the
        // normal matrix made there) is the rounding of a linear model's exact step: trying it would
        // only meet the rounding of Σ w r², damped again and again.
        if (number > 1 && state.damping == 0 &&
            step_is_small(fit, normal, free, state.values, r.su, kRoundingShift)) {
            r.outcome = FitOutcome::Converged;
            break;
        }
        const std::vector<double> before = state.values;
        const double squaresBefore = state.squares;
        bool moved = cycle(fit, normal, free, state);
        if (!moved && !precise) {
            // Near the minimum, approximate slopes leave a gradient of their own where the true one
            // vanishes, and no step along it lowers Σ w r²: the model's precise slopes decide, at the
            // values reached (the trial steps evaluated the model elsewhere).
            precise = true;
            model.precise_derivatives(true);
            state.squares = weighted_squares(fit, state.values, state.model);
            linearise_here();
            moved = !free.empty() && cycle(fit, normal, free, state);
        }
        if (!moved) {
            // No step lowers Σ w r²: at its minimum within rounding when the undamped step is
            // negligible (the sum's rounding hides a step of a few hundredths of an su).
            const double negligible = options.shiftTolerance > 0 ? std::max(options.shiftTolerance, kNegligibleShift) : 0;
            r.outcome = step_is_small(fit, normal, free, state.values, r.su, negligible) ? FitOutcome::Converged
                                                                                        : FitOutcome::Stalled;
            break;
        }
        const bool refreshed = model.refresh(state.values);
        if (refreshed)
            state.squares = weighted_squares(fit, state.values, state.model);
        r.weightedSquares = state.squares;
        // Shifts within the tolerance of the su of the step's own normal matrix (with the χ² of the
        // values reached): the values are at the minimum, and the normal matrix there differs from
        // that one by what so small a step changes, so its su stand and no Jacobian is made again.
        // Not when the model itself changed after the step (free intensities partitioned again).
        bool settled = !refreshed && shifts_converged(report_of(number, state, before, r), r.su, options.shiftTolerance);
        if (settled) {
            fill_uncertainties(fit, normal, free, all_of(free), r);
            settled = shifts_converged(report_of(number, state, before, r), r.su, options.shiftTolerance);
        }
        const double fall = squaresBefore - state.squares;
        const bool fellByNothing = fall < kFlatFall * std::max(1.0, r.reducedChi2());
        if (fellByNothing && !precise) {
            precise = true;  // a flat valley: its steps depend on the slopes' last digits
            model.precise_derivatives(true);
        }
        // The last cycle allowed, still falling by more than the tolerances: the fit ends on its
        // cycle limit, and its su are those of the normal matrix whose solution gave the last
        // shifts, with the χ² of the values reached (least squares' convention for a cycle), rather
        // than of a Jacobian made at values the fit will not move from. A fit that may end
        // converged or stalled is linearised again, to judge that by the su at its end.
        const bool onLimit = !settled && !refreshed && number == options.maxCycles &&
                             fall > options.relativeTolerance * squaresBefore &&
                             (flat + 1 < kFlatCycles || !fellByNothing);
        if (onLimit)
            fill_uncertainties(fit, normal, free, all_of(free), r);
        else if (!settled)
            linearise_here();
        r.cycles.push_back(report_of(number, state, before, r));
        const CycleReport& last = r.cycles.back();
        flat = fall < kFlatFall * std::max(1.0, r.reducedChi2()) ? flat + 1 : 0;
        if (settled || shifts_converged(last, r.su, options.shiftTolerance) ||
            fall <= options.relativeTolerance * squaresBefore)
            r.outcome = FitOutcome::Converged;
        else if (flat >= kFlatCycles && options.shiftTolerance > 0)  // a fit ended by the fall alone never stalls
            r.outcome = shifts_converged(last, r.su, std::max(options.shiftTolerance, kNegligibleShift))
                            ? FitOutcome::Converged
                            : FitOutcome::Stalled;
        if (options.onCycle && !options.onCycle(last)) {
            r.outcome = FitOutcome::Stopped;
            break;
        }
        if (r.outcome != FitOutcome::CycleLimit)
            break;
    }
    if (free.empty())
        r.outcome = FitOutcome::Converged;
    else if (r.outcome == FitOutcome::CycleLimit)
        r.notes.push_back("The refinement stopped after " + std::to_string(options.maxCycles) +
                          " cycles without converging");
    else if (r.outcome == FitOutcome::Stalled)
        r.notes.push_back("The refinement stalled: the sum of squares no longer falls, but the shifts are not "
                          "small against their su");
    r.converged = r.outcome == FitOutcome::Converged;
    r.stopped = r.outcome == FitOutcome::Stopped;
    const std::vector<Eigen::Index> kept = mark_limits(fit, free, state.values, r);
    if (kept.size() != free.size()) {
        r.freeVariables = static_cast<int>(kept.size());
        fill_uncertainties(fit, normal, free, kept, r);
    }
    r.values = state.values;
    fill_correlations(fit, options.reportedCorrelation, r);
    model.precise_derivatives(false);
    result = std::move(r);
    return {};
}

std::vector<double> predicted_uncertainties(LeastSquaresModel& model, std::span<const double> observed,
                                            std::span<const double> weights,
                                            const std::vector<FreeVariable>& variables)
{
    const auto n = static_cast<Eigen::Index>(observed.size());
    Fit fit{model, {observed.data(), n}, {weights.data(), n}, variables};
    State state;
    LeastSquaresOptions options;
    if (!start_state(fit, options, state).empty())
        return std::vector<double>(variables.size(), 0.0);
    LeastSquaresResult r;
    r.held.assign(variables.size(), 0);
    std::vector<Eigen::Index> free;
    Normal normal = linearise(fit, state, options.singularTolerance, free, r);
    r.points = 2, r.freeVariables = 1, r.weightedSquares = 1;  // reduced χ² of 1
    fill_uncertainties(fit, normal, free, all_of(free), r);
    for (std::size_t k = 0; k < r.su.size(); ++k)
        if (r.held[k])
            r.su[k] = INFINITY;
    return r.su;
}

}  // namespace kalidos
