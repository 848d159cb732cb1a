#include "refinement/refinement.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "refinement/free_intensities.hpp"
#include "refinement/refinement_figures.hpp"
#include "refinement/refinement_result.hpp"
#include "refinement/stage_guards.hpp"
#include "refinement/start_search.hpp"

namespace kalidos {
namespace {

constexpr double kSearchWindows[] = {0.2, 0.4, 0.7};
constexpr int kSearchCycles = 10;
constexpr double kFreshStartGain = 0.9;  // Σw r² down by a tenth
constexpr int kMaxPasses = 3;
constexpr double kRetryDamping = 1;   // Marquardt λ of a stage tried again: short, careful steps
constexpr int kDegenerateRounds = 2;
constexpr double kSameSquares = 1e-9;  // relative
// Splits tried of a tied S/L and H/L: each moves by this share of their mean, in opposite senses.
constexpr double kAxialSplits[] = {0.25, 0.5, 0.75};
const std::string kUnfinished = "The refinement stopped after ";

// The points of the observed scan the refinement uses, weighed by 1/σ² as its figures are: the
// file's σ, else the counts' (σ² = max(y, 1)) also when the file does not say they are counts.
std::string select_points(const RefinementRequest& request, FitPoints& points)
{
    const bool whole = !(request.high > request.low);
    const double low = whole ? -std::numeric_limits<double>::infinity() : request.low;
    const double high = whole ? std::numeric_limits<double>::infinity() : request.high;
    const std::string why = select_fit_points(request.observed, low, high, request.backgroundOrder + 1, points);
    if (!why.empty())
        return why;
    points.weight = points.figureWeight;
    return {};
}

std::vector<FreeVariable> free_variables(const ParameterTable& table, const std::vector<int>& rows)
{
    std::vector<FreeVariable> variables;
    for (const int r : rows)
        variables.push_back(free_variable(table.rows[static_cast<std::size_t>(r)]));
    return variables;
}

// Scales and background from the start values of everything else: they enter linearly.
std::string fit_linear_start(RefinementSession& session)
{
    const std::vector<int> rows = linear_rows(session.table);
    session.model->set_variables(rows);
    LeastSquaresOptions options;
    options.maxCycles = 4;
    options.initialDamping = 0;
    LeastSquaresResult fit;
    const std::string why = solve_least_squares(*session.model, session.points.observed, session.points.weight,
                                                free_variables(session.table, rows), options, fit);
    if (!why.empty())
        return why;
    session.accept(rows, fit);
    return {};
}

std::string check_request(const RefinementRequest& request, RefinementSession& session)
{
    if (request.cycles < 1)
        return "the number of cycles must be at least 1";
    std::string why = build_parameter_table(request, session.table);
    if (!why.empty())
        return why;
    std::vector<int> released;
    ParameterTable scratch = session.table;
    if (!request.stages.empty() &&
        !(why = release_stages(request, request.stages.size() - 1, scratch, released)).empty())
        return why;
    if (!(why = select_points(request, session.points)).empty())
        return why;
    const std::size_t linear = static_cast<std::size_t>(request.backgroundOrder + 1) + request.phases.size();
    if (session.points.size() <= std::max(released.size(), linear))
        return "fewer observed points (" + std::to_string(session.points.size()) + ") than parameters";
    return {};
}

bool moves_peaks(const ModelParameter& row)
{
    return row.quantity == Quantity::Cell || row.quantity == Quantity::Zero || row.quantity == Quantity::Displacement;
}

// A stage that releases the cell, the zero shift or the displacement first refines them, with the
// scales and background, on the points below a limit that rises to the whole range: a cell a few
// tenths of a percent off moves the peaks by 2·δ·tan θ, less than their width at low angles, so
// that each window starts within reach of its minimum.
std::string find_peak_positions(RefinementSession& session, const std::vector<int>& released,
                                const std::vector<int>& before)
{
    std::vector<int> rows;
    bool newlyReleased = false;
    for (const int r : released) {
        const ModelParameter& row = session.table.rows[static_cast<std::size_t>(r)];
        if (moves_peaks(row) || row.quantity == Quantity::Scale || row.quantity == Quantity::Background)
            rows.push_back(r);
        newlyReleased |= moves_peaks(row) && std::find(before.begin(), before.end(), r) == before.end();
    }
    if (!newlyReleased)
        return {};
    const FitPoints& points = session.points;
    const ParameterTable start = session.table;
    const double startSquares = session.weighted_squares();
    for (const double share : kSearchWindows) {
        const double limit = points.interval.low + share * (points.interval.high - points.interval.low);
        std::vector<double> weights = points.weight;
        for (std::size_t i = 0; i < weights.size(); ++i)
            if (points.twoTheta[i] > limit)
                weights[i] = 0;
        session.model->set_variables(rows);
        LeastSquaresOptions options;
        options.maxCycles = kSearchCycles;
        options.initialDamping = session.request.damping;
        LeastSquaresResult fit;
        const std::string why = solve_least_squares(*session.model, points.observed, weights,
                                                    free_variables(session.table, rows), options, fit);
        if (!why.empty())
            return why;
        session.accept(rows, fit);
    }
    if (!(session.weighted_squares() < startSquares))
        session.table = start;  // the peaks were where they belong: the search only moved them away
    return {};
}

// The scales, the background and a Pawley phase's |F|²: they enter the model linearly.
bool linear_quantity(Quantity q)
{
    return q == Quantity::Scale || q == Quantity::Background || q == Quantity::Intensity;
}

// The rows of `rows` a stage releases beyond those refined before, with the scales and background;
// empty when it adds none or nothing was refined before.
std::vector<int> newly_released(const RefinementSession& session, const std::vector<int>& rows,
                                 const std::vector<int>& before)
{
    std::vector<int> added;
    bool any = false, asymmetry = false;
    for (const int r : rows) {
        const Quantity q = session.table.rows[static_cast<std::size_t>(r)].quantity;
        const bool isNew = std::find(before.begin(), before.end(), r) == before.end();
        const bool linear = linear_quantity(q);
        any |= isNew && !linear;
        asymmetry |= isNew && (q == Quantity::AxialSL || q == Quantity::AxialHL || q == Quantity::Transparency);
        if (isNew || linear)
            added.push_back(r);
    }
    // An asymmetry moves the peaks' centroids: the zero shift or displacement must follow it, or the
    // new asymmetry is pressed to 0 to keep the peaks where they were.
    for (const int r : rows) {
        const Quantity q = session.table.rows[static_cast<std::size_t>(r)].quantity;
        if (asymmetry && (q == Quantity::Zero || q == Quantity::Displacement) &&
            std::find(added.begin(), added.end(), r) == added.end())
            added.push_back(r);
    }
    const bool earlier = std::any_of(before.begin(), before.end(), [&](int r) {
        return !linear_quantity(session.table.rows[static_cast<std::size_t>(r)].quantity);
    });
    return any && earlier && added.size() < rows.size() ? added : std::vector<int>{};
}

// What sets the peaks' intensities without moving or shaping them.
bool sets_intensities(Quantity q)
{
    switch (q) {
    case Quantity::OverallB: case Quantity::Position: case Quantity::Biso: case Quantity::Occupancy:
    case Quantity::Tensor: case Quantity::MarchDollase: case Quantity::CylinderMuR: case Quantity::PlateMuT:
    case Quantity::RoughnessP: case Quantity::RoughnessQ:
        return true;
    default:
        return false;
    }
}

// A stage that releases what moves or shapes the peaks together with what sets their intensities
// (atoms, B, orientation, absorption) first fits the peaks with the scales and background alone:
// while the peaks are still misplaced or of the wrong width, the intensities' parameters take up
// their misfit (a negative B for peaks too broad at high angles) and the fit settles in that valley.
// Empty when the stage does not release both.
std::vector<int> peaks_first(const RefinementSession& session, const std::vector<int>& rows,
                             const std::vector<int>& before)
{
    std::vector<int> peaks;
    bool newPeaks = false, newIntensities = false;
    for (const int r : rows) {
        const Quantity q = session.table.rows[static_cast<std::size_t>(r)].quantity;
        const bool isNew = std::find(before.begin(), before.end(), r) == before.end();
        const bool intensity = sets_intensities(q);
        newIntensities |= isNew && intensity;
        newPeaks |= isNew && !intensity && !linear_quantity(q);
        if (!(isNew && intensity))
            peaks.push_back(r);
    }
    return newPeaks && newIntensities ? peaks : std::vector<int>{};
}

// The axial divergence's S/L and H/L, both released in this stage by their group.
struct AxialPair {
    int sl = -1, hl = -1;
    explicit operator bool() const { return sl >= 0 && hl >= 0; }
};

AxialPair fresh_axial_pair(const ParameterTable& table, const std::vector<int>& rows, const std::vector<int>& fresh)
{
    AxialPair pair;
    for (const int r : rows) {
        const ModelParameter& row = table.rows[static_cast<std::size_t>(r)];
        const bool isFresh = std::find(fresh.begin(), fresh.end(), r) != fresh.end();
        if (!isFresh || row.named)
            continue;
        if (row.quantity == Quantity::AxialSL)
            pair.sl = r;
        if (row.quantity == Quantity::AxialHL)
            pair.hl = r;
    }
    return pair;
}

void tie_axial(ParameterTable& table, const AxialPair& pair)
{
    ModelParameter& h = table.rows[static_cast<std::size_t>(pair.hl)];
    h.info.value = table.rows[static_cast<std::size_t>(pair.sl)].info.value;
    h.ties = {Tie{pair.sl, 1}};
    h.info.constraint = "= " + table.rows[static_cast<std::size_t>(pair.sl)].info.name;
}

void untie_axial(ParameterTable& table, const AxialPair& pair)
{
    ModelParameter& h = table.rows[static_cast<std::size_t>(pair.hl)];
    h.ties.clear();
    h.info.constraint.clear();
}

// The peak is the same with S/L and H/L exchanged, so at S/L = H/L their difference has no slope and
// least squares cannot leave it: the difference is searched along the line of equal sum. True when
// a split lowers Σ w r² (the values are left there).
bool split_axial(RefinementSession& session, const AxialPair& pair)
{
    double& sl = session.table.rows[static_cast<std::size_t>(pair.sl)].info.value;
    double& hl = session.table.rows[static_cast<std::size_t>(pair.hl)].info.value;
    const double mean = (sl + hl) / 2;
    double best = session.weighted_squares(), bestSplit = 0;
    for (const double split : kAxialSplits) {
        sl = mean * (1 - split), hl = mean * (1 + split);
        const double squares = session.weighted_squares();
        if (squares < best)
            best = squares, bestSplit = split;
    }
    sl = mean * (1 - bestSplit), hl = mean * (1 + bestSplit);
    return bestSplit > 0;
}

// The cycles of one stage, reported as they are made: the passes of each attempt at it.
class StageRun {
public:
    StageRun(RefinementSession& session, std::size_t s, const RefinementProgress& progress,
             const std::atomic<bool>* stop, RefinementResult& working)
        : session_(session), s_(s), progress_(progress), stop_(stop), working_(working)
    {
        stage.released = session.request.stages[s];
    }

