// Conversions between the forms in which files give anisotropic displacement, and the
// quadratic form the structure factors use.
#pragma once

#include "model/structure_model.hpp"

namespace kalidos {

// a*, b*, c* (Å⁻¹) of the cell, with the exact degree (the tensor work does not take the
// calculation's degree factor, which would matter only at the 1e-6 level here).
struct ReciprocalLengths {
    double a = 0, b = 0, c = 0;
};
ReciprocalLengths reciprocal_lengths(const CellParameters& cell);

// U^ij from B^ij = 8π² U^ij (Å²).
AnisotropicDisplacement tensor_from_b(const double b[6]);

// U^ij from the dimensionless β_ij of exp(−(β11 h² + … + 2β12 hk + …)).
AnisotropicDisplacement tensor_from_beta(const CellParameters& cell, const double beta[6]);

// The β_ij of a tensor: β_ij = 2π² a*_i a*_j U^ij, in the order 11 22 33 12 13 23.
void beta_of(const ReciprocalLengths& star, const AnisotropicDisplacement& tensor, double beta[6]);

// B_eq = 8π²/3 Σij U^ij a*_i a*_j (a_i·a_j), Å².
double b_equivalent(const CellParameters& cell, const AnisotropicDisplacement& tensor);

// The exponent mᵀβm of the image m of a reflection (off-diagonal terms twice).
inline double beta_form(const double beta[6], double m0, double m1, double m2)
{
    return beta[0] * m0 * m0 + beta[1] * m1 * m1 + beta[2] * m2 * m2 +
           2 * (beta[3] * m0 * m1 + beta[4] * m0 * m2 + beta[5] * m1 * m2);
}

// True when atom n is calculated with its tensor: it has one and the isotropic switch is off.
inline bool uses_tensor(const StructureModel& model, int n)
{
    return !model.sample.isotropic && model.atomAnisotropic[n].present;
}

// Forgets every tensor (before a new structure is read).
void clear_tensors(StructureModel& model);

}  // namespace kalidos
