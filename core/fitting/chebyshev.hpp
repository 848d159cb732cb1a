// Chebyshev polynomials of the first kind: the background under a measured diagram.
#pragma once

#include <span>

#include "model/agreement.hpp"  // for ChebyshevInterval

namespace kalidos {

// The orders of a background fitted under a measured diagram: T_0 .. T_order.
inline constexpr int kMaxBackgroundOrder = 12;
inline constexpr int kDefaultBackgroundOrder = 3;

// T_0(u) ... T_n(u) into `values` (n + 1 = values.size()), by the three-term recurrence.
void chebyshev_values(double u, std::span<double> values);

// Σ coefficients[k]·T_k(u).
double chebyshev_sum(double u, std::span<const double> coefficients);

}  // namespace kalidos
