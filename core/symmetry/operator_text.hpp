// The text forms of operators: one row (" X+1/2"), one operator (" X+1/2,-Y, Z"), the grid.
#pragma once

#include <string>

#include "model/structure_model.hpp"
#include "model/text_grid.hpp"
#include "symmetry/operator_row.hpp"

namespace kalidos {

// " X", " Y", " Z", "-X", "-Y", "-Z", " X-Y", " Y-X" (empty for any other row), followed by
// the translation as "+1/2", "+1/3", "+2/3", "+1/4", "+3/4", "+1/6", "+5/6".
std::string format_operator_row(const OperatorRow& row);

// operatorTexts[i] := the three row texts in upper case joined by "," (at most 24 characters).
void build_operator_texts(StructureModel& model);

// The equivalent-positions grid: header "Nb", "a", "b", "c", then one row per operator with
// its number and its three row texts in upper case.
TextGrid equivalent_positions_grid(const StructureModel& model);

}  // namespace kalidos
