// Displacement ellipsoids: the anisotropic tensor of an atom image in ångströms, and the surface
// that holds the atom with a chosen probability.
#pragma once

#include "geometry/cell_frame.hpp"
#include "model/anisotropic_displacement.hpp"

namespace kalidos {

// The Cartesian tensor (Å²) of the image under the rotation `r` of the tensor given on the unit
// reciprocal axes: U_c = A·R·N·U·N·Rᵀ·Aᵀ with N = diag(a*, b*, c*) and A the orthogonalisation.
Mat3 cartesian_displacement(const CellFrame& frame, const AnisotropicDisplacement& tensor, const double r[3][4]);

// B (Å²) as the isotropic tensor B / 8π² times the unit matrix.
Mat3 isotropic_displacement(double b);

// The factor k by which the square roots of the tensor's eigenvalues are multiplied so that the
// ellipsoid holds the atom with `probability` (0 < p < 1): P(χ²₃ ≤ k²) = p (k = 1.5382 at 50 %).
double ellipsoid_scale(double probability);

// The eigenvalues and unit eigenvectors (axes[i]) of a symmetric matrix, by Jacobi rotations.
struct PrincipalAxes {
    double values[3] = {};
    Vec3 axes[3] = {};
};
PrincipalAxes principal_axes(const Mat3& symmetric);

}  // namespace kalidos
