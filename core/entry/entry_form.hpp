// The single-value edits and atom grids of the main window, as the data entry reads and writes them.
#pragma once

#include <array>
#include <string>

#include "entry/atom_grid.hpp"

namespace kalidos {

// How a cell edit looks after the crystal system has been applied.
struct CellEditLook {
    bool grey = false;    // silver background
    bool locked = false;  // read-only
};

// The window copies its controls into this form, the data entry works on it, the window shows it back.
struct EntryForm {
    std::array<std::string, 6> cell;    // a, b, c, alpha, beta, gamma (Edit2..Edit6, edit7)
    std::array<CellEditLook, 6> cellLook;
    int systemIndex = -1;               // selected row of the system list, -1 for none
    std::string title;                  // Edit29
    std::string lambda;                 // Edit11
    std::string lower, upper;           // Edit14, Edit17
    std::string u, v, w;                // Edit19, Edit21, Edit25
    AtomGrid xray{kXrayGridColumns};    // StringGrid1
    AtomGrid neutron{kNeutronGridColumns};  // StringGrid4
    int insertionRow = 1;               // row last entered in an atom grid
};

// The text of single-value field n as numbered by focusedField: 1..6 cell, 7 lambda, 8 lower
// limit, 9 upper limit, 10..12 U, V, W; nullptr for 0 or any other number.
std::string* field_text(EntryForm& form, int field);

}  // namespace kalidos
