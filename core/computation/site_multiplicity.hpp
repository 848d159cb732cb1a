// Site multiplicities: how many distinct positions of the cell each atom of the asymmetric unit fills.
#pragma once

#include <vector>

#include "model/results.hpp"
#include "model/structure_model.hpp"

namespace kalidos {

// Fills atomMultiplicity (distinct images times population, the largest scaled to 1) and the
// structure-factor scale K = M / operatorCount (M the largest before scaling; halved when
// inversionAdded). Images are compared as positions in the crystal: 0.9999999 and 0 are one site.
// With no operator or no populated atom there is nothing to scale: multiplicities and K stay 0.
void compute_site_multiplicities(StructureModel& model, CalculationResults& results);

// What turns the calculation's intensities into m |F|² LP per cell: 4 when inversionAdded, 1
// otherwise. The standard settings give a centrosymmetric group's operators with their inversion
// images already in the table, yet K is halved for them as for a table of representatives: F and
// the listed intensities of that path are halves and quarters of those per cell.
double per_cell_intensity_factor(const StructureModel& model);

// Distinct images of the point (x, y, z) under the operator table (and their inversions when
// inversionAdded), modulo whole cell translations, counted as whole orbits: a site within 0.001
// along each axis of a special position takes its multiplicity (site_multiplicity).
int distinct_image_count(const StructureModel& model, double x, double y, double z);

// The operators of the table, each followed by its inversion when inversionAdded: the whole group.
std::vector<SymmetryOperator> applied_operators(const StructureModel& model);

}  // namespace kalidos
