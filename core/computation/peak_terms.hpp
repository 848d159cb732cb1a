// The profile terms of a calculation: where each merged reflection's peak lies and how wide it is.
#pragma once

#include <span>
#include <vector>

#include "computation/pattern_grid.hpp"
#include "model/workspace.hpp"

namespace kalidos {

// The terms of the merged reflections, in their order, as peak_shape gives them (with the default
// settings: position 2θ, half width H = √(U·tan²θ + V·tan θ + W), η = 0.5, height 0.1·intensity);
// with axial divergence each peak becomes its FCJ copies, and with a transparent specimen these spread
// along its tail towards low angles. The specimen's and the beam's factors (absorption, roughness,
// overspill) scale each peak at its Bragg angle. Reflections whose width is refused are left
// out (the run that made them was refused).
std::vector<ProfileTerm> profile_terms(const Workspace& workspace);

// The same for any reflections drawn with the profile settings of `model`.
std::vector<ProfileTerm> profile_terms_of(const StructureModel& model, std::span<const Reflection> reflections);

// Appends one reflection's terms (`copies` is scratch space); false, appending nothing, when its
// width is refused.
bool append_profile_terms(const StructureModel& model, const Reflection& reflection,
                          std::vector<ProfileTerm>& terms, std::vector<ProfileTerm>& copies);

}  // namespace kalidos
