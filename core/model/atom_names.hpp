// Names that tell the atoms of a structure apart: in bonds, refined parameters and refined CIFs.
#pragma once

#include <string>
#include <vector>

#include "model/structure_model.hpp"

namespace kalidos {

// `bases[n - 1]` is atom n's name by a caller's own rule ("O1" from the element and the two
// characters of atomLabel). When no two atoms share one, the names are the bases. Otherwise each
// atom takes its site label as the file gives it ("Oa1", "Ob1", "Wat29") where no other atom has
// that label, so that one structure's atoms are named alike; of the rest the first of a base keeps
// it and the others get `separator` and their row after it ("O1#3").
std::vector<std::string> unique_atom_names(const std::vector<std::string>& bases, const StructureModel& model,
                                           const std::string& separator);

}  // namespace kalidos
