// The figures of merit of a refinement by their conventional definitions, and its curves.
#pragma once

#include <span>
#include <vector>

#include "refinement/pattern_model.hpp"

namespace kalidos {

struct Figures {
    double rp = 0, rwp = 0, rexp = 0, chi2 = 0;
};

// Rp = Σ|yo − yc| / Σ yo, Rwp = √(Σ w(yo − yc)² / Σ w yo²), Rexp = √((N − P) / Σ w yo²),
// χ² = Σ w(yo − yc)² / (N − P), over the points used.
Figures conventional_figures(const FitPoints& points, std::span<const double> calculated, int parameters);

// R_Bragg of phase p: Σ|I_obs − I_calc| / Σ I_obs over its reflections (both wavelengths of a
// reflection counted together), I_obs apportioned from the observed points as the calculated
// profile shares them out: I_obs = Σ_i c_k(i)·(yo_i − yb_i)/(yc_i − yb_i), c_k reflection k's
// calculated share at point i, within the terms' near window.
double bragg_r(const PatternModel& model, std::size_t phase, std::span<const double> calculated);

// Observed, calculated, background, difference, σ and each phase's share at the points.
void fill_refinement_curves(const PatternModel& model, std::span<const double> calculated, RefinementCurves& curves);

}  // namespace kalidos
