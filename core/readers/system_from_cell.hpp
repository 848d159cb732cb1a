// The crystal system guessed from the six cell values.
#pragma once

#include "model/structure_model.hpp"

#include <string>

namespace kalidos
{

// "CUBI", "QUAD", "ORTH", "HEXA", "RHOM", "MONO" or "TRIC"; empty when the cell fits none of the
// rules (a ≠ b = c with right angles), in which case the caller keeps its system.
std::string crystal_system_of_cell(const CellParameters& cell);

// Sets `crystalSystem` from the cell (as crystal_system_code stores it), or leaves it unchanged.
void system_from_cell(StructureModel& model);

} // namespace kalidos
