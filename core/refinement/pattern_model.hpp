// The calculated diagram of a refinement at the observed points, from the values of its
// parameters: Σ over phases of scale·Σ reflections intensity·profile, plus the Chebyshev background.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "computation/pattern_grid.hpp"
#include "fitting/fit_points.hpp"
#include "fitting/least_squares.hpp"
#include "refinement/parameter_table.hpp"
#include "refinement/phase_intensities.hpp"

namespace kalidos {

// Puts the value of a diagram's or a phase's parameter (zero shift, profile, cell, an atom's values ...)
// into a structure model; false for those a model does not hold (scale, overall B, background).
bool apply_to_model(const ModelParameter& row, double value, StructureModel& model);

// One phase as the model last evaluated it.
struct PhaseState {
    std::unique_ptr<StructureModel> model;  // the request's, with the values in place
    PhaseReflectionSet reflections;
    PhaseIntensities intensities;
    AtomPhaseSums sums;  // the atoms' sums of the last intensities computed, for a cell moved alone
    std::vector<ProfileTerm> unitTerms;     // every reflection's terms at intensity 1
    std::vector<std::size_t> firstTerm;     // reflection k's terms: [firstTerm[k], firstTerm[k + 1])
    std::vector<double> curve;              // Σ intensity·profile at the points, before the scale
    std::vector<ProfileTerm> curveTerms;    // the unit terms and
    std::vector<double> curveHeights;       // the reflections' intensities `curve` was made from
    // The unit terms sampled at the points, kept while the peaks do not change (only atoms, scales,
    // overall B or background move): an evaluation is then the intensities times the stored shapes.
    SampledTerms sampled;
    std::vector<ProfileTerm> sampledTerms;  // the unit terms `sampled` was made from
    std::vector<ProfileTerm> lastTerms;     // the unit terms of the last evaluation not sampled
    double scale = 0;
    double overallB = 0;  // Å²
    // Whether the widths are positive over the range, for the width parameters of widthsKey.
    std::vector<double> widthsKey;
    bool widthsOk = false;
    // The values the intensities (and their slopes) were computed from: the same values give the
    // same intensities, so a change of the profile alone does not compute them again.
    std::vector<double> intensityKey, slopesKey;
    // The reflections' groups: the wavelengths of one (h k l), and the reflections of exactly the
    // same d for every cell the lattice allows, share one |F|². A phase of free intensities (Le Bail,
    // Pawley) gives reflection k the intensity factor[k]·squared[group[k]].
    IntensityMethod method = IntensityMethod::Structure;
    std::vector<int> group;       // per reflection
    std::vector<double> squared;  // per group: its |F|² (free intensities)
    std::vector<char> inRange;    // per group: a peak within the points' range
};

class PatternModel : public LeastSquaresModel {
public:
    PatternModel(const RefinementRequest& request, const FitPoints& points, ParameterTable& table);

    // The phases' reflections over the points' range and a margin beyond it. Empty text or why not.
    std::string prepare();

    // The solver's variables are these rows of the table, in this order; everything else keeps its
    // value in the table (the rows tied to a variable move with it).
    void set_variables(const std::vector<int>& rows);
    const std::vector<int>& variables() const { return variables_; }

    // Whether the derivatives' columns take their tails from coarser grids than the evaluation's, as
    // a fit's linearisation may (kFitSlopeTailLevels, kFitIntensityTailLevels; the default), or are
    // the evaluation's own slopes.
    void set_coarse_slope_tails(bool coarse) { coarseSlopeTails_ = coarse; }
    void precise_derivatives(bool precise) override { precise_ = precise; }

    // Every row's value for the variables' values.
    std::vector<double> row_values(std::span<const double> values) const;
    // d(row)/d(variable j): the rows a variable moves and by how much.
    const std::vector<std::pair<int, double>>& moved_by(std::size_t j) const { return moves_[j]; }

    bool evaluate(std::span<const double> values, std::span<double> model) override;
    void derivatives(std::span<const double> values, std::span<const double> model, Eigen::MatrixXd& jacobian,
                     std::vector<char>& analytic) override;

    // The model at every row value of the table (after evaluate, the last evaluation's).
    bool evaluate_rows(const std::vector<double>& rows, std::span<double> model);

