#include "refinement/start_search.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "computation/parallel_for.hpp"
#include "computation/peak_shape.hpp"
#include "fitting/median.hpp"
#include "peaks/peak_search.hpp"
#include "peaks/resolution_estimate.hpp"

namespace kalidos {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDegrees = 180 / kPi;
constexpr double kZeroReach = 2.0;        // degrees 2θ each side
constexpr double kCellReach = 0.01;       // relative, each side
constexpr std::size_t kCandidates = 6;    // matches checked on the whole diagram
constexpr double kWidthTolerance = 1.3;   // widths within this factor of the observed are kept
constexpr double kLeastPeakShare = 0.1;   // of the strongest, for the widths' comparison

// The net curve smoothed with a Gaussian on a uniform grid, read by linear interpolation.
class SmoothedCurve {
public:
    SmoothedCurve(const std::vector<double>& x, const std::vector<double>& y, double sigma)
    {
        first_ = x.front();
        step_ = sigma / 4;
        const auto n = static_cast<std::size_t>(std::ceil((x.back() - first_) / step_)) + 1;
        std::vector<double> grid(n);
        std::size_t j = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const double at = first_ + static_cast<double>(i) * step_;
            while (j + 2 < x.size() && x[j + 1] < at)
                ++j;
            const double t = std::clamp((at - x[j]) / std::max(x[j + 1] - x[j], 1e-12), 0.0, 1.0);
            grid[i] = y[j] + t * (y[j + 1] - y[j]);
        }
        const int reach = 12;  // 3σ in quarter-σ steps
        std::vector<double> kernel;
        for (int k = -reach; k <= reach; ++k)
            kernel.push_back(std::exp(-0.5 * (k / 4.0) * (k / 4.0)));
        values_.assign(n, 0.0);
        for (std::size_t i = 0; i < n; ++i) {
            double sum = 0, norm = 0;
            for (int k = -reach; k <= reach; ++k) {
                const long m = static_cast<long>(i) + k;
                if (m < 0 || m >= static_cast<long>(n))
                    continue;
                sum += kernel[static_cast<std::size_t>(k + reach)] * grid[static_cast<std::size_t>(m)];
                norm += kernel[static_cast<std::size_t>(k + reach)];
            }
            values_[i] = sum / norm;
        }
    }
    double at(double twoTheta) const
    {
        const double u = (twoTheta - first_) / step_;
        if (!(u >= 0) || u >= static_cast<double>(values_.size() - 1))
            return 0;
        const auto i = static_cast<std::size_t>(u);
        const double t = u - static_cast<double>(i);
        return values_[i] * (1 - t) + values_[i + 1] * t;
    }

private:
    double first_ = 0, step_ = 1;
    std::vector<double> values_;
};

double line_angle(double d, double lambda, double scale)
{
    const double sine = lambda / (2 * d * scale);
    return sine < 1 ? 2 * std::asin(sine) * kDegrees : NAN;
}

// One phase's lines at one cell scale: their angles (those below 180°), the cosines of their θ a
// displacement shifts them by, and their weights. Made once per scale, not once per shift tried.
struct ScaledLines {
    std::vector<double> angle, cosine, weight;
};

ScaledLines scaled_lines(const StickPhase& phase, double scale, bool displacement)
{
    ScaledLines lines;
    for (std::size_t k = 0; k < phase.d.size(); ++k) {
        const double angle = line_angle(phase.d[k], phase.lambda[k], scale);
        if (!std::isfinite(angle))
            continue;
        lines.angle.push_back(angle);
        lines.cosine.push_back(displacement ? std::cos(angle / 2 / kDegrees) : 0.0);
        lines.weight.push_back(phase.weight[k]);
    }
    return lines;
}

double phase_score(const ScaledLines& lines, const SmoothedCurve& curve, double shift, bool displacement,
                   double radiusMm)
{
    double score = 0;
    for (std::size_t k = 0; k < lines.angle.size(); ++k) {
        // a displacement moves a line by −2·shift·cos θ/R radians
        const double moved = displacement ? -2 * shift * lines.cosine[k] / radiusMm * kDegrees : shift;
        score += lines.weight[k] * curve.at(lines.angle[k] + moved);
    }
    return score;
}

