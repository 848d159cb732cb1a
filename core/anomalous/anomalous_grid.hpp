// The anomalous-dispersion grid's text: f' and f'' per element and wavelength, as the window shows them.
#pragma once

#include <string>

#include "model/structure_model.hpp"
#include "model/text_grid.hpp"
#include "model/workspace.hpp"

namespace kalidos {

// Row 0: each wavelength over its two columns; row 1: "Elem.", "f '", "f \""; row e+1: element e.
inline constexpr const char* kElementHeader = "Elem.";
inline constexpr const char* kFPrimeHeader = "f '";
inline constexpr const char* kFSecondHeader = "f \"";

// 5 columns, or 2·count + 1 when the set holds three or more wavelengths.
int anomalous_grid_columns(const WavelengthSet& set);

// 15 rows, more when the element table needs them: every element keeps a row, so that the
// read-back never loses the values of the elements past the thirteenth.
int anomalous_grid_rows(const StructureModel& model);

// An element as the grid's first column shows it: the symbol with every letter after the first in
// lower case ("FE" -> "Fe", "FE3+" -> "Fe3+").
std::string grid_element_symbol(const std::string& elementSymbol);

// show_anomalous: sizes the grid, empties it and writes the headers, the element symbols and
// f', f'' of the wavelengths 1..min(count, 4) (wavelength width 7.4, values width 6.3).
void show_anomalous(const StructureModel& model, TextGrid& grid);
void show_anomalous(Workspace& workspace);

// clear_anomalous_grid: empties every cell, headers included, then writes the element symbols
// into column 0 from row 2. The grid keeps its column count.
void clear_anomalous_grid(const StructureModel& model, TextGrid& grid);
void clear_anomalous_grid(Workspace& workspace);

// Every f' and f'' of the set in use := 0, then show_anomalous: the anomalous part of
// reset_spectre_res, rase_dif_ano and the space-group button. The caller clears the results.
void erase_anomalous_factors(Workspace& workspace);

}  // namespace kalidos
