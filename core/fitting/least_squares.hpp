// Damped weighted least squares over free variables (Levenberg–Marquardt). The solver knows nothing
// of what the variables mean: a model gives its values at the points and, where they are cheap, its
// derivatives; the solver differences the rest, holds what the data do not determine and reports
// standard uncertainties and correlations by the variables' names.
#pragma once

#include <Eigen/Core>  // for Eigen::MatrixXd, the Jacobian and covariance

#include <functional>
#include <limits>
#include <span>
#include <string>
#include <vector>

namespace kalidos {

struct FreeVariable {
    std::string name;  // stable name, as notes, listings and JSON show it
    double value = 0;
    // Difference step for a derivative the model does not give (absolute, in the variable's own
    // unit); never used for a column the model fills.
    double step = 1e-6;
    double lower = -std::numeric_limits<double>::infinity();
    double upper = std::numeric_limits<double>::infinity();
    // The most a cycle may move it: for a variable whose slope vanishes where the model changes its
    // form (the slit ratios of the axial divergence near 0), on which a linear step cannot be trusted.
    double largestShift = std::numeric_limits<double>::infinity();
};

// What is fitted. evaluate() may be called with any values within the bounds; derivatives() is called
// right after evaluate() at the same values.
class LeastSquaresModel {
public:
    virtual ~LeastSquaresModel() = default;
    // The model at every point; false when the values have no model (a cell that no lattice can have).
    virtual bool evaluate(std::span<const double> values, std::span<double> model) = 0;
    // Fills the columns of `jacobian` (points × variables) known analytically and sets their `analytic`
    // flag; the solver differences every other column (central differences, one-sided where the
    // model has no value on one side).
    virtual void derivatives(std::span<const double> values, std::span<const double> model,
                             Eigen::MatrixXd& jacobian, std::vector<char>& analytic)
    {
        (void)values, (void)model, (void)jacobian, (void)analytic;
    }
    // A model may give derivatives that are approximate where that is much cheaper (a linearisation
    // needs them to a part in a thousand, not to the last digit). Asked for precise ones once a fit
    // reaches a flat valley, where the steps of strongly correlated variables depend on the slopes'
    // last digits, and released when the fit ends.
    virtual void precise_derivatives(bool precise) { (void)precise; }
    // Called after each accepted cycle, at its values, before the model is linearised there again:
    // a model with quantities of its own that follow the fit (intensities taken from the observed
    // diagram) brings them up to date. True when that changed the model's values at the points.
    virtual bool refresh(std::span<const double> values)
    {
        (void)values;
        return false;
    }
    // An edge of the region where the model can be calculated (a peak width that would vanish), as a
    // linear bound on the steps d from `values`: gradient·d ≥ −room, gradient over the variables.
    // Where the edge is curved (the angle of the least width moves with the widths), the bound is the
    // one met where the model at `toward` is nearest its edge: a step towards `toward` that crosses
    // it is solved again on it, and again on the next bound its new end meets, so that the fit slides
    // along the edge instead of being damped to a halt where it met it. False when there is none.
    virtual bool edge(std::span<const double> values, std::span<const double> toward, std::vector<double>& gradient,
                      double& room)
    {
        (void)values, (void)toward, (void)gradient, (void)room;
        return false;
    }
};

// How a fit ended. Converged: every shift of the last cycle was a small share of its su. Stalled:
// Σw r² no longer falls although the shifts are not small. CycleLimit: still falling when the cycles
// ran out. Diverged: the values left the region where the model means something (decided by the
// model's user, who knows what the variables are). Stopped: the caller asked it to stop.
enum class FitOutcome { Converged, Stalled, CycleLimit, Diverged, Stopped };

// "converged", "stalled", "cycle limit", "diverged", "stopped": as listings and JSON write it.
const char* outcome_text(FitOutcome outcome);

struct CycleReport {
    int cycle = 0;                   // 1, 2, …
    double weightedSquares = 0;      // Σ w (y_obs − y_calc)² after the cycle
    double reducedChi2 = 0;          // weightedSquares / (points − free variables)
    int freeVariables = 0;           // the variables the data determine (not held) after the cycle
    double damping = 0;              // the Marquardt λ of the accepted step
    std::vector<double> values, shifts, su;  // per variable, in the order given
    std::vector<double> model;               // at every point, at `values`
};

struct VariableCorrelation {
    std::string first, second;
    double coefficient = 0;
};

struct LeastSquaresOptions {
    int maxCycles = 20;
    // Converged when every shift of a cycle is below this share of its standard uncertainty.
    double shiftTolerance = 0.01;
    // Also converged when a cycle lowers Σw r² by less than this share of it (0: not used).
    double relativeTolerance = 0;
    // λ of the first cycle, relative to the normal matrix's diagonal; 0 starts as Gauss–Newton.
    double initialDamping = 1e-3;
    // A variable whose pivot, on the normal matrix scaled to unit diagonal, falls below this share
    // once the variables before it are taken out, depends on them: it is held, with a note.
    double singularTolerance = 1e-9;
    double reportedCorrelation = 0.9;  // |r| above this is reported by name
    // Called after each accepted cycle; false stops the refinement there (values of that cycle kept).
    std::function<bool(const CycleReport&)> onCycle;
};

struct LeastSquaresResult {
    std::vector<double> values;    // final values, in the order given
    std::vector<double> su;        // √(C_kk · reduced χ²); 0 for a held variable
    std::vector<char> held;        // 1: not determined by the data, kept at its start value
    // −1 on its lower bound, +1 on its upper one at the end: out of the su and correlations.
    std::vector<signed char> onLimit;
    Eigen::MatrixXd covariance;    // of the free variables, scaled by the reduced χ²; held rows 0
    std::vector<VariableCorrelation> correlations;
    std::vector<CycleReport> cycles;
    std::vector<std::string> notes;
    double startWeightedSquares = 0, weightedSquares = 0;
    int points = 0, freeVariables = 0;
    FitOutcome outcome = FitOutcome::CycleLimit;
    bool converged = false;  // outcome == Converged
    bool stopped = false;    // outcome == Stopped
    double reducedChi2() const;
};

// Refines `variables` so that the model best matches `observed` with weights `weights` (1/σ²; a
// point of weight 0 does not count). Never ends with a higher Σw r² than it started with, nor with a
// value that is not finite. Returns an empty text and fills `result`, or why no refinement can be
// made (fewer points than variables, a model that cannot be evaluated at the start).
std::string solve_least_squares(LeastSquaresModel& model, std::span<const double> observed,
                                std::span<const double> weights, const std::vector<FreeVariable>& variables,
                                const LeastSquaresOptions& options, LeastSquaresResult& result);

// The su `variables` would have at their values, from one linearisation and counting statistics
// alone (reduced χ² taken as 1): what the data can determine, before any cycle. Infinite for a
// variable the data do not determine at all.
std::vector<double> predicted_uncertainties(LeastSquaresModel& model, std::span<const double> observed,
                                            std::span<const double> weights,
                                            const std::vector<FreeVariable>& variables);

}  // namespace kalidos
