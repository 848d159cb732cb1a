// Reading one CIF data block into the model: title, cell, operators, group name and atom sites.
#pragma once

#include "model/structure_model.hpp"
#include "readers/reader_status.hpp"
#include "readers/reader_text.hpp"
#include "ui/messages.hpp"

namespace kalidos
{

inline constexpr int kMaxCifAtomSiteColumns = 64;

// Replaces the operator table with the block's operators (none when it lists none) and sets
// `spaceGroupSymbol` from its group name. Fails with a message when the cell lengths, both the
// operators and the name, or the atom sites are missing, when an operator cannot be decoded, and
// beyond 400 atoms (the atoms read so far staying).
ReadStatus read_cif_block(StructureModel& model, const LineViews& blockLines, Messages& messages);
ReadStatus read_cif_block(StructureModel& model, const TextLines& blockLines, Messages& messages);

} // namespace kalidos
