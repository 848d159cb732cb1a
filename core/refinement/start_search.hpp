// Where a refinement's least squares start: the zero shift (or the sample displacement) and each
// phase's cell scale searched by matching the calculated peaks with the observed ones, and peak
// widths taken from the observed peaks. Least squares find a minimum only within about a peak width
// of it; a zero several widths off, or a cell from another temperature, needs a search first.
#pragma once

#include <string>
#include <vector>

#include "refinement/refinement_result.hpp"

namespace kalidos {

// What the stages of a refinement will release, and so what the search may move.
struct StartSearchScope {
    bool zero = false;
    bool displacement = false;
    std::vector<char> cell;  // per phase
    bool widths = false;     // the profile's widths
};

// One match of calculated and observed peak positions.
struct PositionMatch {
    double shift = 0;                // zero shift (degrees) or displacement (mm)
    std::vector<double> cellScale;   // per phase, 1 when not searched
    double score = 0;
};

// Each line of one phase: its d (Å), wavelength (Å) and expected peak area.
struct StickPhase {
    std::vector<double> d, lambda, weight;
    bool cellFree = false;
};

// Grid search of the shift and the cell scales that best lay the phases' lines on the net observed
// curve `net` (background taken off) at `twoTheta` (sorted): the score of a match is Σ weight·net
// smoothed with a Gaussian of σ = `smoothing` degrees, at the lines' positions. The shift moves a
// line by `shift` (zero) or by −2·shift·cos θ/R (displacement, radius R mm); cell scales within
// ±`cellReach`. The best matches, best first, at most `count`, each the best of its own
// neighbourhood.
std::vector<PositionMatch> match_positions(const std::vector<double>& twoTheta, const std::vector<double>& net,
                                           const std::vector<StickPhase>& phases, double shiftReach,
                                           double cellReach, double smoothing, bool displacement,
                                           double radiusMm, std::size_t count);

// Moves what `scope` allows of the session's table to the best start the search finds (checked
// against the whole diagram's Σw r² with the scales and background fitted), and returns what it
// moved, as notes. The scales and background are fitted again afterwards.
std::vector<std::string> search_start(RefinementSession& session, const StartSearchScope& scope);

}  // namespace kalidos
