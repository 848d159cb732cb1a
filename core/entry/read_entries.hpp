// Reading the main window's entries into the model, with the checks of each typed number.
#pragma once

#include "entry/entry_form.hpp"
#include "model/workspace.hpp"
#include "ui/messages.hpp"

namespace kalidos {

struct EntryReadResult {
    bool complete = false;  // every step ran
    int refocusField = 0;   // the field (numbered as focusedField) that must get the focus back
};

// Reads the form into the model in the program's order: the focused field checked, the cell with
// its system constraints, the title, the atom rows, the element scattering data with the f' and
// f'' typed into the anomalous grid, the wavelength, the limits and U, V, W. A refusal stops the
// read with its message; what was stored before stays. The caller clears the results first.
EntryReadResult read_entries(Workspace& workspace, EntryForm& form, Messages& messages);

// The limits of the form read in the workspace's unit at the model's wavelengths; a Q limit with
// no angle is refused ("Typing error!"). Nothing is read while no wavelength is known.
EntryReadResult read_limits(Workspace& workspace, const EntryForm& form, Messages& messages);

}  // namespace kalidos
