// The figures of merit of a fit to a measured diagram, by their conventional definitions.
#pragma once

#include <cstddef>
#include <span>

namespace kalidos {

struct Figures {
    double rp = 0, rwp = 0, rexp = 0, chi2 = 0;
};

// Over the N points: Rp = Σ|yo − yc| / Σ|yo|, Rwp = √(Σ w(yo − yc)² / Σ w yo²),
// Rexp = √((N − P) / Σ w yo²), χ² = Σ w(yo − yc)² / (N − P). P counts the parameters the data
// determine (a variable the fit holds is not one). Rexp and χ² are 0 when N − P is not above 0.
Figures figures_of_merit(std::span<const double> observed, std::span<const double> calculated,
                         std::span<const double> weight, int parameters);

// N − P: what is left of N points to measure a misfit by once P parameters are fitted.
double degrees_of_freedom(std::size_t points, int parameters);

// Σ w r² / (N − P), 0 when N − P is not above 0: χ² of the figures, and the solver's reduced χ²
// (with the fit's own weights) that scales its su.
double reduced_chi2(double weightedSquares, std::size_t points, int parameters);

}  // namespace kalidos
