// The symmetry of a CIF block: its listed operators and its space-group name.
#pragma once

#include <string>

#include "model/structure_model.hpp"
#include "readers/cif_syntax.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// An operator value as the table keeps its text: numbering dropped ("1 x, y, z"), quotes and
// blanks removed, upper case: "X,Y,Z".
std::string normalise_cif_operator(const std::string& value);

// Replaces the operator table with the operators of the first operator loop (old or new tag
// name); an empty table when the block lists none. False after a message when an operator cannot
// be decoded or there are more than 192.
bool read_cif_operators(StructureModel& model, const CifBlockData& block, Messages& messages);

// The first group name of the block, Hermann-Mauguin (old or new tag) or Hall, whichever the file
// gives first: 'P 21/c' gives P21/C, '-P 2ybc' gives -P 2YBC; at most 12 characters.
std::string cif_group_name(const CifBlockData& block);

}  // namespace kalidos
