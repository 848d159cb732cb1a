#include "indexing/cell_fit.hpp"

#include "fitting/least_squares.hpp"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace kalidos {
namespace {

constexpr int kMostFitRounds = 6;
constexpr int kMostCycles = 10;
constexpr double kSameQ = 1e-8;  // relative: reflections of one line

struct Candidate {
    Coefficients f;
    double q;
    Hkl hkl;
    bool allowed;
};

// Lines of `calculated` nearest each line (by 2θ at zero `zero`): the index, or -1 when none is
// within the tolerance.
std::vector<int> nearest_lines(const std::vector<CalculatedLine>& calculated, const IndexingLines& lines, double zero,
                               double tolerance)
{
    std::vector<int> nearest;
    for (const double t : lines.twoTheta) {
        const double corrected = t - zero;
        const double q = q_of_two_theta(corrected, lines.wavelength);
        const auto after = std::lower_bound(calculated.begin(), calculated.end(), q,
                                            [](const CalculatedLine& c, double value) { return c.q < value; });
        int best = -1;
        double distance = tolerance;
        for (auto it = after == calculated.begin() ? after : after - 1; it != calculated.end() && it <= after; ++it) {
            const double delta = std::fabs(two_theta_of_q(it->q, lines.wavelength) - corrected);
            if (delta <= distance)
                best = static_cast<int>(it - calculated.begin()), distance = delta;
        }
        nearest.push_back(best);
    }
    return nearest;
}

void measure_figures(const std::vector<CalculatedLine>& calculated, const IndexingLines& lines, CellFit& fit)
{
    const double lambda = lines.wavelength;
    const std::size_t n = lines.twoTheta.size();
    const std::size_t n20 = std::min<std::size_t>(20, n);
    double epsilon = 0, epsilonAll = 0, delta = 0;
    int indexed20 = 0, indexed = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!fit.indexed[i])
            continue;
        const double corrected = lines.twoTheta[i] - fit.zero;
        const double error = std::fabs(q_of_two_theta(corrected, lambda) - q_of_two_theta(fit.twoThetaCalculated[i], lambda));
        delta += std::fabs(corrected - fit.twoThetaCalculated[i]);
        epsilonAll += error;
        ++indexed;
        if (i < n20) {
            epsilon += error;
            ++indexed20;
        }
    }
    // Up to the 20th (the last) line, or to its reflection when that lies beyond it.
    const auto reach = [&](std::size_t i) {
        return q_of_two_theta(std::max(lines.twoTheta[i] - fit.zero, fit.indexed[i] ? fit.twoThetaCalculated[i] : 0.0),
                              lambda);
    };
    const double q20 = reach(n20 - 1);
    const double qLast = reach(n - 1);
    fit.m20Lines = static_cast<int>(n20);
    fit.m20Calculated = distinct_lines_up_to(calculated, q20 * (1 + kSameQ));
    epsilon = std::max(epsilon / std::max(indexed20, 1), 1e-9 * q20);
    fit.m20 = indexed20 > 0 && fit.m20Calculated > 0 ? q20 / (2 * epsilon * fit.m20Calculated) : 0.0;
    fit.fnLines = static_cast<int>(n);
    fit.fnPossible = distinct_lines_up_to(calculated, qLast * (1 + kSameQ));
    fit.fnMeanDelta = std::max(delta / std::max(indexed, 1), 1e-9);
    fit.fn = indexed > 0 && fit.fnPossible > 0 ? static_cast<double>(n) / (fit.fnMeanDelta * fit.fnPossible) : 0.0;
    epsilonAll = std::max(epsilonAll / std::max(indexed, 1), 1e-9 * qLast);
    fit.indexedCount = indexed;
    fit.mAll = indexed > 0 && fit.fnPossible > 0 ? qLast / (2 * epsilonAll * fit.fnPossible) : 0.0;
    fit.evidence = (indexed - fit.freeParameters) * std::log(std::max(fit.mAll, 1e-3)) +
                   fit.unindexed * std::log(kImpurityOdds);
}

