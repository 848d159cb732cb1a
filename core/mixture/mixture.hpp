// A mixture of phases: Hill and Howard's scales from weight fractions, and the mixture's diagram.
#pragma once

#include <string>
#include <vector>

#include "mixture/mixture_phase.hpp"

namespace kalidos {

// Why the phases cannot make a mixture (none, more than 16, a fraction negative or not finite,
// fractions summing to 0); empty when they can.
std::string mixture_problem(const std::vector<MixturePhase>& phases);

// The fractions divided by their sum.
void normalise_fractions(std::vector<MixturePhase>& phases);

// Each phase's Hill and Howard scale at its weight fraction (hill_howard_scale).
std::vector<double> hill_howard_scales(const std::vector<MixturePhase>& phases);

// The mixture's diagram at `twoTheta` (ascending, degrees): each phase's peaks times its scale,
// and their sum, all divided by the one factor that brings the sum's largest value to 100 (as the
// diagram of one structure is drawn). `factor` is that divisor; 0 when the sum is 0 everywhere.
struct MixtureCurves {
    std::vector<double> twoTheta;
    std::vector<double> total;
    std::vector<std::vector<double>> phases;  // in the order of the phases
    double factor = 0;
};
MixtureCurves mixture_curves(const std::vector<MixturePhase>& phases, const std::vector<double>& scales,
                             const std::vector<double>& twoTheta);

}  // namespace kalidos
