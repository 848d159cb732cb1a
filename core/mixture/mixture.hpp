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

// S_p = w_p / (Z·M·V)_p: at these scales the phases' absolute intensities add up as in a sample
// holding them at the weight fractions w_p.
std::vector<double> hill_howard_scales(const std::vector<MixturePhase>& phases);

// w_p = S_p·(Z·M·V)_p / Σ S_i·(Z·M·V)_i; all 0 when every scale is 0.
std::vector<double> weight_fractions(const std::vector<MixturePhase>& phases, const std::vector<double>& scales);

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
