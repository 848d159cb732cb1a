// The calculated pattern on any grid of 2θ points: a user's step, or a measured diagram's own points.
#pragma once

#include <span>
#include <vector>

#include <Eigen/Core>        // for the many-column evaluation
#include <Eigen/SparseCore>  // for the sampled near parts

#include "model/workspace.hpp"

namespace kalidos {

// One symmetric pseudo-Voigt term: height·(η/(1 + x²) + (1 − η)·2^(−x²)), x = (2θ − position)/halfWidth.
// Both parts have the half width at half maximum `halfWidth`.
struct ProfileTerm {
    double position = 0;   // degrees 2θ
    double halfWidth = 0;  // degrees 2θ, > 0
    double eta = 0.5;      // Lorentzian fraction, 0..1
    double height = 0;
};

// The height that gives a term the integrated area `area` (over the whole line, tails included).
double height_for_area(double area, double halfWidth, double eta);

// The term's η (Lorentzian share of the height) of a pseudo-Voigt whose Lorentzian holds
// `areaShare` of the area, as the Thompson–Cox–Hastings η is defined (a mixture of unit-area
// functions of one full width).
double height_share(double areaShare);

// How the evaluation splits each term. Within kNearHalfWidths half widths of its position a term is
// computed exactly at every point. Beyond, only the Lorentzian tail is left (2^(−x²) < 1e-120 there);
// it is computed on a coarse uniform grid (at most kCoarseStepHalfWidths of the term's half widths
// apart) and interpolated linearly. So no tail is cut off and every area is kept: the only error is the
// interpolation of the tail, below 1.2e-2/kNearHalfWidths² = 3e-5 of the term's Lorentzian height
// (η·height) at any point, wherever the points lie, for every term whose half width is at least a
// tenth of the points' mean spacing (the coarse grids are never finer than a quarter of it, so a
// term too narrow for the points to resolve has a larger error in its far tail).
inline constexpr double kNearHalfWidths = 20;
inline constexpr double kCoarseStepHalfWidths = kNearHalfWidths / 8;

// The slopes a least-squares fit is linearised with need not be those of the evaluation to the last
// digit: an error of 1e-3 in a column changes its su by about as much and the step towards the
// minimum by less, while the minimum itself is the evaluation's. Their tails may be interpolated
// from grids some levels coarser (each level doubles the nodes' spacing), which makes the tails of
// many columns, the larger part of their cost, 2^levels times cheaper. From one level coarser a
// peak's slopes (along its position, width, η) are within 1e-3 of a column's largest value; from
// two, the intensities' columns (whose tails are the profile's own, and smoother) within 3e-4. Where
// χ² stops falling a fit asks for the exact slopes (LeastSquaresModel::precise_derivatives): in a
// flat valley the steps and su of correlated widths depend on the slopes' last digits. (Two levels
// for the peaks' slopes, 3e-3, let PbSO4's everything-at-once refinement converge 1e-4 above its
// minimum in χ².)
inline constexpr int kFitSlopeTailLevels = 1;
inline constexpr int kFitIntensityTailLevels = 2;

// Sum of every term at each of `twoTheta` (ascending, degrees). Terms are added in their order at
// every point; the result does not depend on the number of threads.
std::vector<double> evaluate_profile_terms(const std::vector<ProfileTerm>& terms, const std::vector<double>& twoTheta);

// The same sum for many sets of heights at once: column c of the result is the sum of every term t
// with its height multiplied by weights(row[t], c) (terms may share a row: the copies of one peak).
// The near parts and the tails are made as evaluate_profile_terms makes them, as matrices; the
// values differ from its by rounding only.
Eigen::MatrixXd evaluate_profile_columns(const std::vector<ProfileTerm>& terms, std::span<const int> row,
                                         const Eigen::MatrixXd& weights, const std::vector<double>& twoTheta);

// How each term changes along each of several directions (terms × directions): its height, position,
// half width and η per unit of the direction.
struct TermChanges {
    Eigen::MatrixXd height, position, halfWidth, eta;
};

// Column c: the derivative of the terms' sum along direction c, with the near parts and the tails
// differentiated as evaluate_profile_terms makes them (the same windows and coarse grids), so that it
// is the slope of that evaluation itself.
// With `coarserTails` > 0 the tails are interpolated from grids that many levels coarser (see
// kFitSlopeTailLevels): no longer the evaluation's own slope, but cheaper.
Eigen::MatrixXd evaluate_profile_slopes(const std::vector<ProfileTerm>& terms, const TermChanges& changes,
                                        const std::vector<double>& twoTheta, int coarserTails = 0);

// Terms sampled once at the points, row by row (terms may share a row: the copies of one peak, which
// follow each other, so that the rows never decrease along the terms), so that sums with other
// heights per row cost products alone: the near parts as a sparse matrix and each width class's tails
// on its coarse grid, made as evaluate_profile_terms makes them.
class SampledTerms {
public:
    SampledTerms() = default;
    SampledTerms(const std::vector<ProfileTerm>& terms, std::span<const int> row, Eigen::Index rows,
                 const std::vector<double>& twoTheta);
    // Column c: the sum of every term with its height multiplied by weights(row, c).
    Eigen::MatrixXd columns(const Eigen::MatrixXd& weights) const;
    // The same from the weights transposed (columns × rows), as rows (columns × points): the
    // layout they are summed in.
    // With `coarserTails` > 0 the tails are interpolated from every 2^coarserTails-th node of their
    // grids (see kFitIntensityTailLevels).
    Eigen::MatrixXd transposed_columns(const Eigen::MatrixXd& weightsT, int coarserTails = 0) const;
    // One such column.
    std::vector<double> sum(std::span<const double> weights) const;

    struct Level {
        std::vector<Eigen::Index> rows;             // the rows whose terms are of this width class
        Eigen::MatrixXd tails;                      // those rows × nodes
        Eigen::SparseMatrix<double> interpolation;  // nodes × points
        double start = 0, spacing = 1;              // of the nodes
    };

private:
    Eigen::Index points_ = 0;
    std::vector<double> twoTheta_;  // the points
    Eigen::SparseMatrix<double> near_;  // rows × points
    std::vector<Level> levels_;
};

// first, first + step, ... up to last (inclusive within 1e-9·step). Empty when step ≤ 0 or last < first.
std::vector<double> uniform_grid(double first, double last, double step);

// The current calculation (workspace.results after a run whose pattern exists) on `twoTheta`
// (ascending, degrees), in the units of the 1015-point picture (the same factor that scaled the
// picture to a maximum of 100). This is the call for comparisons with measured diagrams: pass the
// measured 2θ points (minus a zero shift being fitted). Empty when there is no calculation.
std::vector<double> calculated_pattern_at(const Workspace& workspace, const std::vector<double>& twoTheta);

// Fills workspace.results.grid with the calculation on uniform_grid(twoTheta1, twoTheta2, step).
// False (grid left empty) when there is no calculation or the step gives no point.
bool fill_pattern_grid(Workspace& workspace, double step);

}  // namespace kalidos
