// What symmetry leaves free: the cell parameters of the lattice system, and the coordinates and
// displacement tensor of an atom on its site.
#pragma once

#include <vector>

#include "model/structure_model.hpp"

namespace kalidos {

// How a few components may change together. Each component is free or moves with the free ones:
// δ_i = Σ_j along[i][j]·δ_j over the free components j (along[i][i] = 1 for a free i); a
// component with no free one to follow is fixed.
struct ComponentTies {
    std::vector<char> free;
    std::vector<std::vector<double>> along;
};

// The solution of the equations Σ_j e_j·δ_j = 0 (one row each) with the earliest components free
// wherever a choice exists (x of x, x, x; a of a = b).
ComponentTies solve_ties(const std::vector<std::vector<double>>& equations, int components);

// a, b, c, α, β, γ as the model's crystal system leaves them (cubic a; tetragonal and hexagonal
// a, c; rhombohedral a, α, or a, c on hexagonal axes; orthorhombic a, b, c; monoclinic a, b, c and
// the angle of the unique axis its twofold operators show; triclinic, or no system, all six).
ComponentTies lattice_ties(const StructureModel& model);

// x, y, z of atom n (1-based) under the rotations of the operators that leave its site in place.
ComponentTies position_ties(const StructureModel& model, int n);

// U11 U22 U33 U12 U13 U23 of atom n under the same rotations (R·β·Rᵀ = β).
ComponentTies tensor_ties(const StructureModel& model, int n);

}  // namespace kalidos
