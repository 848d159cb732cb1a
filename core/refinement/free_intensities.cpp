#include "refinement/free_intensities.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>

#include "computation/cell_metric.hpp"
#include "refinement/refinement_figures.hpp"
#include "refinement/symmetry_constraints.hpp"

namespace kalidos {
namespace {

constexpr double kDegrees = 180 / 3.141592653589793;
// Reflections of the same d at the start and after every free lattice parameter moved (lengths by
// this share, angles by this many degrees) have the same d for every cell: their share of the
// observed counts cannot be told apart.
constexpr double kLengthProbe = 1e-3, kAngleProbe = 0.1;
// Relative: the cell metric's degree takes π to six digits (kDegreesToRadians), so that 1/d² of
// reflections equal by symmetry (−3 3 6 and 0 3 6 on hexagonal axes) differ by up to about 1e-5.
// Accidental overlaps this close at the start part under the probes above.
constexpr double kSameQ = 2e-5;
// A partition moves an |F|² down by at most this factor: one that reaches 0 could never come back.
constexpr double kLeastRatio = 1e-3;
// Partitions after every cycle of a Le Bail fit, and at its start (in rounds with the background).
constexpr int kCycleIterations = 10;
constexpr int kStartIterations = 10;
constexpr int kStartRounds = 2;

using HklKey = std::tuple<int, int, int>;

bool free_method(IntensityMethod method)
{
    return method != IntensityMethod::Structure;
}

// The model's cell with the free lattice parameter j moved, the parameters tied to it following.
StructureModel probed_cell(const StructureModel& m, const ComponentTies& ties, std::size_t j)
{
    StructureModel probe = m;
    double* cell[6] = {&probe.cell.a, &probe.cell.b, &probe.cell.c, &probe.cell.alpha, &probe.cell.beta, &probe.cell.gamma};
    const double step = j < 3 ? kLengthProbe * *cell[j] : kAngleProbe;
    for (std::size_t i = 0; i < 6; ++i)
        *cell[i] += ties.along[i][j] * step;
    compute_cell_metric(probe);
    return probe;
}

bool same_q(double a, double b)
{
    return std::fabs(a - b) <= kSameQ * std::max(a, b);
}

// The (h k l) of a reflection as a map key.
HklKey key_of(const Reflection& r)
{
    return {r.h, r.k, r.l};
}

std::string hkl_text(int h, int k, int l)
{
    return std::to_string(h) + " " + std::to_string(k) + " " + std::to_string(l);
}

}  // namespace

// The groups of one phase's reflections (PhaseState::group).
void PatternModel::prepare_groups(PhaseState& phase) const
{
    auto start = std::make_unique<StructureModel>(*phase.model);
    compute_cell_metric(*start);
    const ComponentTies ties = lattice_ties(*start);
    std::vector<std::unique_ptr<StructureModel>> probes;
    for (std::size_t j = 0; j < ties.free.size(); ++j)
        if (ties.free[j])
            probes.push_back(std::make_unique<StructureModel>(probed_cell(*start, ties, j)));
    // Each (h k l) once, with its 1/d² at the start and at every probe.
    std::map<HklKey, std::size_t> index;
    std::vector<HklKey> keys;
    std::vector<std::vector<double>> q;
    const std::size_t n = phase.reflections.size();
    std::vector<std::size_t> hklOf(n);
    for (std::size_t i = 0; i < n; ++i) {
        const PhaseReflectionSet::Form& f = phase.reflections.form(i);
        const auto [found, added] = index.emplace(HklKey{f.h, f.k, f.l}, keys.size());
        if (added) {
            keys.push_back(found->first);
            std::vector<double> values{reciprocal_length_squared(*start, f.h, f.k, f.l)};
            for (const auto& probe : probes)
                values.push_back(reciprocal_length_squared(*probe, f.h, f.k, f.l));
            q.push_back(std::move(values));
        }
        hklOf[i] = found->second;
    }
    std::vector<std::size_t> order(keys.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return q[a][0] < q[b][0]; });
    std::vector<int> groupOfHkl(keys.size(), -1);
    int groups = 0;
    for (std::size_t a = 0; a < order.size(); ++a) {
        if (groupOfHkl[order[a]] >= 0)
            continue;
        groupOfHkl[order[a]] = groups;
        for (std::size_t b = a + 1; b < order.size() && same_q(q[order[b]][0], q[order[a]][0]); ++b) {
            bool same = groupOfHkl[order[b]] < 0;
            for (std::size_t p = 1; same && p < q[order[a]].size(); ++p)
                same = same_q(q[order[a]][p], q[order[b]][p]);
            if (same)
                groupOfHkl[order[b]] = groups;
        }
        ++groups;
    }
    phase.group.assign(n, 0);
    phase.inRange.assign(static_cast<std::size_t>(groups), 0);
    const StructureModel& m = *phase.model;
    for (std::size_t i = 0; i < n; ++i) {
        const int g = groupOfHkl[hklOf[i]];
        phase.group[i] = g;
        const double sine = m.wavelengths.values[phase.reflections.form(i).pass] * std::sqrt(q[hklOf[i]][0]) / 2;
        const double twoTheta = sine < 1 ? 2 * std::asin(sine) * kDegrees : INFINITY;
        if (twoTheta >= points_.interval.low && twoTheta <= points_.interval.high)
            phase.inRange[static_cast<std::size_t>(g)] = 1;
    }
    phase.squared.assign(phase.inRange.begin(), phase.inRange.end());  // 1 in range, 0 beyond
}

