// The model as the master copy: what reading the main window's entries does to it, without grids.
#pragma once

#include "model/structure_model.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// The window rebuilds the model from its grids before every calculation; a headless run has
// no grids, so the model itself is brought into the state that reading them gives:
// symbols trimmed, cut to 4 characters and in upper case; coordinates reduced by their
// integer part towards zero; for neutrons the Fermi length of each atom's nucleus; the element table
// rebuilt; each element's X-ray coefficients looked up, f' and f'' kept as read.
// Unlike the grids (99 rows, 5 decimals), all 400 atoms pass at full precision.
// False, with the program's message, when an element is refused or, for the radiation in
// use, has no scattering data (an X-ray element not in the table, a nucleus not in the
// neutron table): a calculation would silently drop or misuse it.
bool prepare_model_entries(StructureModel& model, Messages& messages);

}  // namespace kalidos
