// The figures of merit of a fit to a measured diagram, by their conventional definitions.
#pragma once

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

}  // namespace kalidos
