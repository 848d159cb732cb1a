// The incident beam of a fixed divergence slit spilling past a flat specimen at low angles.
#pragma once

namespace kalidos {

// The share of the beam that meets the specimen: the rays leave the focus over the slit's aperture α
// (uniformly in angle) at distance R (the goniometer radius) from the specimen's centre and meet its
// plane at θ ± ε; the specimen, of length L along the beam, is centred there. A ray at θ + ε lands
// R·sin ε/sin(θ + ε) before the centre, one at θ − ε R·sin ε/sin(θ − ε) beyond it, so the rays on
// the specimen span ε1 = atan2(h·sin θ, R − h·cos θ) before and ε2 = atan2(h·sin θ, R + h·cos θ)
// beyond (h = L/2), and the share is (min(ε1, α/2) + min(ε2, α/2))/α. 1 where the footprint,
// about R·α/sin θ, fits on the specimen. `theta` in radians, α in degrees, R and L in mm.
double beam_on_specimen(double theta, double slitDegrees, double radiusMm, double sampleLengthMm);

}  // namespace kalidos
