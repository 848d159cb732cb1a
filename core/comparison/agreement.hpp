// Agreement between a calculation and a measured diagram: a weighted least-squares fit of
// the scale, a Chebyshev background and optionally a zero shift, with the usual R factors.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "fitting/chebyshev.hpp"  // for kMaxBackgroundOrder
#include "model/agreement.hpp"
#include "model/measured_diagram.hpp"

namespace kalidos {

// Fills `intensity` with the calculated (unscaled) intensity at each 2θ of `twoTheta`
// (degrees; the two spans have the same size). Any 2θ may be asked, also outside the
// calculated range.
using CalculatedIntensity = std::function<void(std::span<const double> twoTheta, std::span<double> intensity)>;

struct AgreementSettings {
    int backgroundOrder = kDefaultBackgroundOrder;  // 0..12: T_0 .. T_order
    bool fitZeroShift = false;
};

// Fits `calculated`, known over [calcLow, calcHigh] degrees 2θ, to the points of `scan`
// inside that interval. Returns an empty text and fills `result`, or returns why the fit
// cannot be made (no overlap, every weight 0, fewer points than parameters, a parameter the
// points do not determine) and leaves `result` as it was.
std::string fit_agreement(const MeasuredScan& scan, double calcLow, double calcHigh,
                          const CalculatedIntensity& calculated, const AgreementSettings& settings,
                          Agreement& result);

}  // namespace kalidos
