// The symmetry written in a ShelX file (LATT and SYMM), used to turn its occupancies into the
// chemical occupancies the model holds.
#pragma once

#include "model/structure_model.hpp"

#include <optional>
#include <string>
#include <vector>

namespace kalidos
{

struct ShelxSymmetry {
    int latt = 1;                       // LATT n: |n| the centring, n > 0 centrosymmetric
    std::vector<SymmetryOperator> symm; // the SYMM operators, the identity not included
};

// One SYMM line's text after the keyword ("-X+1/2, Y, .5-Z"); nothing when a part cannot be read.
std::optional<SymmetryOperator> parse_shelx_symm(const std::string& text);

// Every operator of the group: identity and SYMM, their inverses when n > 0, each centring copy.
std::vector<SymmetryOperator> expand_shelx_symmetry(const ShelxSymmetry& symmetry);

// ShelX writes occupancy × (site multiplicity / general multiplicity); this is the factor
// general / site multiplicity that gives the chemical occupancy back (1 on a general position).
double shelx_site_factor(const std::vector<SymmetryOperator>& operators, double x, double y, double z);

} // namespace kalidos