    // Refines `rows` from the table's values: newly released groups first with the scales and
    // background alone (what was refined before is near its minimum, and would otherwise soak up
    // their misfit), then everything. A variable held as undetermined stays so for the rest of a
    // fit; when the fit has moved far from where that was decided, it is made again with every
    // variable free. `last` is the last pass's fit.
    std::string passes(std::vector<int>& rows, const std::vector<int>& before, double damping, LeastSquaresResult& last)
    {
        LeastSquaresOptions options;
        options.initialDamping = damping;
        options.onCycle = [&](const CycleReport& report) { return report_cycle(report); };
        std::vector<int> added = newly_released(session_, rows, before);
        if (std::vector<int> peaks = peaks_first(session_, added.empty() ? rows : added, before); !peaks.empty())
            added = std::move(peaks);
        // S/L and H/L newly released move as one first (apart, near 0, one is pressed to 0 and the
        // pair crawls back for many cycles), then are split where that lowers the misfit.
        const AxialPair axial = fresh_axial_pair(session_.table, rows, fresh);
        if (axial) {
            tie_axial(session_.table, axial);
            if (added.empty())
                added = rows;
            std::erase(added, axial.hl);
        }
        const int first = done;
        for (int pass = added.empty() || session_.request.cycles < 2 ? 1 : 0;; ++pass) {
            if (pass == 1 && axial && !rows_keep_tie(rows, axial))
                std::erase(rows, axial.hl);
            const std::vector<int>& variables = pass == 0 ? added : rows;
            current_ = &variables;
            for (const int row : variables)  // each pass decides anew what it holds
                session_.table.rows[static_cast<std::size_t>(row)].info.held = false;
            session_.model->set_variables(variables);
            // The request limits the stage's cycles, not each pass's. The pass of the newly released
            // groups only brings them near their minimum: a quarter of the cycles, the rest for every
            // variable together (a new group strongly tied to one held in that pass crawls there).
            const int budget = std::max(1, session_.request.cycles - (done - first));
            options.maxCycles = pass == 0 ? std::max(1, std::min(budget - 1, budget / 4)) : budget;
            LeastSquaresResult fit;
            const std::string why = solve_least_squares(*session_.model, session_.points.observed,
                                                        session_.points.weight,
                                                        free_variables(session_.table, variables), options, fit);
            if (!why.empty())
                return why;
            session_.accept(variables, fit);
            done += static_cast<int>(fit.cycles.size());
            last = std::move(fit);
            const bool held = std::find(last.held.begin(), last.held.end(), 1) != last.held.end();
            const bool moved = last.weightedSquares < kFreshStartGain * last.startWeightedSquares;
            if (last.stopped || (pass > 0 && (!held || !moved)) || pass == kMaxPasses ||
                done - first >= session_.request.cycles)
                break;
        }
        return {};
    }