bool PatternModel::has_lebail() const
{
    return std::any_of(phases_.begin(), phases_.end(),
                       [](const PhaseState& p) { return p.method == IntensityMethod::LeBail; });
}

std::vector<std::vector<double>> PatternModel::free_intensities() const
{
    std::vector<std::vector<double>> squared;
    for (const PhaseState& phase : phases_)
        squared.push_back(phase.squared);
    return squared;
}

void PatternModel::set_free_intensities(const std::vector<std::vector<double>>& squared)
{
    for (std::size_t p = 0; p < phases_.size() && p < squared.size(); ++p)
        phases_[p].squared = squared[p];
}

void PatternModel::partition_intensities(const std::vector<double>& rows, int iterations, bool pawley,
                                         PartitionRule rule)
{
    std::vector<double> y(points_.size());
    for (int iteration = 0; iteration < iterations; ++iteration) {
        if (!evaluate_rows(rows, y))
            return;
        const std::vector<double> b = background();
        std::vector<double> observedNet(y.size(), 0.0), calculatedNet(y.size(), 0.0);
        std::vector<char> usable(y.size(), 0);
        for (std::size_t i = 0; i < y.size(); ++i)
            if (y[i] - b[i] > 0) {
                const double factor = rule == PartitionRule::Weighted ? points_.weight[i] : 1 / (y[i] - b[i]);
                observedNet[i] = factor * (points_.observed[i] - b[i]);
                calculatedNet[i] = factor * (y[i] - b[i]);
                usable[i] = 1;
            }
        for (PhaseState& phase : phases_) {
            if (!(phase.method == IntensityMethod::LeBail || (pawley && phase.method == IntensityMethod::Pawley)))
                continue;
            std::vector<double> shared(phase.squared.size(), 0.0), calculated(phase.squared.size(), 0.0);
            for (std::size_t k = 0; k < phase.group.size(); ++k) {
                const auto g = static_cast<std::size_t>(phase.group[k]);
                const Reflection& r = phase.intensities.reflections[k];
                if (!phase.inRange[g] || !(r.intensity > 0))
                    continue;
                const ReflectionShare share = reflection_share(phase, k, phase.scale * r.intensity, points_.twoTheta);
                for (std::size_t i = 0; i < share.values.size(); ++i)
                    if (usable[share.first + i]) {
                        shared[g] += share.values[i] * observedNet[share.first + i];
                        calculated[g] += share.values[i] * calculatedNet[share.first + i];
                    }
            }
            for (std::size_t g = 0; g < phase.squared.size(); ++g)
                if (calculated[g] > 0)
                    phase.squared[g] *= std::max(shared[g] / calculated[g], kLeastRatio);
        }
    }
}

bool PatternModel::refresh(std::span<const double> values)
{
    if (!partitionEachCycle_ || !has_lebail())
        return false;
    return repartition_downhill(row_values(values), kCycleIterations);
}

