// A refined structure written as a CIF data block: the values with their standard uncertainties,
// the space group and its operators, the cell, the atom sites (and their tensors) and the figures.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "model/structure_model.hpp"

namespace kalidos {

// Standard uncertainties of the values of a model; 0 for a value that was held.
struct StructureUncertainties {
    std::array<double, 6> cell{};  // a, b, c (Å), α, β, γ (degrees)
    double volume = 0;             // Å³
    // Per atom (entry i − 1 for atom i): x, y, z, B (Å²), occupancy; and U11 U22 U33 U12 U13 U23 (Å²).
    std::vector<std::array<double, 5>> atoms;
    std::vector<std::array<double, 6>> anisotropic;
};

// The agreement of the refinement the structure came from.
struct RefinementFigures {
    int points = 0, parameters = 0;
    double rp = 0, rwp = 0, rexp = 0, chi2 = 0;  // fractions; χ² reduced
    std::optional<double> rBragg;                // this phase's
    // How the refinement ended and what it says of its values (held, on a bound, negative B).
    std::vector<std::string> notes;
};

// The CIF text of `model` (space group applied) as data block `blockName`: every operator of the
// group as _space_group_symop_operation_xyz, the group's Hermann-Mauguin symbol, site labels from site_labels, B_iso_or_equiv for every site and a U_ij loop for the atoms
// with a tensor; with `figures` the profile R factors, the goodness of fit √χ² and R_Bragg.
std::string refined_cif_text(const StructureModel& model, const std::string& blockName,
                             const StructureUncertainties& su, const std::optional<RefinementFigures>& figures);

// x, y, z of one operator as CIF writes them: "-x+y,-y,-z+1/2".
std::string operator_xyz(const SymmetryOperator& op);

}  // namespace kalidos