    // After the tied pass: the pair split when that lowers the misfit (true), else kept equal, with a note.
    bool rows_keep_tie(const std::vector<int>& rows, const AxialPair& axial)
    {
        untie_axial(session_.table, axial);
        if (std::find(rows.begin(), rows.end(), axial.hl) == rows.end() || split_axial(session_, axial))
            return true;
        tie_axial(session_.table, axial);
        stage.notes.push_back(session_.table.rows[static_cast<std::size_t>(axial.hl)].info.name + " equals " +
                              session_.table.rows[static_cast<std::size_t>(axial.sl)].info.name +
                              " at the minimum (the diagram has no use for them apart): it is tied to it");
        return false;
    }

    std::vector<int> fresh;  // the rows this stage releases for the first time
    RefinementStage stage;
    int done = 0;  // cycles of every attempt so far

private:
    bool report_cycle(const CycleReport& report)
    {
        CycleReport cycle = report;
        cycle.cycle = done + report.cycle;
        stage.figures.push_back(session_.cycle_figures(cycle));
        if (progress_) {
            working_.stages.push_back(stage);
            session_.fill(*current_, nullptr, &cycle, working_);
            working_.stage = static_cast<int>(s_) + 1;
            working_.cycle = cycle.cycle;
            progress_(working_);
            working_.stages.pop_back();
        }
        return !(stop_ && stop_->load());
    }

