// A cell found by indexing as a structure: its cell and a space group (P 1 unless one is chosen),
// without atoms, ready for a whole-pattern fit that takes the intensities from the diagram.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "indexing/cell_indexing.hpp"
#include "model/results.hpp"
#include "model/structure_model.hpp"
#include "ui/messages.hpp"

namespace kalidos {

inline constexpr const char* kIndexedCellGroup = "P 1";

// The program's code of a found cell's system ("CUBI" ... "TRIC"; "RHOM" for R in hexagonal axes).
std::string system_code(const FoundCell& cell);

// The structure of `cell` titled `title`, with the group `group` (Hermann–Mauguin or Hall, one of
// the cell's system; P 1 is always accepted), its scratch files in memory and no atom. False, told
// through `messages`, when the group is unknown for the system.
bool structure_of_cell(const FoundCell& cell, const std::string& group, const std::string& title,
                       const std::filesystem::path& dataDirectory, StructureModel& structure, Messages& messages);

// The reflections the structure's lattice and group allow between 2θ `low` and `high` at one
// wavelength, one per form, of intensity 0 (no atom scatters yet). Empty, told, when there are
// none or too many.
std::vector<Reflection> cell_reflections(StructureModel structure, double wavelength, double low, double high,
                                         Messages& messages);

}  // namespace kalidos
