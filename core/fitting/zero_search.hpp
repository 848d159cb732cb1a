// Where a fit of the zero shift starts: least squares finds the zero shift only from within about a
// peak width of it, so the start is the best of a scan over a range wider than that.
#pragma once

#include <functional>

namespace kalidos {

// The scan: ±0.3° 2θ in steps of 0.02°, wider than the zero errors of aligned instruments.
inline constexpr double kZeroSearchReach = 0.3, kZeroSearchStep = 0.02;
// Central differences of a calculation over Z ± this give the slope of the zero shift: far below
// any peak width a diffractometer resolves (degrees 2θ).
inline constexpr double kZeroSlopeStep = 1e-4;

// The zero shift of the scan whose fit leaves the least Σ w r²: `weightedSquaresAt(zero)` fits
// everything else at that zero shift (infinity where no fit can be made). 0 when none can; of equal
// sums the first, from −0.3° up.
double best_zero_start(const std::function<double(double zero)>& weightedSquaresAt);

}  // namespace kalidos
