// A phase's extracted intensities written out: as a SHELX HKLF 4 reflection file, and as the
// refined phase's CIF with a _refln loop.
#pragma once

#include <string>

#include "refinement/refinement.hpp"
#include "refinement_output/refined_cif.hpp"

namespace kalidos {

// HKLF 4 (3I4, 2F8.2): h k l, |F|² and its su per reflection of the phase (RefinedPhase::reflections,
// in order), then the 0 0 0 line that ends the list. The |F|² are scaled together so that the largest
// is 9999.99 (the format's width holds no more than 99999.99 and a structure solution needs only
// their ratios); the scale is returned in `scale` when given.
std::string hklf4_text(const RefinedPhase& phase, double* scale = nullptr);

// The refined phase's CIF (refined_cif_text) followed by the wavelength and a _refln loop: h k l,
// d (Å), 2θ at the first wavelength, |F|² with its su, and the atoms' |F|² on the same scale when
// the phase has atoms; the reflections of exactly the same d (sharing their intensity) marked.
std::string refln_cif_text(const RefinedPhase& phase, const std::string& blockName, const StructureUncertainties& su,
                           const RefinementFigures& figures);

}  // namespace kalidos
