// The profile terms of a calculation: where each merged reflection's peak lies and how wide it is.
#pragma once

#include <vector>

#include "computation/pattern_grid.hpp"
#include "model/workspace.hpp"

namespace kalidos {

// One term per merged reflection, in their order: position 2θ, half width
// H = √(U·tan²θ + V·tan θ + W) (tan θ rounded to 32 bits, as the picture has always computed it),
// η = 0.5, height 0.1·intensity. Reflections whose width is not positive are left out (the run that
// made them was refused).
std::vector<ProfileTerm> profile_terms(const Workspace& workspace);

}  // namespace kalidos
