// The quadratic form of each lattice system: 1/d² of (h k l) as Q = A h² + B k² + C l² + D kl +
// E hl + F hk with the terms the system leaves free, its conventional cells and their centrings.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "indexing/unit_cell.hpp"

namespace kalidos {

// Searched from the highest symmetry down. The hexagonal system holds the rhombohedral lattice
// (R, hexagonal axes); the monoclinic one is set with b unique.
enum class LatticeSystem { Cubic, Tetragonal, Hexagonal, Orthorhombic, Monoclinic, Triclinic };
inline constexpr int kLatticeSystems = 6;

inline constexpr int kMaxParameters = 6;
using FormTerms = std::array<double, kMaxParameters>;  // A B C D E F, Å⁻²
using FormParameters = std::array<double, kMaxParameters>;
using Coefficients = std::array<int, kMaxParameters>;

struct Hkl {
    int h = 0, k = 0, l = 0;
};

// Free parameters of the form: 1 (cubic: A), 2 (tetragonal, hexagonal: A, C), 3 (A, B, C),
// 4 (monoclinic: A, B, C, E) or 6.
int parameter_count(LatticeSystem system);
// The coefficients of the free parameters in Q(h k l); those past parameter_count are 0.
Coefficients form_coefficients(LatticeSystem system, int h, int k, int l);
FormTerms terms_of(LatticeSystem system, const FormParameters& parameters);
FormParameters parameters_of(LatticeSystem system, const UnitCell& cell);
double q_of(const FormTerms& terms, int h, int k, int l);

// The cell of the terms (via the reciprocal metric); invalid (a = 0) when they describe no lattice.
UnitCell cell_of_terms(const FormTerms& terms);
FormTerms terms_of_cell(const UnitCell& cell);

// The centrings of each system that indexing tells apart: "PIF", "PI", "PR", "PABCIF", "PACI", "P".
const char* centrings_of(LatticeSystem system);
// "cubic", ... "triclinic"; a hexagonal cell with R centring is "rhombohedral".
std::string system_name(LatticeSystem system, char centring);

// One reflection of each different quadratic form of the system (cubic: h ≥ k ≥ l ≥ 0, ...,
// triclinic: one of each Friedel pair), |h| ≤ maxH, |k| ≤ maxK, |l| ≤ maxL; (0 0 0) left out.
// Whether (h k l) is the one index_classes keeps of those with its form.
bool canonical_index(LatticeSystem system, int h, int k, int l);

struct IndexClass {
    Coefficients f{};
    Hkl hkl;
};
std::vector<IndexClass> index_classes(LatticeSystem system, int maxH, int maxK, int maxL);

}  // namespace kalidos
