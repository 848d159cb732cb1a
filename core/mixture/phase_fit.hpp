// Quantitative phase analysis: the phases' scales fitted to a measured diagram together with the
// background and zero shift of the comparison, and the weight fractions of Hill and Howard.
#pragma once

#include <string>
#include <vector>

#include "fitting/chebyshev.hpp"  // for kDefaultBackgroundOrder
#include "mixture/mixture_phase.hpp"
#include "model/agreement.hpp"

namespace kalidos {

inline constexpr int kMaxPhaseFitCycles = 50;
inline constexpr double kCellScaleReach = 0.01;  // the cell scale stays within 1 ± this

struct PhaseFitSettings {
    int backgroundOrder = kDefaultBackgroundOrder;
    bool fitZeroShift = true;
    bool fitSize = false;  // each phase's crystallite size
    bool fitCell = false;  // each phase's cell scale factor, within ±1 %
};

struct FittedPhase {
    FittedValue scale;     // S_p: multiplies the phase's absolute intensities
    FittedValue fraction;  // weight fraction, 0..1
    FittedValue sizeNm;    // as fitted, or the phase's own when not fitted (su 0)
    FittedValue cellScale;
    bool contributes = true;  // false: fixed at 0 because it adds nothing
};

struct PhaseFit {
    std::vector<FittedPhase> phases;
    // The figures and curves of the whole fit; its scale is not used (each phase has its own).
    Agreement agreement;
    std::vector<std::vector<double>> phaseCurves;  // each phase's scaled share at the points used
    std::vector<std::string> notes;                // phases fixed at 0, a fit that did not converge
    int cycles = 0;
    bool converged = false;
};

// Fits the phases to the points of `scan` inside [low, high]. The start is the phases' own sizes and
// cell scales (their fractions do not matter: the scales enter linearly). A phase whose fitted scale
// is not above 0 is fixed at 0 with a note, and the rest are fitted again. Returns an empty text and
// fills `result`, or why no fit can be made.
std::string fit_phases(const MeasuredScan& scan, double low, double high, const std::vector<MixturePhase>& phases,
                       const PhaseFitSettings& settings, PhaseFit& result);

}  // namespace kalidos
