// The conventional cells of higher symmetry that a lattice's metric allows (monoclinic to cubic,
// with their centrings), found as bases of short lattice vectors in which the metric has the
// right angles, the equal edges and the 120° of the system.
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
// their angles (and edges within as much of their length), one per system and unique axis: the
// one of fewest lattice points, then of the shortest edges.
std::vector<ConventionalSetting> conventional_settings(const UnitCell& reduced, double angleTolerance);

}  // namespace kalidos