// Indexes every line with the current terms; true when the assignment changed.
bool index_lines(const std::vector<CalculatedLine>& calculated, const IndexingLines& lines, const FitSettings& settings,
                 CellFit& fit)
{
    const std::vector<int> nearest = nearest_lines(calculated, lines, fit.zero, settings.tolerance);
    bool changed = fit.hkl.size() != nearest.size();
    fit.hkl.resize(nearest.size());
    fit.indexed.resize(nearest.size());
    fit.twoThetaCalculated.resize(nearest.size());
    fit.unindexed = fit.unindexedSearched = 0;
    for (std::size_t i = 0; i < nearest.size(); ++i) {
        const bool found = nearest[i] >= 0;
        const Hkl hkl = found ? calculated[static_cast<std::size_t>(nearest[i])].hkl : Hkl{};
        changed = changed || found != static_cast<bool>(fit.indexed[i]) ||
                  std::tie(hkl.h, hkl.k, hkl.l) != std::tie(fit.hkl[i].h, fit.hkl[i].k, fit.hkl[i].l);
        fit.hkl[i] = hkl;
        fit.indexed[i] = found;
        fit.twoThetaCalculated[i] = found ? two_theta_of_q(calculated[static_cast<std::size_t>(nearest[i])].q, lines.wavelength)
                                          : lines.twoTheta[i] - fit.zero;
        if (!found) {
            ++fit.unindexed;
            if (i < settings.searchedLines)
                ++fit.unindexedSearched;
        }
    }
    return changed;
}

// The largest distance in 2θ of the lines marked in `use` from the reflections of their indices.
double largest_distance(LatticeSystem system, const std::vector<Hkl>& hkl, const std::vector<char>& use,
                        const IndexingLines& lines, const FormParameters& parameters, double zero,
                        std::vector<double>& distance)
{
    const FormTerms terms = terms_of(system, parameters);
    double largest = 0;
    distance.assign(hkl.size(), 0.0);
    for (std::size_t i = 0; i < hkl.size(); ++i)
        if (use[i]) {
            const double t = two_theta_of_q(q_of(terms, hkl[i].h, hkl[i].k, hkl[i].l), lines.wavelength);
            distance[i] = t < 180 ? std::fabs(lines.twoTheta[i] - zero - t) : 180.0;
            largest = std::max(largest, distance[i]);
        }
    return largest;
}

// The terms and zero that bring the largest distance of the lines marked in `use` from their
// reflections within `enough`, or as far down as a few rounds of Lawson's reweighted least squares
// go (each line's weight grows with its distance until the largest distances are equal); the
// largest distance reached.
double fit_largest_distance(LatticeSystem system, const std::vector<Hkl>& hkl, const std::vector<char>& use,
                            const IndexingLines& lines, double zeroLimit, double enough, FormParameters& parameters,
                            double& zero)
{
    constexpr int kRounds = 12;
    std::vector<double> weight(hkl.size(), 1.0), distance;
    double best = largest_distance(system, hkl, use, lines, parameters, zero, distance);
    FormParameters p = parameters;
    double z = zero;
    for (int round = 0; round < kRounds; ++round) {
        if (!solve_weighted_terms(system, hkl, use, weight, lines, zeroLimit, p, z))
            break;
        const double largest = largest_distance(system, hkl, use, lines, p, z, distance);
        if (largest < best)
            best = largest, parameters = p, zero = z;
        if (best <= enough)
            break;
        double sum = 0;
        for (std::size_t i = 0; i < hkl.size(); ++i)
            if (use[i])
                weight[i] *= std::max(distance[i], 1e-6 * largest), sum += weight[i];
        if (!(sum > 0))
            break;
        for (double& w : weight)
            w *= static_cast<double>(hkl.size()) / sum;
    }
    return best;
}

}  // namespace

