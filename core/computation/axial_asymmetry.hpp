// Axial divergence (Finger–Cox–Jephcoat): the asymmetric peak as a weighted sum of symmetric ones.
#pragma once

#include <vector>

#include "computation/pattern_grid.hpp"

namespace kalidos {

// The FCJ weight of a symmetric peak centred at 2φ = delta for a peak at 2θ = twoTheta (both radians,
// 2θ < π/2), with the slit ratios S/L and H/L: W(2φ)/(h(2φ)·cos 2φ), where
// h(2φ) = √(cos²2φ/cos²2θ − 1), W = S/L + H/L − h below the inflection angle (h = |H/L − S/L|) and
// 2·min(S/L, H/L) above it, 0 outside [2φmin, 2θ] (h(2φmin) = S/L + H/L). Not normalised: W is given
// relative to 2·min(S/L, H/L), which keeps the limit as one ratio goes to 0 (W = 1 out to h = the other).
double fcj_weight(double delta, double twoTheta, double sl, double hl);

// The lowest angle 2φmin (radians) reached by a peak at twoTheta (radians, < π/2).
double fcj_lowest_angle(double twoTheta, double sl, double hl);

// Appends the terms whose sum is `peak` convolved with the FCJ weight: shifted copies of it towards
// 90° 2θ (below 90° towards lower angles, above 90° mirrored), their heights summing to its height, so
// the area is kept exactly. The quadrature is the midpoint rule in u = √(2θ − 2φ) (which removes the
// weight's 1/√ singularity at 2θ) on each side of the inflection angle, with copies at most a quarter of
// the peak's half width apart. With S/L + H/L = 0 (or a peak at 90°) the peak itself is appended.
void add_axially_divergent_terms(const ProfileTerm& peak, double sl, double hl, std::vector<ProfileTerm>& out);

}  // namespace kalidos
