// The calculated diagram: a pseudo-Voigt peak for every merged reflection on 1015 points.
#pragma once

#include "computation/calculation_host.hpp"
#include "model/workspace.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// Replaces the CalculatedPattern from MergedReflections, twoTheta1, twoTheta2 and U, V, W
// (half-width H = √(U·tan²θ + V·tan θ + W), amplitude 0.1·intensity), scales it to a maximum of
// 100, sets pointCount to 1015 and fills the results list. Refused with a message, leaving the
// contributions already added unscaled and pointCount unchanged, when a width is negative or
// zero, when the Q abscissa meets a monoclinic cell with γ ≠ 90° outside the catalogue, or when
// every point is 0. Returns false when refused.
bool synthesise_profile(Workspace& workspace, const CalculationHost& host, Messages& messages);

// Adds A·(η/(1 + x²) + (1 - η)·2^(-x²)), x = (angle - P)/H, to all 1015 points (each sum
// rounded to the 32-bit points). The wavelength is not used; it is passed for the callers.
void add_peak_profile(CalculatedPattern& pattern, double twoTheta1, double eta, double lambda, double peak,
                      double halfWidth, double amplitude);

}  // namespace kalidos
