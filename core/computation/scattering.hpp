// Atomic scattering: the X-ray coefficient and neutron Fermi-length tables and their look-ups.
#pragma once

#include <array>
#include <string>

#include "model/structure_model.hpp"
#include "model/text_grid.hpp"
#include "ui/messages.hpp"

namespace kalidos {

inline constexpr int kXrayTableRows = 213;
inline constexpr int kNeutronTableRows = 102;

// Four-Gaussian coefficients of f0, International Tables Vol. C, Table 6.1.1.4.
struct XrayScatteringRow {
    const char* symbol;
    double a1, a2, a3, a4, c, b1, b2, b3, b4;
};

struct NeutronScatteringRow {
    const char* name;
    double fermiLength;  // 10⁻¹² cm
};

const std::array<XrayScatteringRow, kXrayTableRows>& xray_scattering_table();
const std::array<NeutronScatteringRow, kNeutronTableRows>& neutron_scattering_table();

// The 1-based row whose symbol, upper-cased and trimmed, equals `key` exactly; 0 when none does.
int find_xray_row(const std::string& key);

// The 1-based neutron row of an atom symbol (key: its element part, nucleus_key).
// When absent: beep, "Nucleus <key> not found!", and 0.
int find_nucleus(const std::string& atomSymbol, Messages& messages);

// Rebuilds the element table from the atom table (key: the symbol's X-ray key, xray_key, in order
// of first appearance, so that O2- and O2-. are one element listed as the row used) and sets every atomElementIndex. A 21st distinct element is
// refused with a message; the table then holds the first 20 and the result is false.
bool rebuild_element_table(StructureModel& model, Messages& messages);

// Gives every element its X-ray coefficients and, for the wavelengths 1..min(count, 4), f' and f''
// read from the anomalous grid's cells (row e+1, columns 2w-1 and 2w; an empty or unreadable cell
// gives 0). With no grid, f' and f'' keep the model's values. An element missing from the table:
// beep, "Element <symbol> not found!", and the remaining elements are not processed.
void load_element_scattering_data(StructureModel& model, const TextGrid* anomalousGrid, Messages& messages);

struct ScatteringFactor {
    double f;        // f0 + f'
    double fSecond;  // f''
};

// f at s = sin θ/λ (Å⁻¹) for element e, with f' and f'' of wavelength pass `pass` (1-based;
// 0 or beyond the fourth wavelength gives f' = f'' = 0).
ScatteringFactor atom_scattering_factor(const StructureModel& model, int element, int pass, double s);

}  // namespace kalidos
