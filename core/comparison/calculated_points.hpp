// The last calculation as a function of 2θ, for a comparison at the observed points.
#pragma once

#include "comparison/agreement.hpp"
#include "model/workspace.hpp"

namespace kalidos {

// The peaks of MergedReflections as the 1015-point pattern draws them (profile_terms: by default
// pseudo-Voigt, η = 0.5, H = √(U·tan²θ + V·tan θ + W), amplitude 0.1·intensity; otherwise the
// profile settings), unscaled, at any 2θ, through evaluate_profile_terms (exact near each peak,
// tails interpolated within 3e-5 of a peak's Lorentzian height). Reflections whose width is refused
// contribute nothing (the synthesis has refused them already). The peaks are copied: later changes of
// the workspace do not reach it.
CalculatedIntensity calculated_intensity(const Workspace& workspace);

// The 2θ interval of the last calculated pattern; low > high when there is none.
struct CalculatedRange {
    double low = 1, high = 0;
    bool exists() const { return low <= high; }
};
CalculatedRange calculated_range(const Workspace& workspace);

}  // namespace kalidos
