// One wavelength pass: reflections, Lorentz-polarisation factors, structure factors, intensities.
#pragma once

#include "computation/listing_files.hpp"
#include "computation/structure_factor_engine.hpp"
#include "model/workspace.hpp"
#include "ui/messages.hpp"

namespace kalidos {

inline constexpr const char* kNoReflection = "No reflection calculated in the given Theta range!";

// X-rays (tube or synchrotron) for the wavelength `current` and pass `results.passIndex`:
// generates the reflection list, gives each reflection its 2θ, LP, A±, B±, F± and intensity (with
// its preferred-orientation factor)
// (at least 0.05), writes the sections of both listings (and the header of fstr.out on the first
// pass). False when generation failed ("No reflection calculated in the given Theta range!").
bool xray_pass(Workspace& workspace, ListingFiles& files, StructureFactorEngine& engine, Messages& messages);

// Neutrons: the same with Fermi lengths; the intensities leave the pass multiplied by the
// run's factor G, fixed on the first pass.
bool neutron_pass(Workspace& workspace, ListingFiles& files, StructureFactorEngine& engine, Messages& messages);

// The Lorentz-polarisation factor at the Bragg angle θ (radians) for the model's radiation and source
// (a tube's with its monochromator when the profile settings name one).
double lorentz_polarisation(const StructureModel& model, double theta);

// G = 1000 / (S²·operatorCount³), times 4 when inversionAdded, S = Σ atomMultiplicity·Fermi length.
// A null-scattering composition (S = 0, as Ti-Zr alloys are made) uses S = Σ |atomMultiplicity·b|
// instead, and G = 1 when every length is 0, so that no intensity becomes infinite.
double neutron_intensity_factor(const StructureModel& model);

}  // namespace kalidos
