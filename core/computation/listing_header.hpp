// The headers of the listings: structure, symmetry and scattering data, written on the first pass.
#pragma once

#include <ostream>
#include <string>

#include "model/workspace.hpp"

namespace kalidos {

// fstr2.out: source, date, cell, first wavelength, group and operators, centring translations,
// the asymmetric unit with its multiplicities (computed before), and for X-rays the scattering
// factors at s = 0 and the four-Gaussian coefficients of every element.
void write_detailed_header(const Workspace& workspace, std::ostream& out);

// fstr.out: source, date, title, cell, group, system, the lattice letter left by reflection
// generation, the range and the asymmetric unit.
void write_short_header(const Workspace& workspace, std::ostream& out);

// The date and time line of both listings.
std::string listing_date(const Workspace& workspace);

// An element symbol as the listings print it: as stored, in a 4-character column.
std::string listed_element(const std::string& symbol);

}  // namespace kalidos
