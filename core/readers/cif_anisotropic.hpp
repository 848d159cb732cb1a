// The anisotropic displacement loop of a CIF block (_atom_site_aniso_*), matched to the sites.
#pragma once

#include <string>
#include <vector>

#include "model/structure_model.hpp"
#include "readers/cif_syntax.hpp"

namespace kalidos
{

// What the atom-site loop said of each atom read (atom n is entry n − 1).
struct CifSite {
    std::string label;    // _atom_site_label as written
    bool isotropicGiven;  // U_iso_or_equiv or B_iso_or_equiv was given
};

// Reads U_ij, B_ij or β_ij (first found, in that order) of every row of the aniso loop whose
// _atom_site_aniso_label names a site, with or without _atom_site_aniso_type_symbol; rows with an
// unknown label or an unreadable value are left out. A site whose isotropic value was not given
// takes B_eq of its tensor as B.
void read_cif_tensors(StructureModel& model, const CifBlockData& block, const std::vector<CifSite>& sites);

} // namespace kalidos
