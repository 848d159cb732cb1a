// The extinction symbol (International Tables A, 3.1.3) an indexed cell's lines suggest: its
// lattice letter, then for each symmetry direction of its system the glide plane and screw axis whose
// reflection conditions the lines allow, a dash where none shows.
#pragma once

#include <string>

#include "indexing/cell_fit.hpp"

namespace kalidos {

// A condition of a zone or row is proposed when no indexed line needs a reflection it removes, some
// reflection it removes is missing from the list, and some line is indexed by reflections of that
// zone or row only (so the zone is seen at all). Conditions implied by others are not written.
std::string extinction_symbol(const CellFit& fit, const IndexingLines& lines, double tolerance);

}  // namespace kalidos
