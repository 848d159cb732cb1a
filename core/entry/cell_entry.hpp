// The cell edits and the crystal system: the constraints of each system and the refresh of the edits.
#pragma once

#include <string>

#include "entry/entry_form.hpp"
#include "model/structure_model.hpp"

namespace kalidos {

// Row of the system list for a crystal-system code ("CUBI" 0 ... "TRIC" 6); -1 for any other.
int system_index(const std::string& code);

// Applies the system selected in the form: sets crystalSystem, writes the constrained values
// into the cell texts and greys and locks their edits. No selection: only unlocks every edit.
void apply_system(EntryForm& form, StructureModel& model);

// Writes cell, range, title and system from the model into the form; the constrained edits are
// greyed but stay editable.
void show_cell(EntryForm& form, const StructureModel& model, AbscissaMode mode);

}  // namespace kalidos
