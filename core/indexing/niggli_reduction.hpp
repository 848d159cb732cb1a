// The Niggli-reduced cell of a lattice (Křivý & Gruber, Acta Cryst. A32 (1976) 297, with the
// tolerances of Grosse-Kunstleve, Sauter & Adams, Acta Cryst. A60 (2004) 1), and whether two cells
// describe the same lattice.
#pragma once

#include <Eigen/Core>  // for Eigen::Matrix3i, the change of basis

#include "indexing/unit_cell.hpp"

namespace kalidos {

struct ReducedCell {
    UnitCell cell;
    // Columns: the reduced basis vectors in the basis of the cell given (integers, determinant 1).
    Eigen::Matrix3i transform = Eigen::Matrix3i::Identity();
    int steps = 0;  // of the algorithm, for the tests
};

// The Niggli cell of the lattice whose primitive cell is given. Comparisons allow `relativeEpsilon`
// times the squared cube root of the volume, so that a measured cell at 90.0001° reduces as at 90°.
ReducedCell niggli_reduce(const UnitCell& primitive, double relativeEpsilon = 1e-5);

// Whether two primitive cells describe the same lattice within `tolerance`: some change of basis
// of small integers (each of -1..1) brings the reduced metric of one to within tolerance·|a_i||a_j|
// of every term of the other's.
bool same_lattice(const UnitCell& first, const UnitCell& second, double tolerance);

}  // namespace kalidos
