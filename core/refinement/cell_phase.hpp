// A phase known only by its cell and space group (a cell from indexing, an impurity whose structure
// is unknown), and the short Le Bail fit that tells how well such a cell explains a diagram.
#pragma once

#include <filesystem>
#include <string>

#include "model/measured_diagram.hpp"
#include "model/structure_model.hpp"
#include "refinement/refinement.hpp"

namespace kalidos {

// `out` becomes a structure without atoms for a Le Bail or Pawley phase: the radiation, wavelengths,
// polarisation, profile, zero, displacement and range of `instrument` (any model whose wavelengths
// are set: a calculated structure's, or a StructureModel readied by hand), the cell `cell`, and the
// group `group` ("P 1" when empty; a Hermann–Mauguin or Hall symbol the catalogue, the standard
// lists or the interpreter know, its crystal system found from the lists). dataDirectory holds the
// program's symmetry files. Empty text, or why the group or the cell is refused.
std::string cell_only_phase(const StructureModel& instrument, const CellParameters& cell, const std::string& group,
                            const std::filesystem::path& dataDirectory, StructureModel& out);

// A short Le Bail fit of one cell to a measured diagram: scale and background, then zero and cell,
// then the profile widths, a few cycles each, between `low` and `high` degrees 2θ (0 and 0: the
// scan's range).
struct LeBailCellFit {
    std::string why;    // empty when the fit ran
    double rwp = 0;     // of the last stage
    double chi2 = 0;
    CellParameters cell;  // refined (a, b, c, α, β, γ and volume)
    double zero = 0;      // degrees 2θ
};
LeBailCellFit le_bail_cell_fit(const MeasuredScan& observed, const StructureModel& instrument,
                              const CellParameters& cell, const std::string& group,
                              const std::filesystem::path& dataDirectory, double low = 0, double high = 0);

}  // namespace kalidos
