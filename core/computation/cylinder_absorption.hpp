// The absorption of a cylindrical specimen (a capillary in Debye–Scherrer geometry, neutrons in a can).
#pragma once

namespace kalidos {

// The transmission A(θ) of a cylinder of linear absorption μ and radius R bathed in the beam, the
// beam and the diffracted ray normal to its axis: the mean of exp(−μ·path) over its cross-section.
// Lobanov & alte da Veiga's analytic approximation (6th European Powder Diffraction Conference,
// 1998, abstract P12-16), in sin²θ and μR, with the exact first term 16μR/(3π) below μR = 3 and a
// rational form above. Against the integral over the cross-section it is within 1.5 % (relative) for
// 0 ≤ μR ≤ 10 at every θ, which is the range the program accepts. `theta` in radians.
double cylinder_transmission(double muR, double theta);

}  // namespace kalidos