    RefinementSession& session_;
    std::size_t s_;
    const RefinementProgress& progress_;
    const std::atomic<bool>* stop_;
    RefinementResult& working_;
    const std::vector<int>* current_ = nullptr;
};

std::vector<double> table_values(const ParameterTable& table)
{
    std::vector<double> values;
    for (const ModelParameter& row : table.rows)
        values.push_back(row.info.value);
    return values;
}

void restore_values(ParameterTable& table, const std::vector<double>& values)
{
    for (std::size_t r = 0; r < values.size(); ++r)
        table.rows[r].info.value = values[r];
}

// The values of a stage's start: the table's and the free intensities'.
struct StageStart {
    std::vector<double> values;
    std::vector<std::vector<double>> intensities;
    void restore(RefinementSession& session) const
    {
        restore_values(session.table, values);
        session.model->set_free_intensities(intensities);
    }
};

std::string names_of(const ParameterTable& table, const std::vector<int>& rows)
{
    std::string text;
    for (const int r : rows)
        text += (text.empty() ? "" : ", ") + table.rows[static_cast<std::size_t>(r)].info.name;
    return text;
}

// Takes `held` out of `rows`, each back at its value before the stage and marked held.
void hold_rows(RefinementSession& session, const std::vector<int>& held, const std::vector<double>& previous,
               std::vector<int>& rows)
{
    for (const int r : held) {
        ModelParameter& row = session.table.rows[static_cast<std::size_t>(r)];
        row.info.value = previous[static_cast<std::size_t>(r)];
        row.info.held = true;
        std::erase(rows, r);
    }
}

// One stage. It starts from the previous stage's values and never ends above its Σ w r²: a release
// that makes things worse, or takes a value out of the physical region, is tried again from the
// previous values (the new parameters barely off their neutral values, damped); a parameter that
// still leaves the region is held at its previous value.
std::string run_stage(RefinementSession& session, std::size_t s, const RefinementProgress& progress,
                      const std::atomic<bool>* stop, RefinementResult& working)
{
    std::vector<int> rows;
    std::string why = release_stages(session.request, s, session.table, rows);
    if (!why.empty())
        return why;
    repartition_le_bail(session);
    for (const int r : pawley_rows(session.table)) {  // a Pawley fit refines its intensities throughout
        rows.push_back(r);
        session.table.rows[static_cast<std::size_t>(r)].info.refined = true;
    }
    std::vector<int> fresh;
    std::copy_if(rows.begin(), rows.end(), std::back_inserter(fresh),
                 [&](int r) { return !session.released.count(r); });
    session.released.insert(rows.begin(), rows.end());
    const std::vector<int> before = session.lastRows;
    const std::vector<double> previous = table_values(session.table);
    const StageStart start{previous, session.model->free_intensities()};
    // Σ w r² is summed in another order by the solver: the same values may differ in the last digits.
    const double previousSquares = session.weighted_squares() * (1 + kSameSquares);
    StageRun run(session, s, progress, stop, working);
    run.fresh = fresh;
    RefinementStage& stage = run.stage;
    give_start_values(session.table, fresh);
    hold_rows(session, undetermined_rows(session, rows, stage.notes), previous, rows);
    if (!(why = find_peak_positions(session, rows, before)).empty())
        return why;
    LeastSquaresResult fit;
    if (!(why = run.passes(rows, before, session.request.damping, fit)).empty())
        return why;
    bool diverged = false;
    std::vector<int> left = rows_on_guard(session, rows);
    if (!fit.stopped && (session.weighted_squares() > previousSquares || !left.empty())) {
        stage.notes.push_back(left.empty() ? "The stage ended above the previous stage's chi2: tried again from the "
                                             "previous values, damped"
                                           : names_of(session.table, left) + " left the physical region: tried "
                                             "again from the previous values, damped");
        start.restore(session);
        give_start_values(session.table, fresh, true);
        if (!(why = run.passes(rows, before, kRetryDamping, fit)).empty())
            return why;
        // Held, the others may take another out of the region in turn: each is held until none leaves.
        const std::vector<int> first = left;
        while (!fit.stopped && !(left = rows_on_guard(session, rows)).empty()) {
            diverged = true;
            const bool again = std::any_of(left.begin(), left.end(), [&](int r) { return std::count(first.begin(), first.end(), r); });
            stage.notes.push_back(names_of(session.table, left) + " left the physical region" + (again ? " again" : "") +
                                  " and is held at its previous value");
            start.restore(session);
            give_start_values(session.table, fresh, true);
            hold_rows(session, left, previous, rows);
            if (!(why = run.passes(rows, before, kRetryDamping, fit)).empty())
                return why;
        }
        if (session.weighted_squares() > previousSquares) {
            start.restore(session);
            fit.outcome = FitOutcome::Stalled;
            stage.notes.push_back("No attempt lowered the previous stage's chi2: its values are kept");
        }
    }
    for (int round = 0; round < kDegenerateRounds && !fit.stopped; ++round) {
        const std::vector<int> remaining = separate_degenerate(session, rows, fit, stage.notes);
        if (remaining.size() == rows.size())
            break;
        rows = remaining;
        if (!(why = run.passes(rows, rows, session.request.damping, fit)).empty())
            return why;
    }
    stage.cycles = run.done;
    stage.outcome = fit.stopped ? FitOutcome::Stopped : diverged ? FitOutcome::Diverged : fit.outcome;
    stage.converged = stage.outcome == FitOutcome::Converged;
    stage.stopped = stage.outcome == FitOutcome::Stopped;
    for (const std::string& note : fit.notes)
        if (!note.starts_with(kUnfinished))
            stage.notes.push_back(note);
    if (stage.outcome == FitOutcome::CycleLimit)  // a pass's own note counts the pass's cycles
        stage.notes.push_back(kUnfinished + std::to_string(run.done) + " cycles without converging");
    session.model->set_variables(rows);
    stage.chi2 = session.chi2(static_cast<int>(rows.size()));
    working.stages.push_back(stage);
    return {};
}

// What the stages release, as far as the start search may move it.
StartSearchScope start_scope(const RefinementSession& session)
{
    StartSearchScope scope;
    scope.cell.assign(session.request.phases.size(), 0);
    ParameterTable table = session.table;
    std::vector<int> rows;
    if (session.request.stages.empty() ||
        !release_stages(session.request, session.request.stages.size() - 1, table, rows).empty())
        return scope;
    for (const int r : rows) {
        const ModelParameter& row = table.rows[static_cast<std::size_t>(r)];
        scope.zero |= row.quantity == Quantity::Zero;
        scope.displacement |= row.quantity == Quantity::Displacement;
        scope.widths |= row.quantity == Quantity::WidthW || row.quantity == Quantity::WidthY;
        if (row.quantity == Quantity::Cell)
            scope.cell[static_cast<std::size_t>(row.info.phase)] = 1;
    }
    return scope;
}

// What a sample with phases of free intensities cannot give: the weight fractions.
std::string free_intensity_note(const RefinementRequest& request)
{
    std::string names;
    for (const RefinementPhase& phase : request.phases)
        if (phase.intensities != IntensityMethod::Structure)
            names += (names.empty() ? "" : ", ") + phase.name + " (" + intensity_method_text(phase.intensities) + ")";
    if (names.empty())
        return {};
    return names + (request.phases.size() > 1 ? ": the intensities are free, so the sample's weight fractions are "
                                                "not defined"
                                              : ": the intensities are free, so the weight fraction is not defined");
}

}  // namespace

const char* intensity_method_text(IntensityMethod method)
{
    switch (method) {
    case IntensityMethod::Structure: return "Rietveld";
    case IntensityMethod::LeBail: return "Le Bail";
    case IntensityMethod::Pawley: return "Pawley";
    }
    return "";
}

const RefinementParameter* RefinementResult::find(const std::string& name) const
{
    for (const RefinementParameter& p : parameters)
        if (p.name == name)
            return &p;
    return nullptr;
}

std::string refinement_parameters(const RefinementRequest& request, std::vector<RefinementParameter>& parameters)
{
    ParameterTable table;
    std::string why = build_parameter_table(request, table);
    std::vector<int> released;
    if (why.empty() && !request.stages.empty())
        why = release_stages(request, request.stages.size() - 1, table, released);
    if (!why.empty())
        return why;
    give_start_values(table, released);
    parameters.clear();
    for (const ModelParameter& row : table.rows)
        parameters.push_back(row.info);
    return {};
}

std::string refine(const RefinementRequest& request, RefinementResult& result, const RefinementProgress& progress,
                   const std::atomic<bool>* stop)
{
    RefinementSession session(request);
    std::string why = check_request(request, session);
    if (!why.empty())
        return why;
    session.model = std::make_unique<PatternModel>(request, session.points, session.table);
    if (!(why = session.model->prepare()).empty())
        return why;
    add_pawley_rows(session);
    if (!(why = fit_linear_start(session)).empty())
        return why;
    RefinementResult working;
    working.notes = search_start(session, start_scope(session));
    if (!(why = start_free_intensities(session)).empty())
        return why;
    limit_peak_moves(session);
    for (std::size_t s = 0; s < request.stages.size(); ++s) {
        if (!(why = run_stage(session, s, progress, stop, working)).empty())
            return why;
        if (working.stages.back().stopped)
            break;
    }
    session.fill(session.lastRows, &session.last, nullptr, working);
    working.outcome = working.stages.empty() ? FitOutcome::Converged : working.stages.back().outcome;
    const std::vector<std::string> valueNotes = value_notes(working);
    working.notes.insert(working.notes.end(), valueNotes.begin(), valueNotes.end());
    if (const std::string note = free_intensity_note(request); !note.empty())
        working.notes.push_back(note);
    working.stage = static_cast<int>(working.stages.size());
    working.cycle = working.stages.empty() ? 0 : working.stages.back().cycles;
    result = std::move(working);
    return {};
}

std::string parse_refinement_stages(const std::string& text, std::vector<std::vector<std::string>>& stages)
{
    std::vector<std::vector<std::string>> parsed(1);
    std::string token;
    const auto end_token = [&]() -> bool {
        const auto first = token.find_first_not_of(" \t");
        if (first == std::string::npos)
            return false;
        parsed.back().push_back(token.substr(first, token.find_last_not_of(" \t") - first + 1));
        token.clear();
        return true;
    };
    for (const char c : text + ";") {
        if (c != ',' && c != ';') {
            token += c;
            continue;
        }
        if (!end_token() && c == ',')
            return "an empty name in \"" + text + "\"";
        token.clear();
        if (c == ';') {
            if (parsed.back().empty())
                return "an empty stage in \"" + text + "\"";
            parsed.emplace_back();
        }
    }
    parsed.pop_back();
    stages = std::move(parsed);
    return {};
}

}  // namespace kalidos