    // Le Bail: the Le Bail phases' |F|² re-partitioned from the observed diagram at the variables'
    // values (free_intensities.cpp).
    bool refresh(std::span<const double> values) override;
    // Where the least squared peak width of the range (the Gaussian FWHM² of TCH, the seed
    // profile's half width²) at `toward` lies, the phase and angle; its slopes there along U, V and W
    // (exact: at one angle the squared width is linear in them) and its room at `values`.
    bool edge(std::span<const double> values, std::span<const double> toward, std::vector<double>& gradient,
              double& room) override;
    // `iterations` partitions at the table's row values `rows`: I_k ← I_k·Σ_i f_i c_k(i)(yo_i − yb_i)
    // / Σ_i f_i c_k(i)(yc_i − yb_i), c_k(i) reflection k's calculated counts at point i, shared by its
    // group; the Le Bail phases', or with `pawley` also the Pawley phases'. By the Share rule
    // f_i = 1/(yc_i − yb_i): each reflection takes its share of the observed net counts, matching
    // the peaks' areas whatever their widths (a sound start from a poor profile). By the Weighted
    // rule f_i is the point's weight: the fixed point is where no |F|² lowers Σ w r² further (the
    // least squares' own condition); where the profile misses the measured tails the areas of the
    // Share rule pull the widths and shifts towards a worse minimum that this rule leaves.
    enum class PartitionRule { Share, Weighted };
    void partition_intensities(const std::vector<double>& rows, int iterations, bool pawley,
                               PartitionRule rule = PartitionRule::Share);
    // The Le Bail phases partitioned at `rows` by both rules, the one that lowers Σ w r² more kept;
    // neither, and false, when both raise it.
    bool repartition_downhill(const std::vector<double>& rows, int iterations);
    // Whether a phase takes its intensities from the observed diagram after every cycle.
    bool has_lebail() const;
    // Every phase's |F|² per group, to be kept and put back with the table's values.
    std::vector<std::vector<double>> free_intensities() const;
    void set_free_intensities(const std::vector<std::vector<double>>& squared);
    // Whether refresh() partitions: not before the free intensities have their start.
    void partition_each_cycle(bool on) { partitionEachCycle_ = on; }

    const FitPoints& points() const { return points_; }
    const std::vector<PhaseState>& phases() const { return phases_; }
    std::vector<double> background() const;

private:
    void apply_rows(const std::vector<double>& rows);
    bool coarse_tails() const { return coarseSlopeTails_ && !precise_; }
    std::vector<double> intensity_key(std::size_t phase, const std::vector<double>& rows) const;
    bool build_terms(PhaseState& phase) const;
    std::vector<double> profile_at_points(const PhaseState& phase, const std::vector<double>& perReflection) const;
    bool analytic_variable(std::size_t j) const;
    std::vector<double> reflection_slopes(std::size_t j, const PhaseState& phase) const;
    void structure_columns(std::size_t p, const std::vector<std::size_t>& columns, Eigen::MatrixXd& jacobian);
    bool shape_variable(std::size_t j) const;
    bool terms_at(const std::vector<double>& rows, std::vector<std::vector<ProfileTerm>>& terms,
                  std::vector<std::vector<std::size_t>>& first);
    void shape_columns(std::span<const double> values, const std::vector<std::size_t>& columns,
                       Eigen::MatrixXd& jacobian, std::vector<char>& analytic);
    void free_intensities_into(const PhaseState& phase, PhaseIntensities& in) const;
    double widths_low() const;
    double widths_high() const;
    void prepare_groups(PhaseState& phase) const;
    // The phase's unit terms sampled at the points and kept (PhaseState::sampled).
    void sample_terms(PhaseState& phase) const;
    double weighted_squares_at(const std::vector<double>& rows);

    const RefinementRequest& request_;
    const FitPoints& points_;
    ParameterTable& table_;
    std::vector<PhaseState> phases_;
    std::vector<double> backgroundCoefficients_;
    mutable std::vector<double> backgroundCache_, backgroundCacheKey_;  // background() at those coefficients
    std::vector<int> variables_;
    bool coarseSlopeTails_ = true;
    bool precise_ = false;  // asked for by the fit, whatever coarseSlopeTails_ says
    std::vector<std::vector<std::pair<int, double>>> moves_;
    bool partitionEachCycle_ = false;
};

}  // namespace kalidos
