// The figures of a refinement beyond the figures of merit of every fit (fitting/figures_of_merit.hpp):
// each phase's R_Bragg, and the curves.
#pragma once

#include <functional>
#include <span>
#include <vector>

#include "refinement/pattern_model.hpp"

namespace kalidos {

// Reflection k of a phase at height factor `height` (intensity·scale): its calculated counts at the
// points of `grid` within the terms' near window, from grid[first] on.
struct ReflectionShare {
    std::size_t first = 0;
    std::vector<double> values;
};
ReflectionShare reflection_share(const PhaseState& phase, std::size_t k, double height, const std::vector<double>& grid);

// The shares of every reflection k for which height(k) is not 0 (the others empty), made by the
// calculation's threads: each share as reflection_share makes it.
std::vector<ReflectionShare> reflection_shares(const PhaseState& phase,
                                               const std::function<double(std::size_t)>& height,
                                               const std::vector<double>& grid);

// R_Bragg of phase p: Σ|I_obs − I_calc| / Σ I_obs over its reflections (both wavelengths of a
// reflection counted together), I_obs apportioned from the observed points as the calculated
// profile shares them out: I_obs = Σ_i c_k(i)·(yo_i − yb_i)/(yc_i − yb_i), c_k reflection k's
// calculated share at point i, within the terms' near window.
double bragg_r(const PatternModel& model, std::size_t phase, std::span<const double> calculated);

// Observed, calculated, background, difference, σ and each phase's share at the points.
void fill_refinement_curves(const PatternModel& model, std::span<const double> calculated, RefinementCurves& curves);

}  // namespace kalidos
