// How many positions of the cell one site fills: the orbit of its special position.
#pragma once

#include <vector>

#include "model/structure_model.hpp"

namespace kalidos {

// Distinct positions of the site (x, y, z) under `operators` modulo whole cell translations,
// counted as whole orbits. An operator leaves the site in place when its fixed points (modulo
// the lattice) pass within `tolerance` of the site along each axis; those operators are closed
// under products and the site is moved onto their common fixed point, where the search is made
// again (exactly) until the group stops growing. The images of that point are then counted. A
// site within `tolerance` of a special position thus takes that position's multiplicity (or that
// of a still more special one near it), and the count is always the multiplicity of one of the
// group's Wyckoff positions, never a chain of near images.
int site_multiplicity(const std::vector<SymmetryOperator>& operators, double x, double y, double z,
                      double tolerance);

// The operators that leave the site in place, found as site_multiplicity finds them (the site moved
// onto the special position it lies within `tolerance` of), closed under products: the site's
// symmetry group, whose rotations constrain how the site and its displacement tensor may change.
std::vector<SymmetryOperator> site_stabiliser(const std::vector<SymmetryOperator>& operators, double x, double y,
                                              double z, double tolerance);

}  // namespace kalidos
