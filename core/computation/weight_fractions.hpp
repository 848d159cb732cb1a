// Hill and Howard's weight fractions: the phases of one sample from their scale factors, and back.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <vector>

#include "model/agreement.hpp"  // for FittedValue

namespace kalidos {

// S = w / (Z·M·V): at this scale a phase's absolute intensities add up with the others' as in a
// sample holding it at the weight fraction w; 0 when Z·M·V is not above 0.
double hill_howard_scale(double fraction, double zmv);

// w_p = S_p·(ZMV)_p / Σ_i S_i·(ZMV)_i with its su from the scales' covariance:
// var(w_p) = Σ_ij g_i·g_j·cov(S_i, S_j), g_i = ∂w_p/∂S_i = (δ_ip − w_p)·(ZMV)_i / Σ.
// `covariance(i, j)` gives cov(S_i, S_j) (0 for a scale that was not fitted); without it every su
// is 0. All fractions are 0 when the sum is 0.
std::vector<FittedValue> weight_fractions(std::span<const double> zmv, std::span<const double> scales,
                                          const std::function<double(std::size_t, std::size_t)>& covariance = {});

}  // namespace kalidos
