// The atom rows: reading them into the model, showing the model in both grids, checking a row
// when the user leaves it, inserting a row.
#pragma once

#include <optional>

#include "entry/entry_form.hpp"
#include "model/structure_model.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// The grid of the radiation in use: StringGrid1 for X-rays, StringGrid4 for neutrons.
AtomGrid& radiation_grid(EntryForm& form, int radiation);

// Reads the non-blank rows of the radiation's grid into the atom table. A cell that does not
// convert ("Type error at row r colon c") or a 21st distinct element stops the read with a
// message; the atoms read before stay. Then the grid is rewritten from the table.
bool read_atom_rows(EntryForm& form, StructureModel& model, Messages& messages);

// The B cell of `row` was edited while it carries a tensor: the user is asked whether the atom
// becomes isotropic with the B typed (Yes), or keeps its tensor and the B_eq shown before.
void settle_edited_tensor(AtomGrid& grid, int row, Messages& messages);

// Writes the atom table into both grids with the Fermi length of each atom's nucleus; an atom
// whose nucleus is unknown is reported and ends the display there.
void show_atoms(EntryForm& form, StructureModel& model, Messages& messages);

enum class RowCheck {
    Stop,           // the row was refused; nothing more to do
    ReadAndRebuild  // read the entries, then rebuild the element table
};

// The user moves from (leftRow, leftColumn) to enteredRow of the radiation's grid: the row left
// is completed and checked, and copied into the other radiation's grid.
RowCheck check_atom_row(EntryForm& form, int radiation, int leftRow, int leftColumn, int enteredRow,
                        Messages& messages);

// Moves the rows from the last atom down to the insertion row one row down in the X-ray grid and
// empties the insertion row. A full grid refuses with a beep.
void insert_atom_row(EntryForm& form, int atomCount, Messages& messages);

// The Fermi length (10⁻¹² cm) of the nucleus named by the first two characters of a symbol;
// nothing when the nucleus table does not know it.
std::optional<double> nucleus_fermi_length(const std::string& symbol);

}  // namespace kalidos
