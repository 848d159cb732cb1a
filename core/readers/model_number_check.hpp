// The last check of a structure read from a file: every number finite and in its range.
#pragma once

#include <string>

#include "model/structure_model.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// False, with a message naming the item and where it comes from (`where`: "in nacl.cif"), when
// a cell parameter or an atom's coordinate, B or population is not finite or out of its range:
// lengths in [0, 1e6] Å, angles in [0, 180) degrees (0 is a value not given yet, refused when a
// calculation starts), coordinates, B and populations within ±1e6. Arithmetic on such a number
// (a CIF quotient 1e300/1e-300, a ShelX population 1e300 from a free variable) would give
// infinities and NaN intensities; likewise a cell whose angles no lattice has (impossible_cell_message).
// The atoms before the first bad one are kept; a bad cell leaves no atom.
bool check_model_numbers(StructureModel& model, const std::string& where, Messages& messages);

}  // namespace kalidos