// The cell scales tried for a phase: steps that move its highest line by a quarter of σ.
std::vector<double> scale_grid(const StickPhase& phase, double reach, double sigma, double highest)
{
    if (!phase.cellFree || !(reach > 0))
        return {1.0};
    const double theta = std::min(highest, 170.0) / 2 / kDegrees;
    const double step = std::max(1e-5, sigma / 4 / kDegrees / (2 * std::tan(theta)));
    std::vector<double> scales;
    const int n = static_cast<int>(std::ceil(reach / step));
    for (int i = -n; i <= n; ++i)
        scales.push_back(1 + i * step);
    return scales;
}

}  // namespace

std::vector<PositionMatch> match_positions(const std::vector<double>& twoTheta, const std::vector<double>& net,
                                           const std::vector<StickPhase>& phases, double shiftReach,
                                           double cellReach, double smoothing, bool displacement,
                                           double radiusMm, std::size_t count)
{
    if (twoTheta.size() < 2 || !(smoothing > 0))
        return {};
    const SmoothedCurve curve(twoTheta, net, smoothing);
    // A displacement of s mm moves a low-angle line by about 2s/R radians.
    const double shiftStep = displacement ? smoothing / 4 / kDegrees * radiusMm / 2 : smoothing / 4;
    const double reach = displacement ? shiftReach / kDegrees * radiusMm / 2 : shiftReach;
    const int shifts = static_cast<int>(std::ceil(reach / shiftStep));
    std::vector<std::vector<double>> grids;
    std::vector<std::vector<ScaledLines>> lines;  // per phase, per scale of its grid
    for (const StickPhase& phase : phases) {
        grids.push_back(scale_grid(phase, cellReach, smoothing, twoTheta.back()));
        lines.emplace_back();
        for (const double s : grids.back())
            lines.back().push_back(scaled_lines(phase, s, displacement));
    }
    // Each shift's best scales, the shifts shared between the threads.
    std::vector<PositionMatch> all(static_cast<std::size_t>(2 * shifts + 1));
    parallel_items(static_cast<int>(all.size()), [&](int n) {
        PositionMatch& match = all[static_cast<std::size_t>(n)];
        match.shift = (n - shifts) * shiftStep;
        for (std::size_t p = 0; p < phases.size(); ++p) {
            double best = -INFINITY, bestScale = 1;
            for (std::size_t g = 0; g < grids[p].size(); ++g) {
                const double score = phase_score(lines[p][g], curve, match.shift, displacement, radiusMm);
                if (score > best)
                    best = score, bestScale = grids[p][g];
            }
            match.cellScale.push_back(bestScale);
            match.score += best;
        }
    });
    // Each local maximum of the score along the shift, best first.
    std::vector<PositionMatch> maxima;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const bool left = i == 0 || all[i].score >= all[i - 1].score;
        const bool right = i + 1 == all.size() || all[i].score > all[i + 1].score;
        if (left && right)
            maxima.push_back(all[i]);
    }
    std::sort(maxima.begin(), maxima.end(), [](const PositionMatch& a, const PositionMatch& b) { return a.score > b.score; });
    if (maxima.size() > count)
        maxima.resize(count);
    return maxima;
}