std::vector<CalculatedLine> calculated_lines(LatticeSystem system, const FormTerms& terms, char centring, double qMax)
{
    const UnitCell cell = cell_of_terms(terms);
    if (!(cell.a > 0))
        return {};
    const double reach = std::sqrt(qMax);
    const int maxH = static_cast<int>(reach * cell.a), maxK = static_cast<int>(reach * cell.b),
              maxL = static_cast<int>(reach * cell.c);
    const bool primitive = centring == 'P';
    std::vector<Candidate> all;
    for (int h = -maxH; h <= maxH; ++h)
        for (int k = -maxK; k <= maxK; ++k)
            for (int l = -maxL; l <= maxL; ++l) {
                if (!(h || k || l) || (primitive && !canonical_index(system, h, k, l)))
                    continue;
                const double q = q_of(terms, h, k, l);
                if (q <= qMax)
                    all.push_back({form_coefficients(system, h, k, l), q, {h, k, l}, centring_allows(centring, h, k, l)});
            }
    // One line per form, allowed when one of its reflections is; shown by an allowed reflection.
    std::sort(all.begin(), all.end(), [](const Candidate& x, const Candidate& y) {
        return std::tie(x.f, x.allowed) < std::tie(y.f, y.allowed);
    });
    std::vector<CalculatedLine> lines;
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i].allowed && (i + 1 == all.size() || all[i + 1].f != all[i].f))
            lines.push_back({all[i].q, all[i].hkl});
    std::sort(lines.begin(), lines.end(), [](const CalculatedLine& x, const CalculatedLine& y) { return x.q < y.q; });
    return lines;
}

int distinct_lines_up_to(const std::vector<CalculatedLine>& lines, double q)
{
    int count = 0;
    double last = -1;
    for (const CalculatedLine& line : lines) {
        if (line.q > q)
            break;
        if (line.q > last * (1 + kSameQ))
            ++count, last = line.q;
    }
    return count;
}

namespace {

// The lines' 2θ from the form's terms and the zero error, as the least squares fits them to the
// measured positions: the residuals are in 2θ, where the measurement's errors are alike.
class LinePositions final : public LeastSquaresModel {
public:
    // `zero` refined (the last value) or held at `heldZero`.
    LinePositions(std::vector<Coefficients> f, int terms, bool zero, double heldZero, double wavelength)
        : f_(std::move(f)), terms_(static_cast<std::size_t>(terms)), zero_(zero), heldZero_(heldZero),
          wavelength_(wavelength)
    {
    }

    bool evaluate(std::span<const double> values, std::span<double> model) override
    {
        const double zero = zero_ ? values[terms_] : heldZero_;
        for (std::size_t i = 0; i < f_.size(); ++i) {
            double q = 0;
            for (std::size_t j = 0; j < terms_; ++j)
                q += f_[i][j] * values[j];
            const double t = q > 0 ? two_theta_of_q(q, wavelength_) : 180.0;
            if (!(t < 180))
                return false;  // no lattice, or a reflection out of reach
            model[i] = t + zero;
        }
        return true;
    }

    void derivatives(std::span<const double> values, std::span<const double> model, Eigen::MatrixXd& jacobian,
                     std::vector<char>& analytic) override
    {
        const double zero = zero_ ? values[terms_] : heldZero_;
        for (std::size_t i = 0; i < f_.size(); ++i) {
            const double perQ = 1 / q_slope(model[i] - zero, wavelength_);
            const auto row = static_cast<Eigen::Index>(i);
            for (std::size_t j = 0; j < terms_; ++j)
                jacobian(row, static_cast<Eigen::Index>(j)) = f_[i][j] * perQ;
            if (zero_)
                jacobian(row, static_cast<Eigen::Index>(terms_)) = 1;
        }
        std::fill(analytic.begin(), analytic.end(), 1);
    }

private:
    std::vector<Coefficients> f_;
    std::size_t terms_;
    bool zero_;
    double heldZero_;
    double wavelength_;
};

}  // namespace

bool solve_terms(LatticeSystem system, const std::vector<Hkl>& hklOfLine, const std::vector<char>& use,
                 const IndexingLines& lines, double zeroLimit, FormParameters& parameters, double& zero)
{
    return solve_weighted_terms(system, hklOfLine, use, {}, lines, zeroLimit, parameters, zero);
}

