// What one unit cell holds: formula units, formula mass and volume, the factors of Hill and Howard's
// weight fractions.
#pragma once

#include <string>

#include "model/structure_model.hpp"

namespace kalidos {

struct CellContent {
    int z = 1;                // formula units per cell
    double formulaMass = 0;   // g/mol of one formula unit
    double volume = 0;        // Å³
    std::string formula;      // e.g. "Ca F2", elements in the order the atoms list them

    double cell_mass() const { return z * formulaMass; }
    // Z·M·V, to which a phase's scale factor is inversely proportional at a given weight fraction.
    double zmv() const { return cell_mass() * volume; }
};

// The content of the cell of `model` (space group applied): each atom counts its site multiplicity
// times its population, weighed with its element's standard atomic mass. Z is the largest number
// dividing every element's count in the cell when those counts are whole numbers (within 0.01),
// else 1 and the formula is the cell's content. The volume is cell_volume's with the exact degree.
// False (content left empty) when an atom's element is unknown or the cell has no atom.
bool cell_content(const StructureModel& model, CellContent& content, std::string& unknownSymbol);

}  // namespace kalidos