bool PatternModel::repartition_downhill(const std::vector<double>& rows, int iterations)
{
    // A partition is no least-squares step: near the minimum it may raise Σ w r². Of the two rules
    // the one that lowers Σ w r² more is kept, neither when both raise it, so that every cycle of
    // the fit goes downhill.
    const std::vector<std::vector<double>> before = free_intensities();
    const double squaresBefore = weighted_squares_at(rows);
    double best = squaresBefore;
    std::vector<std::vector<double>> kept = before;
    for (const PartitionRule rule : {PartitionRule::Share, PartitionRule::Weighted}) {
        set_free_intensities(before);
        partition_intensities(rows, iterations, false, rule);
        if (const double squares = weighted_squares_at(rows); squares < best) {
            best = squares;
            kept = free_intensities();
        }
    }
    // The model's evaluation (its reflections' intensities, which the derivatives use) was made
    // last with the weighted rule's |F|²: made again when the others are kept.
    if (kept != free_intensities()) {
        set_free_intensities(kept);
        weighted_squares_at(rows);
    }
    return best < squaresBefore;
}

double PatternModel::weighted_squares_at(const std::vector<double>& rows)
{
    std::vector<double> y(points_.size());
    if (!evaluate_rows(rows, y))
        return INFINITY;
    double sum = 0;
    for (std::size_t i = 0; i < y.size(); ++i)
        sum += points_.weight[i] * (points_.observed[i] - y[i]) * (points_.observed[i] - y[i]);
    return sum;
}

bool has_free_intensities(const RefinementRequest& request)
{
    return std::any_of(request.phases.begin(), request.phases.end(),
                       [](const RefinementPhase& p) { return free_method(p.intensities); });
}

void add_pawley_rows(RefinementSession& session)
{
    const std::vector<PhaseState>& phases = session.model->phases();
    for (std::size_t p = 0; p < phases.size(); ++p) {
        const PhaseState& phase = phases[p];
        if (phase.method != IntensityMethod::Pawley)
            continue;
        std::vector<std::string> names(phase.squared.size());
        for (std::size_t k = 0; k < phase.group.size(); ++k) {
            const PhaseReflectionSet::Form& f = phase.reflections.form(k);
            std::string& name = names[static_cast<std::size_t>(phase.group[k])];
            if (name.empty())
                name = hkl_text(f.h, f.k, f.l);
        }
        add_intensity_rows(session.table, static_cast<int>(p), names, phase.squared, phase.inRange);
    }
}

std::vector<int> pawley_rows(const ParameterTable& table)
{
    std::vector<int> rows;
    for (std::size_t r = 0; r < table.rows.size(); ++r)
        if (table.rows[r].quantity == Quantity::Intensity)
            rows.push_back(static_cast<int>(r));
    return rows;
}

namespace {

std::vector<double> row_values_of(const ParameterTable& table)
{
    std::vector<double> values;
    for (const ModelParameter& row : table.rows)
        values.push_back(row.info.value);
    return values;
}

// The background and the structure phases' scales at the other values of the table.
std::string fit_background_and_scales(RefinementSession& session)
{
    std::vector<int> rows;
    std::vector<FreeVariable> variables;
    for (std::size_t r = 0; r < session.table.rows.size(); ++r) {
        const ModelParameter& row = session.table.rows[r];
        if (row.quantity == Quantity::Background || (row.quantity == Quantity::Scale && !row.fixed)) {
            rows.push_back(static_cast<int>(r));
            variables.push_back(free_variable(row));
        }
    }
    session.model->set_variables(rows);
    LeastSquaresOptions options;
    options.maxCycles = 4;
    options.initialDamping = 0;
    LeastSquaresResult fit;
    const std::string why =
        solve_least_squares(*session.model, session.points.observed, session.points.weight, variables, options, fit);
    if (why.empty())
        session.accept(rows, fit);
    return why;
}

}  // namespace

