// Chebyshev polynomials of the first kind: the background under a measured diagram.
#pragma once

#include <span>

namespace kalidos {

// The abscissa interval [low, high] mapped onto [-1, 1], where the polynomials are bounded
// and nearly orthogonal over evenly spaced points.
struct ChebyshevInterval {
    double low = 0, high = 0;
    double reduced(double x) const { return high > low ? 2 * (x - low) / (high - low) - 1 : 0; }
};

// T_0(u) ... T_n(u) into `values` (n + 1 = values.size()), by the three-term recurrence.
void chebyshev_values(double u, std::span<double> values);

// Σ coefficients[k]·T_k(u).
double chebyshev_sum(double u, std::span<const double> coefficients);

}  // namespace kalidos
