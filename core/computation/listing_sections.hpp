// The per-wavelength sections of the listings: intensities, structure factors, scattering factors.
#pragma once

#include <ostream>

#include "model/workspace.hpp"

namespace kalidos {

// X-ray pass of wavelength `current`: the reflections and pass values of workspace.results.
// `listingFactor` is 100/Imax, by which the listed intensities are multiplied.
void write_xray_sections(const Workspace& workspace, double listingFactor, std::ostream& detailed,
                         std::ostream& brief);

// Neutron pass: the record intensities are listed as they are (already multiplied by G). On the
// first pass fstr2.out opens with G and 1000/(G·Imax).
void write_neutron_sections(const Workspace& workspace, bool firstPass, double imax, std::ostream& detailed,
                            std::ostream& brief);

}  // namespace kalidos