std::string start_free_intensities(RefinementSession& session)
{
    if (!has_free_intensities(session.request))
        return {};
    PatternModel& model = *session.model;
    std::vector<std::vector<double>> squared = model.free_intensities();
    for (ModelParameter& row : session.table.rows) {
        if (row.quantity != Quantity::Scale || !row.fixed)
            continue;
        const auto p = static_cast<std::size_t>(row.info.phase);
        if (row.info.value > 0)
            for (double& value : squared[p])
                value *= row.info.value;
        row.info.value = 1;
    }
    model.set_free_intensities(squared);
    for (int round = 0; round < kStartRounds; ++round) {
        model.partition_intensities(row_values_of(session.table), kStartIterations, true);
        if (const std::string why = fit_background_and_scales(session); !why.empty())
            return why;
    }
    squared = model.free_intensities();
    for (ModelParameter& row : session.table.rows)
        if (row.quantity == Quantity::Intensity)
            row.info.start = row.info.value =
                squared[static_cast<std::size_t>(row.info.phase)][static_cast<std::size_t>(row.component)];
    model.partition_each_cycle(true);
    return {};
}

void repartition_le_bail(RefinementSession& session)
{
    if (session.model->has_lebail())
        session.model->repartition_downhill(row_values_of(session.table), kStartIterations);
}

namespace {

// One reflection component (a form at one wavelength) where its peak lies, for the overlaps.
struct Peak {
    double position = 0, halfWidth = 0;
    std::size_t phase = 0;
    int group = 0;
    HklKey hkl;
};

Peak peak_of(const PhaseState& phase, std::size_t p, std::size_t k)
{
    Peak peak{0, 0, p, phase.group[k], key_of(phase.intensities.reflections[k])};
    double highest = -1;
    for (std::size_t t = phase.firstTerm[k]; t < phase.firstTerm[k + 1]; ++t)
        if (phase.unitTerms[t].height > highest) {
            highest = phase.unitTerms[t].height;
            peak.position = phase.unitTerms[t].position;
            peak.halfWidth = phase.unitTerms[t].halfWidth;
        }
    return peak;
}

// Per phase, the (h k l) whose peak another reflection's overlaps (other than its own wavelengths
// and the reflections of exactly its d).
std::vector<std::map<HklKey, bool>> overlapped_reflections(const PatternModel& model)
{
    std::vector<Peak> peaks;
    for (std::size_t p = 0; p < model.phases().size(); ++p) {
        const PhaseState& phase = model.phases()[p];
        for (std::size_t k = 0; k + 1 < phase.firstTerm.size(); ++k)
            if (phase.firstTerm[k] < phase.firstTerm[k + 1])
                peaks.push_back(peak_of(phase, p, k));
    }
    std::sort(peaks.begin(), peaks.end(), [](const Peak& a, const Peak& b) { return a.position < b.position; });
    double widest = 0;
    for (const Peak& peak : peaks)
        widest = std::max(widest, peak.halfWidth);
    std::vector<std::map<HklKey, bool>> overlapped(model.phases().size());
    for (std::size_t a = 0; a < peaks.size(); ++a)
        for (std::size_t b = a + 1; b < peaks.size() && peaks[b].position - peaks[a].position < peaks[a].halfWidth + widest;
             ++b) {
            const Peak &first = peaks[a], &second = peaks[b];
            const bool samePhase = first.phase == second.phase;
            if (samePhase && (first.hkl == second.hkl || first.group == second.group))
                continue;
            if (second.position - first.position < first.halfWidth + second.halfWidth)
                overlapped[first.phase][first.hkl] = overlapped[second.phase][second.hkl] = true;
        }
    return overlapped;
}

// The sums of one (h k l) over its wavelengths: its share of the observed counts, of the
// calculated ones, and of their variance, all per unit |F|².
struct ShareSums {
    double observed = 0, calculated = 0, variance = 0, unitWeighted = 0;
    std::size_t first = SIZE_MAX;  // its reflection at the first wavelength present
};

}  // namespace

