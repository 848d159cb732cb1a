// The figures of a refinement beyond the figures of merit of every fit (fitting/figures_of_merit.hpp):
// each phase's R_Bragg, and the curves.
#pragma once

#include <span>
#include <vector>

#include "refinement/pattern_model.hpp"

namespace kalidos {

// R_Bragg of phase p: Σ|I_obs − I_calc| / Σ I_obs over its reflections (both wavelengths of a
// reflection counted together), I_obs apportioned from the observed points as the calculated
// profile shares them out: I_obs = Σ_i c_k(i)·(yo_i − yb_i)/(yc_i − yb_i), c_k reflection k's
// calculated share at point i, within the terms' near window.
double bragg_r(const PatternModel& model, std::size_t phase, std::span<const double> calculated);

// Observed, calculated, background, difference, σ and each phase's share at the points.
void fill_refinement_curves(const PatternModel& model, std::span<const double> calculated, RefinementCurves& curves);

}  // namespace kalidos
