#include "refinement/refinement.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "refinement/refinement_figures.hpp"
#include "refinement/refinement_result.hpp"

namespace kalidos {
namespace {

constexpr double kSearchWindows[] = {0.2, 0.4, 0.7};
constexpr int kSearchCycles = 10;
constexpr double kFreshStartGain = 0.9;  // Σw r² down by a tenth
constexpr int kMaxPasses = 3;

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
    std::vector<int> rows;
    for (std::size_t r = 0; r < session.table.rows.size(); ++r) {
        const Quantity q = session.table.rows[r].quantity;
        if (q == Quantity::Scale || q == Quantity::Background)
            rows.push_back(static_cast<int>(r));
    }
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

// The rows of `rows` a stage releases beyond those refined before, with the scales and background;
// empty when it adds none or nothing was refined before.
std::vector<int> newly_released(const RefinementSession& session, const std::vector<int>& rows,
                                 const std::vector<int>& before)
{
    std::vector<int> added;
    bool any = false;
    for (const int r : rows) {
        const Quantity q = session.table.rows[static_cast<std::size_t>(r)].quantity;
        const bool isNew = std::find(before.begin(), before.end(), r) == before.end();
        any |= isNew && q != Quantity::Scale && q != Quantity::Background;
        if (isNew || q == Quantity::Scale || q == Quantity::Background)
            added.push_back(r);
    }
    const bool earlier = std::any_of(before.begin(), before.end(), [&](int r) {
        const Quantity q = session.table.rows[static_cast<std::size_t>(r)].quantity;
        return q != Quantity::Scale && q != Quantity::Background;
    });
    return any && earlier && added.size() < rows.size() ? added : std::vector<int>{};
}

// One stage: its cycles, each reported; false when the stop flag ended it.
std::string run_stage(RefinementSession& session, std::size_t s, const RefinementProgress& progress,
                      const std::atomic<bool>* stop, RefinementResult& working)
{
    std::vector<int> rows;
    std::string why = release_stages(session.request, s, session.table, rows);
    const std::vector<int> before = session.lastRows;
    if (!why.empty() || !(why = find_peak_positions(session, rows, before)).empty())
        return why;
    session.model->set_variables(rows);
    RefinementStage stage;
    stage.released = session.request.stages[s];
    int done = 0;  // cycles of the passes before
    const std::vector<int>* current = &rows;  // the variables of the pass under way
    LeastSquaresOptions options;
    options.initialDamping = session.request.damping;
    options.onCycle = [&](const CycleReport& report) {
        CycleReport cycle = report;
        cycle.cycle += done;
        stage.figures.push_back(session.cycle_figures(cycle));
        if (progress) {
            working.stages.push_back(stage);
            session.fill(*current, nullptr, &cycle, working);
            working.stage = static_cast<int>(s) + 1;
            working.cycle = cycle.cycle;
            progress(working);
            working.stages.pop_back();
        }
        return !(stop && stop->load());
    };
    // Newly released groups are refined first with the scales and background alone (what was
    // refined before is near its minimum, and would otherwise soak up their misfit). A variable held
    // as undetermined stays so for the rest of a fit; when the fit has moved far from where that was
    // decided, it is made again with every variable free.
    const std::vector<int> added = newly_released(session, rows, before);
    for (int pass = added.empty() || session.request.cycles < 2 ? 1 : 0;; ++pass) {
        const std::vector<int>& variables = pass == 0 ? added : rows;
        current = &variables;
        for (const int row : variables)  // each pass decides anew what it holds
            session.table.rows[static_cast<std::size_t>(row)].info.held = false;
        session.model->set_variables(variables);
        // The request limits the stage's cycles, not each pass's. The pass of the newly released
        // groups only brings them near their minimum: a quarter of the cycles, the rest for every
        // variable together (a new group strongly tied to one held in that pass crawls there).
        const int budget = session.request.cycles - done;
        options.maxCycles = pass == 0 ? std::max(1, std::min(budget - 1, budget / 4)) : budget;
        LeastSquaresResult fit;
        why = solve_least_squares(*session.model, session.points.observed, session.points.weight,
                                  free_variables(session.table, variables), options, fit);
        if (!why.empty())
            return why;
        session.accept(variables, fit);
        done += static_cast<int>(fit.cycles.size());
        stage.cycles = done;
        stage.converged = fit.converged;
        stage.stopped = fit.stopped;
        stage.notes = fit.notes;
        const bool held = std::find(fit.held.begin(), fit.held.end(), 1) != fit.held.end();
        const bool moved = fit.weightedSquares < kFreshStartGain * fit.startWeightedSquares;
        if (fit.stopped || (pass > 0 && (!held || !moved)) || pass == kMaxPasses || done >= session.request.cycles)
            break;
    }
    // A pass's own note counts the pass's cycles; the stage's counts them all.
    const std::string unfinished = "The refinement stopped after ";
    std::erase_if(stage.notes, [&](const std::string& note) { return note.starts_with(unfinished); });
    if (!stage.converged && !stage.stopped)
        stage.notes.push_back(unfinished + std::to_string(done) + " cycles without converging");
    session.model->set_variables(rows);
    working.stages.push_back(stage);
    return {};
}

}  // namespace

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
    if (!(why = session.model->prepare()).empty() || !(why = fit_linear_start(session)).empty())
        return why;
    RefinementResult working;
    for (std::size_t s = 0; s < request.stages.size(); ++s) {
        if (!(why = run_stage(session, s, progress, stop, working)).empty())
            return why;
        if (working.stages.back().stopped)
            break;
    }
    session.fill(session.lastRows, &session.last, nullptr, working);
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