std::vector<std::vector<ExtractedReflection>> extracted_reflections(const PatternModel& model,
                                                                    std::span<const double> calculated, double chi2,
                                                                    const std::vector<std::vector<double>>& pawleySu)
{
    const FitPoints& points = model.points();
    const std::vector<double> background = model.background();
    const std::vector<std::map<HklKey, bool>> overlaps = overlapped_reflections(model);
    const double root = std::sqrt(std::max(chi2, 0.0));
    std::vector<std::vector<ExtractedReflection>> out(model.phases().size());
    for (std::size_t p = 0; p < model.phases().size(); ++p) {
        const PhaseState& phase = model.phases()[p];
        const StructureModel& m = *phase.model;
        // The structure's |F|² beside what the fit gives: those of the model's last evaluation for a
        // Rietveld phase (the same arithmetic from the same values), made for one of free intensities.
        PhaseIntensities made;
        if (m.atomCount > 0 && phase.method != IntensityMethod::Structure)
            phase.reflections.compute(m, phase.overallB, false, made);
        const PhaseIntensities& structure = phase.method == IntensityMethod::Structure ? phase.intensities : made;
        std::map<HklKey, ShareSums> sums;
        std::vector<int> membersOfGroup(phase.squared.size(), 0);
        const auto counted = [&](std::size_t k) {
            return k < phase.group.size() && phase.inRange[static_cast<std::size_t>(phase.group[k])] &&
                   phase.intensities.factor[k] > 0 && phase.firstTerm[k] != phase.firstTerm[k + 1];
        };
        // Each reflection's counts per unit |F|² at the points.
        const std::vector<ReflectionShare> units = reflection_shares(
            phase,
            [&](std::size_t k) { return counted(k) ? phase.scale * phase.intensities.factor[k] : 0.0; },
            points.twoTheta);
        for (std::size_t k = 0; k < phase.group.size(); ++k) {
            const Reflection& r = phase.intensities.reflections[k];
            const auto g = static_cast<std::size_t>(phase.group[k]);
            if (!counted(k))
                continue;
            const auto [entry, added] = sums.emplace(key_of(r), ShareSums{});
            ShareSums& s = entry->second;
            membersOfGroup[g] += added;
            if (s.first == SIZE_MAX || phase.reflections.form(k).pass < phase.reflections.form(s.first).pass)
                s.first = k;
            // What the counts per unit |F|² claim of the net observed counts.
            const ReflectionShare& unit = units[k];
            const double modelF2 = r.intensity / phase.intensities.factor[k];
            for (std::size_t j = 0; j < unit.values.size(); ++j) {
                const std::size_t i = unit.first + j;
                const double net = calculated[i] - background[i];
                const double u = unit.values[j];
                s.calculated += u;
                s.unitWeighted += points.weight[i] * u * u;
                if (net > 0 && modelF2 > 0) {
                    const double claimed = modelF2 * u / net;  // its share of the net counts at i
                    s.observed += claimed * (points.observed[i] - background[i]);
                    s.variance += claimed * claimed / points.weight[i];
                }
            }
        }
        for (const auto& [hkl, s] : sums) {
            const std::size_t k = s.first;
            const Reflection& r = phase.intensities.reflections[k];
            const auto g = static_cast<std::size_t>(phase.group[k]);
            ExtractedReflection e;
            e.h = r.h, e.k = r.k, e.l = r.l;
            e.multiplicity = r.multiplicity;
            e.d = r.d;
            const double sine = m.wavelengths.values[1] / (2 * r.d);
            e.twoTheta = sine < 1 ? 2 * std::asin(sine) * kDegrees : 0;
            if (!(s.calculated > 0))
                continue;
            const bool fitted = phase.method == IntensityMethod::Pawley;
            e.f2 = fitted ? phase.squared[g] : s.observed / s.calculated;
            // The counting su of the share taken; of a reflection with nothing to share, that of its
            // |F|² fitted alone.
            double su = s.variance > 0 ? std::sqrt(s.variance) / s.calculated
                                       : (s.unitWeighted > 0 ? 1 / std::sqrt(s.unitWeighted) : 0);
            su *= root;
            if (fitted && p < pawleySu.size() && g < pawleySu[p].size() && pawleySu[p][g] > 0)
                su = pawleySu[p][g];
            e.su = su;
            if (m.atomCount > 0 && structure.factor[k] > 0)
                e.f2Calculated = structure.reflections[k].intensity / structure.factor[k];
            e.exact = membersOfGroup[g] > 1;
            const auto found = overlaps[p].find(hkl);
            e.overlapped = found != overlaps[p].end() && found->second;
            out[p].push_back(e);
        }
        std::sort(out[p].begin(), out[p].end(),
                  [](const ExtractedReflection& a, const ExtractedReflection& b) { return a.d > b.d; });
    }
    return out;
}

}  // namespace kalidos
