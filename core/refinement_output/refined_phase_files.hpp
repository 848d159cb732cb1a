// What the batch runner and the refinement window both take from a refined phase to write its CIF.
#pragma once

#include <cstddef>
#include <string>

#include "refinement/refinement.hpp"
#include "refinement_output/refined_cif.hpp"

namespace kalidos {

// The su of the phase's cell and atoms, in the order of its refined model; the atoms' are left out
// when they cannot be matched to the model's rows.
StructureUncertainties refined_phase_uncertainties(const RefinedPhase& phase);

// The figures of the refinement for phase p's CIF, with its outcome and notes.
RefinementFigures refined_phase_figures(const RefinementResult& result, std::size_t p);

// The CIF of phase p (0-based) of `count`: `chosen` itself for one phase, else "<stem>_<p+1><ext>".
std::string refined_phase_file_name(const std::string& chosen, std::size_t p, std::size_t count);

}  // namespace kalidos
