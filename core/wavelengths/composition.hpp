// The "Multiple wavelengths" dialog's logic: up to four wavelengths with intensities.
#pragma once

#include <array>
#include <string>

#include "model/workspace.hpp"
#include "ui/messages.hpp"

namespace kalidos {

inline constexpr int kCompositionRows = 4;

// The texts of the dialog's edits: wavelength[r] is Edit(r+1), intensity[r] is Edit(r+5).
struct CompositionForm {
    std::array<std::string, kCompositionRows> wavelength;
    std::array<std::string, kCompositionRows> intensity;
};

// One item of the dialog's anode list (ListBox1) and the texts it writes.
struct CompositionLine {
    const char* item;    // "MoK" ...
    const char* anode;   // "Mo" ...
    const char* lambda1; // Kα1, Å
    const char* lambda2; // Kα2, Å
    const char* lambda3; // Kβ, Å
};

inline constexpr int kCompositionLines = 5;
const std::array<CompositionLine, kCompositionLines>& composition_line_table();

// Intensities written with the three lines of an anode.
inline constexpr const char* kCompositionIntensities[3] = {"100", "50", "10"};

// set_lambda of the dialog (item 0-based): `anodeSymbol`, rows 1-3 from the line table with
// intensities 100, 50, 10; row 4 is left as it is. An index outside the list does nothing.
void fill_composition_from_anode(CompositionForm& form, StructureModel& model, int item);

// What the dialog does after OK or λ/2, λ/3.
struct CompositionOutcome {
    bool accepted = false;   // OK only: the set was built; hide the dialog and run show_range
    std::string focusEdit;   // object name of the edit to focus after a refusal ("Edit3"), or empty
};

// BitBtn3Click: with Edit1 not empty, edits 2-8 are emptied and Edit2, Edit3 get λ1/2 and λ1/3
// (width 8, 5 decimals). An unreadable λ1: "Read error", focus Edit1.
CompositionOutcome apply_harmonics(CompositionForm& form, Messages& messages);

// lit_composition: reads the rows in order, drops rows of intensity 0 (emptying their edits),
// divides the weights by their sum, sorts the pairs by wavelength and, when at least one row is
// left, replaces the WavelengthSet, zeroes f' and f'', sets the Q limits, `typedWavelength` (the
// shortest) and rewrites the anomalous grid. Refusals ("Type error", "No percent on wavelength #n",
// "No Wavelength!") leave the model unchanged and name the edit to focus.
CompositionOutcome lit_composition(CompositionForm& form, Workspace& workspace, Messages& messages);

}  // namespace kalidos
