// Reciprocal cell, volume and the reciprocal orthogonalisation matrix of the entered cell.
#pragma once

#include "model/structure_model.hpp"

namespace kalidos {

// Degrees to radians as the program has always converted them (not π/180: every computed
// angle carries this factor, so a 90° entry acts as 90.000125°).
inline constexpr double kDegreesToRadians = 0.017453316741046884;
inline constexpr double kRadiansToDegrees = 57.2957;

// Writes aStar ... volume and cellMatrix from a, b, c, alpha, beta, gamma. A degenerate cell
// gives non-finite values; the calculation refuses a zero cell before it gets here.
void compute_cell_metric(StructureModel& model);

// 1/d² (Å⁻²) of the reflection (h k l): |cellMatrix·(h, k, l)|².
double reciprocal_length_squared(const StructureModel& model, int h, int k, int l);

}  // namespace kalidos
