// Completing a list of representative operators: inversion images and lattice centring.
#pragma once

#include <string>

#include "model/structure_model.hpp"

namespace kalidos {

// Operators N+1..2N := operators 1..N with negated rotations, same translations; the
// count doubles and the group is marked centrosymmetric. False (table untouched) when 2N
// would exceed the table.
bool complete_by_inversion(StructureModel& model);

// Sets centringCount and centringVectors from latticeLetter (R only in "HEXA") and appends
// one translated copy of operators 1..N per vector; components above 1 are reduced by 1.
// False (table untouched) when N × (1 + vectors) would exceed the table.
bool add_centring_translations(StructureModel& model);

}  // namespace kalidos
