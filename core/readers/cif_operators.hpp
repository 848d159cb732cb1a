// The symmetry of a CIF block: its listed operators and its space-group name.
#pragma once

#include "model/structure_model.hpp"
#include "readers/cif_syntax.hpp"
#include "ui/messages.hpp"

#include <string>
#include <string_view>

namespace kalidos
{

// An operator value as the table keeps its text: numbering dropped ("1 x, y, z"), quotes and
// blanks removed, upper case: "X,Y,Z".
std::string normalise_cif_operator(std::string_view value);

// Replaces the operator table with the operators of the first operator loop (old or new tag
// name); an empty table when the block lists none. False after a message when an operator cannot
// be decoded or there are more than 192.
bool read_cif_operators(StructureModel& model, const CifBlockData& block, Messages& messages);

// The block's group name: its first Hermann-Mauguin name (old or new tag), or else its first Hall
// name. 'P 21/c' gives P21/C, '-P 2ybc' gives -P 2YBC; at most 12 characters. Hermann-Mauguin comes
// first because the calculation takes the lattice letter from the name's first character.
std::string cif_group_name(const CifBlockData& block);

} // namespace kalidos
