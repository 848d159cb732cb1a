// Test structures: operator tables laid out as the program holds them, taken from gemmi.
#pragma once

#include <gemmi/symmetry.hpp>

#include <string>

#include "model/structure_model.hpp"

namespace kalidos::testing {

// The program's crystal-system code of a gemmi setting (R groups in rhombohedral axes: "RHOM").
std::string system_code(const gemmi::SpaceGroup& group);

// Fills the operator table: the representative operators, then the copies of all of them for
// each centring vector in turn (translations wrapped into [0, 1)), the symbol (at most 12
// characters), latticeLetter, crystalSystem, centrosymmetric and centringCount.
void set_space_group(StructureModel& model, const gemmi::SpaceGroup& group);
void set_space_group(StructureModel& model, const std::string& name);

// A cell with the metric the setting needs, its free parameters all different.
void set_generic_cell(StructureModel& model, const gemmi::SpaceGroup& group);

void set_cell(StructureModel& model, double a, double b, double c, double alpha, double beta, double gamma);

}  // namespace kalidos::testing
