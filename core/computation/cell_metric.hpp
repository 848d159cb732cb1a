// Reciprocal cell, volume and the reciprocal orthogonalisation matrix of the entered cell.
#pragma once

#include <string>

#include "model/structure_model.hpp"

namespace kalidos {

// Degrees to radians as the calculation converts them (not π/180: every computed
// angle carries this factor, so a 90° entry acts as 90.000125°).
inline constexpr double kDegreesToRadians = 0.017453316741046884;
inline constexpr double kRadiansToDegrees = 57.2957;
// π/180: the degree of the work the listings do not show (cell content, displacement tensors,
// the refined cell's volume).
inline constexpr double kExactDegreesToRadians = 3.141592653589793 / 180;

// V = abc·√(1 − cos²α − cos²β − cos²γ + 2·cos α·cos β·cos γ) (Å³), the angles turned into radians
// by `radiansPerDegree` (kDegreesToRadians or kExactDegreesToRadians); not a number for a cell no
// lattice can have (the root's argument not above 0).
double cell_volume(const CellParameters& cell, double radiansPerDegree);

// Writes aStar ... volume and cellMatrix from a, b, c, alpha, beta, gamma. A degenerate cell
// gives non-finite values; the calculation refuses a zero cell before it gets here.
void compute_cell_metric(StructureModel& model);

// The refusal of a cell no lattice can have, its metric not positive definite (1 − cos²α − cos²β −
// cos²γ + 2·cos α·cos β·cos γ ≤ 0: α = β = γ = 170°, or one angle at least the sum of the other
// two), naming the cell and `where` ("in nacl.cif"); empty for any other cell, also one with a value
// still 0 (not given yet) or out of range, which are refused elsewhere.
std::string impossible_cell_message(const CellParameters& cell, const std::string& where);

// 1/d² (Å⁻²) of the reflection (h k l): |cellMatrix·(h, k, l)|².
double reciprocal_length_squared(const StructureModel& model, int h, int k, int l);

}  // namespace kalidos