namespace {

struct SearchState {
    double shift = 0;
    std::vector<double> cell;  // lengths a, b, c of each phase
};

// The values the search moves, as they stand in the table.
SearchState current_state(const RefinementSession& session, int shiftRow)
{
    SearchState state;
    state.shift = session.table.rows[static_cast<std::size_t>(shiftRow)].info.value;
    for (const ModelParameter& row : session.table.rows)
        if (row.quantity == Quantity::Cell)
            state.cell.push_back(row.info.value);
    return state;
}

void apply_state(RefinementSession& session, int shiftRow, const SearchState& state)
{
    session.table.rows[static_cast<std::size_t>(shiftRow)].info.value = state.shift;
    std::size_t k = 0;
    for (ModelParameter& row : session.table.rows)
        if (row.quantity == Quantity::Cell)
            row.info.value = state.cell[k++];
}

// The state of a match: the shift added to the current one, each searched phase's lengths scaled.
SearchState state_of(const RefinementSession& session, const SearchState& start, const PositionMatch& match)
{
    SearchState state = start;
    state.shift += match.shift;
    std::size_t k = 0;
    for (const ModelParameter& row : session.table.rows)
        if (row.quantity == Quantity::Cell) {
            if (row.component < 3)
                state.cell[k] *= match.cellScale[static_cast<std::size_t>(row.info.phase)];
            ++k;
        }
    return state;
}

// Σw r² with the scales and background fitted (they enter linearly), at the table's other values.
double fitted_squares(RefinementSession& session)
{
    const std::vector<int> rows = linear_rows(session.table);
    session.model->set_variables(rows);
    std::vector<FreeVariable> variables;
    for (const int r : rows)
        variables.push_back(free_variable(session.table.rows[static_cast<std::size_t>(r)]));
    LeastSquaresOptions options;
    options.maxCycles = 3;
    options.initialDamping = 0;
    LeastSquaresResult fit;
    if (!solve_least_squares(*session.model, session.points.observed, session.points.weight, variables, options, fit)
             .empty())
        return INFINITY;
    session.accept(rows, fit);
    return fit.weightedSquares;
}

std::vector<StickPhase> stick_phases(const RefinementSession& session, const StartSearchScope& scope)
{
    std::vector<StickPhase> phases;
    for (std::size_t p = 0; p < session.model->phases().size(); ++p) {
        const PhaseState& phase = session.model->phases()[p];
        StickPhase sticks;
        sticks.cellFree = p < scope.cell.size() && scope.cell[p];
        for (const Reflection& r : phase.intensities.reflections) {
            if (!(r.twoTheta > 0) || !(r.intensity > 0))
                continue;
            sticks.d.push_back(r.d);
            sticks.lambda.push_back(r.lambda);
            sticks.weight.push_back(std::max(phase.scale, 0.0) * r.intensity);
        }
        phases.push_back(std::move(sticks));
    }
    return phases;
}

MeasuredWavelengths wavelengths_of(const StructureModel& m)
{
    MeasuredWavelengths w;
    if (m.wavelengths.count >= 1)
        w.lambda1 = m.wavelengths.values[1];
    if (m.wavelengths.count >= 2 && m.wavelengths.weights[1] > 0) {
        w.lambda2 = m.wavelengths.values[2];
        w.ratio = m.wavelengths.weights[2] / m.wavelengths.weights[1];
    }
    return w;
}

// The observed peaks' widths over the model's at the same angles (median), 0 when unknown.
double width_ratio(const RefinementSession& session, const PeakSearch& search)
{
    const StructureModel& m = *session.model->phases().front().model;
    const MeasuredWavelengths w = wavelengths_of(m);
    const Resolution resolution = estimate_resolution(search, w);
    std::vector<double> ratios;
    for (const FoundPeak& p : strong_primary_peaks(search, kLeastPeakShare)) {
        const double t = std::tan(p.twoTheta / 2 / kDegrees);
        const double half2 = (resolution.u * t + resolution.v) * t + resolution.w;
        const double calculated = peak_shape(m, p.twoTheta, w.lambda1, 1).fwhm;
        if (half2 > 0 && calculated > 0)
            ratios.push_back(2 * std::sqrt(half2) / calculated);
    }
    return ratios.size() >= 3 ? median(ratios) : 0;
}

std::string number(double value, const char* format)
{
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Widths far from the observed peaks' are scaled to them: Gaussian FWHM² terms by r², Lorentzian by r.
void start_widths(RefinementSession& session, const PeakSearch& search, std::vector<std::string>& notes)
{
    const double ratio = width_ratio(session, search);
    if (!(ratio > 0) || (ratio < kWidthTolerance && ratio > 1 / kWidthTolerance))
        return;
    for (ModelParameter& row : session.table.rows) {
        const Quantity q = row.quantity;
        if (q == Quantity::WidthU || q == Quantity::WidthV || q == Quantity::WidthW)
            row.info.value *= ratio * ratio;
        else if (q == Quantity::WidthX || q == Quantity::WidthY)
            row.info.value *= ratio;
    }
    notes.push_back("The peak widths start from the observed peaks' (" + number(ratio, "%.3g") +
                    " times the given ones)");
}

std::string moves_text(const RefinementSession& session, const StartSearchScope& scope, const SearchState& from,
                       const SearchState& to)
{
    std::string text;
    if (to.shift != from.shift)
        text += (scope.zero ? "zero shift " + number(to.shift, "%.4g") + "°"
                            : "displacement " + number(to.shift, "%.4g") + " mm") +
                " (from " + number(from.shift, "%.4g") + ")";
    std::size_t k = 0;
    for (std::size_t p = 0; p < session.model->phases().size(); ++p) {
        double scale = 1;
        for (const ModelParameter& row : session.table.rows)
            if (row.quantity == Quantity::Cell && row.info.phase == static_cast<int>(p) && row.component == 0)
                scale = to.cell[k] / from.cell[k];
        for (const ModelParameter& row : session.table.rows)
            k += row.quantity == Quantity::Cell && row.info.phase == static_cast<int>(p);
        if (std::fabs(scale - 1) > 1e-9)
            text += std::string(text.empty() ? "" : ", ") + "cell of " + session.request.phases[p].name + " × " +
                    number(scale, "%.5f");
    }
    return text;
}

}  // namespace

std::vector<std::string> search_start(RefinementSession& session, const StartSearchScope& scope)
{
    std::vector<std::string> notes;
    MeasuredScan scan;
    scan.twoTheta = session.points.twoTheta;
    scan.intensity = session.points.observed;
    PeakSearchSettings settings;
    settings.wavelengths = wavelengths_of(*session.model->phases().front().model);
    const PeakSearch search = find_peaks(scan, settings);
    std::vector<double> widths;
    for (const FoundPeak& p : primary_peaks(search))
        widths.push_back(p.fwhm);
    if (widths.size() < 3)
        return notes;
    if (scope.widths)
        start_widths(session, search, notes);
    const bool shiftFree = scope.zero || scope.displacement;
    const bool cellFree = std::find(scope.cell.begin(), scope.cell.end(), 1) != scope.cell.end();
    if (!shiftFree && !cellFree)
        return notes;
    std::vector<double> net(search.twoTheta.size());
    for (std::size_t i = 0; i < net.size(); ++i)
        net[i] = search.smoothed[i] - search.background[i];
    const int shiftRow = session.table.find(scope.zero || !scope.displacement ? "zero" : "displacement");
    const SearchState start = current_state(session, shiftRow);
    const StructureModel& m = *session.model->phases().front().model;
    const std::vector<PositionMatch> matches =
        match_positions(search.twoTheta, net, stick_phases(session, scope), shiftFree ? kZeroReach : 0,
                        cellFree ? kCellReach : 0, median(widths), !scope.zero && scope.displacement,
                        m.profile.radiusMm, kCandidates);
    // The score only proposes; the whole diagram decides, the unmoved start among the candidates.
    const ParameterTable before = session.table;
    double best = fitted_squares(session);
    SearchState chosen = start;
    ParameterTable chosenTable = session.table;  // with its scales and background fitted
    for (const PositionMatch& match : matches) {
        const SearchState trial = state_of(session, start, match);
        session.table = before;
        apply_state(session, shiftRow, trial);
        const double squares = fitted_squares(session);
        if (squares < best)
            best = squares, chosen = trial, chosenTable = session.table;
    }
    session.table = std::move(chosenTable);
    if (const std::string moved = moves_text(session, scope, start, chosen); !moved.empty())
        notes.push_back("Start found by matching the peaks: " + moved);
    return notes;
}

}  // namespace kalidos
