// Surface roughness of a flat specimen in reflection.
#pragma once

namespace kalidos {

// Suortti's two-parameter model (J. Appl. Cryst. 5 (1972) 325): a rough surface absorbs more of the
// rays that enter and leave it at grazing angles, so low angles lose intensity:
// SR = [p + (1 − p)·exp(−q/sin θ)] / [p + (1 − p)·exp(−q)], 1 at 2θ = 180° (normalised there, so
// that the scale keeps its meaning). p = 1 or q = 0: a smooth surface. Left alone the loss at low
// angles is taken up by the displacement parameters, which come out too low or negative (Pitschke,
// Hermann & Mattern, Powder Diffr. 8 (1993) 74). `theta` in radians.
double surface_roughness(double p, double q, double theta);

}  // namespace kalidos
