// The conventional cells of higher symmetry that a lattice's metric allows: the monoclinic and
// orthorhombic cells (with their centrings) whose edges are sums of at most one of each reduced
// edge, found as bases in which the metric has the zeros of the system.
#pragma once

#include <vector>

#include "indexing/quadratic_form.hpp"

namespace kalidos {

struct ConventionalSetting {
    LatticeSystem system = LatticeSystem::Triclinic;
    char centring = 'P';
    UnitCell cell;
};

// The settings of the lattice of the Niggli cell `reduced` within `angleTolerance` (degrees) of
// their right angles, one per system, centring and unique axis (the shortest such cell).
std::vector<ConventionalSetting> conventional_settings(const UnitCell& reduced, double angleTolerance);

}  // namespace kalidos