bool solve_weighted_terms(LatticeSystem system, const std::vector<Hkl>& hklOfLine, const std::vector<char>& use,
                          const std::vector<double>& weightOfLine, const IndexingLines& lines, double zeroLimit,
                          FormParameters& parameters, double& zero)
{
    const int terms = parameter_count(system);
    const bool refineZero = zeroLimit > 0;
    std::vector<Coefficients> f;
    std::vector<double> observed, weights;
    for (std::size_t i = 0; i < hklOfLine.size(); ++i)
        if (use[i]) {
            f.push_back(form_coefficients(system, hklOfLine[i].h, hklOfLine[i].k, hklOfLine[i].l));
            observed.push_back(lines.twoTheta[i]);
            weights.push_back(weightOfLine.empty() ? 1.0 : weightOfLine[i]);
        }
    std::vector<FreeVariable> variables;
    for (int j = 0; j < terms; ++j) {
        const double value = parameters[static_cast<std::size_t>(j)];
        variables.push_back({std::string(1, static_cast<char>('A' + j)), value, 1e-7 * std::max(std::fabs(value), 1e-4)});
    }
    if (refineZero)
        variables.push_back({"zero", std::clamp(zero, -zeroLimit, zeroLimit), 1e-4, -zeroLimit, zeroLimit});
    LinePositions model(std::move(f), terms, refineZero, zero, lines.wavelength);
    LeastSquaresOptions options;
    options.maxCycles = kMostCycles;
    options.initialDamping = 0;  // the problem is all but linear: Gauss–Newton's first step is the answer
    options.relativeTolerance = 1e-12;
    options.reportedCorrelation = 1;  // no correlation is reported: the fits are many and only the values count
    LeastSquaresResult result;
    if (!solve_least_squares(model, observed, weights, variables, options, result).empty() ||
        std::any_of(result.held.begin(), result.held.end(), [](char held) { return held != 0; }))
        return false;
    for (int j = 0; j < terms; ++j)
        parameters[static_cast<std::size_t>(j)] = result.values[static_cast<std::size_t>(j)];
    if (refineZero)
        zero = result.values.back();
    return true;
}

namespace {

// The tolerance bounds each line's distance from its reflection, while the least squares place the
// cell at the centre of the lines' errors: one line of the searched ones just beyond the tolerance
// there (a scatter of a third of the tolerance puts about one line in 370 beyond it) would reject a
// cell that places every line within the tolerance. The searched lines left unindexed that lie
// within twice the tolerance of a reflection are taken, nearest first, each kept when the cell and
// zero of the smallest largest distance place it and the others within the tolerance.
bool place_within_tolerance(LatticeSystem system, char centring, std::vector<CalculatedLine>& calculated,
                            const IndexingLines& lines, const FitSettings& settings, double zeroLimit,
                            std::size_t lineCount, CellFit& fit)
{
    const std::vector<int> near = nearest_lines(calculated, lines, fit.zero, 2 * settings.tolerance);
    std::vector<std::size_t> tried;
    for (std::size_t i = 0; i < std::min(near.size(), lineCount); ++i)
        if (!fit.indexed[i] && near[i] >= 0)
            tried.push_back(i);
    if (fit.unindexedSearched - static_cast<int>(tried.size()) > settings.allowedMissing)
        return false;
    const auto distance_of = [&](std::size_t i) {
        return std::fabs(two_theta_of_q(calculated[static_cast<std::size_t>(near[i])].q, lines.wavelength) -
                         (lines.twoTheta[i] - fit.zero));
    };
    std::sort(tried.begin(), tried.end(), [&](std::size_t x, std::size_t y) { return distance_of(x) < distance_of(y); });
    std::vector<Hkl> hkl = fit.hkl;
    std::vector<char> use = fit.indexed;
    FormParameters parameters = fit.parameters;
    double zero = fit.zero;
    bool moved = false;
    for (const std::size_t i : tried) {
        std::vector<Hkl> trialHkl = hkl;
        std::vector<char> trialUse = use;
        trialHkl[i] = calculated[static_cast<std::size_t>(near[i])].hkl;
        trialUse[i] = 1;
        FormParameters p = parameters;
        double z = zero;
        if (fit_largest_distance(system, trialHkl, trialUse, lines, zeroLimit, settings.tolerance, p, z) <=
            settings.tolerance)
            hkl = std::move(trialHkl), use = std::move(trialUse), parameters = p, zero = z, moved = true;
    }
    if (!moved)
        return false;
    fit.parameters = parameters;
    fit.zero = zero;
    const double qMax = q_of_two_theta(lines.twoTheta.back() - fit.zero + 2 * settings.tolerance, lines.wavelength);
    calculated = calculated_lines(system, terms_of(system, fit.parameters), centring, qMax);
    if (calculated.empty())
        return false;
    index_lines(calculated, lines, settings, fit);
    return fit.unindexedSearched <= settings.allowedMissing;
}

}  // namespace

