// Names that tell the atoms of a structure apart: in bonds, refined parameters and refined CIFs.
#pragma once

#include <string>
#include <vector>

#include "model/structure_model.hpp"

namespace kalidos {

// `bases[n - 1]` is atom n's name by a caller's own rule ("O1" from the element and the two
// characters of atomLabel). A name that no other atom shares stays. Of atoms that share one, each
// takes its site label as the file gives it ("Oa1", "Ob1") when that names no other atom; of the
// rest the first keeps the name and the others get `separator` and their row after it ("O1#3").
std::vector<std::string> unique_atom_names(const std::vector<std::string>& bases, const StructureModel& model,
                                           const std::string& separator);

}  // namespace kalidos
