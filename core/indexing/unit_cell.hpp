// Unit cells as indexing handles them: the six parameters, their metric tensors, the change of basis
// and the primitive cell of a centred lattice.
#pragma once

#include <Eigen/Core>  // for Eigen::Matrix3d, the metric tensors and basis changes

namespace kalidos {

struct UnitCell {
    double a = 0, b = 0, c = 0;                  // Å
    double alpha = 90, beta = 90, gamma = 90;    // degrees
};

// G = [[a², ab cos γ, ac cos β], [ab cos γ, b², bc cos α], [ac cos β, bc cos α, c²]].
Eigen::Matrix3d direct_metric(const UnitCell& cell);
// The cell whose direct metric is `g` (symmetric, positive definite).
UnitCell cell_of_metric(const Eigen::Matrix3d& g);
// G* = G⁻¹: 1/d² of (h k l) is hᵀ G* h.
Eigen::Matrix3d reciprocal_metric(const UnitCell& cell);
UnitCell cell_of_reciprocal_metric(const Eigen::Matrix3d& gStar);
// Å³; 0 for a cell no lattice can have.
double volume_of(const UnitCell& cell);
// Whether the six values describe a lattice: lengths above 0 and a positive-definite metric.
bool is_valid_cell(const UnitCell& cell);

// The cell of the basis whose vectors are the columns of `p` in the basis of `cell` (G' = Pᵀ G P).
UnitCell transformed_cell(const UnitCell& cell, const Eigen::Matrix3d& p);

// Lattice centrings by their letter: P, A, B, C, I, F, and R (obverse, hexagonal axes).
// The columns of the returned matrix are a primitive basis in the conventional basis.
Eigen::Matrix3d primitive_basis(char centring);
// Lattice points per conventional cell: 1, 2, 4 or 3.
int centring_multiplicity(char centring);
// Whether (h k l) of the conventional cell is a point of the centred lattice's reciprocal lattice.
bool centring_allows(char centring, int h, int k, int l);
// The primitive cell of the lattice the conventional cell and its centring describe.
UnitCell primitive_cell(const UnitCell& conventional, char centring);

}  // namespace kalidos