bool fit_cell(LatticeSystem system, char centring, const FormParameters& parameters, double zero,
              const IndexingLines& lines, const FitSettings& settings, CellFit& fit)
{
    fit = CellFit{};
    fit.system = system;
    fit.centring = centring;
    fit.parameters = parameters;
    const double zeroLimit = lines.measuredInTwoTheta ? settings.zeroRange : 0.0;
    fit.zero = std::clamp(zero, -zeroLimit, zeroLimit);
    std::vector<CalculatedLine> calculated;
    for (int round = 0; round <= kMostFitRounds; ++round) {
        const FormTerms terms = terms_of(system, fit.parameters);
        const double qMax = q_of_two_theta(lines.twoTheta.back() - fit.zero + 2 * settings.tolerance, lines.wavelength);
        calculated = calculated_lines(system, terms, centring, qMax);
        if (calculated.empty())
            return false;
        if (!index_lines(calculated, lines, settings, fit) || round == kMostFitRounds)
            break;
        if (!solve_terms(system, fit.hkl, fit.indexed, lines, zeroLimit, fit.parameters, fit.zero))
            return false;
    }
    if (fit.unindexedSearched > settings.allowedMissing &&
        // the searched lines only: the others do not decide
        !place_within_tolerance(system, centring, calculated, lines, settings, zeroLimit, settings.searchedLines, fit))
        return false;
    fit.cell = cell_of_terms(terms_of(system, fit.parameters));
    if (!(fit.cell.a > 0))
        return false;
    fit.freeParameters = parameter_count(system) + (zeroLimit > 0 ? 1 : 0);
    measure_figures(calculated, lines, fit);
    return true;
}

bool place_unindexed_lines(const IndexingLines& lines, const FitSettings& settings, CellFit& fit)
{
    if (fit.unindexed == 0)
        return false;
    const double zeroLimit = lines.measuredInTwoTheta ? settings.zeroRange : 0.0;
    const double qMax = q_of_two_theta(lines.twoTheta.back() - fit.zero + 2 * settings.tolerance, lines.wavelength);
    std::vector<CalculatedLine> calculated = calculated_lines(fit.system, terms_of(fit.system, fit.parameters), fit.centring, qMax);
    CellFit placed = fit;
    if (calculated.empty() ||
        !place_within_tolerance(fit.system, fit.centring, calculated, lines, settings, zeroLimit, lines.twoTheta.size(),
                                placed) ||
        placed.unindexed >= fit.unindexed)
        return false;
    placed.cell = cell_of_terms(terms_of(placed.system, placed.parameters));
    if (!(placed.cell.a > 0))
        return false;
    measure_figures(calculated, lines, placed);
    // A line gained by stretching the cell to the tolerance's edge (an impurity near a reflection)
    // spreads the errors of the others: the cell's evidence decides.
    if (placed.score() <= fit.score())
        return false;
    fit = std::move(placed);
    return true;
}

}  // namespace kalidos
