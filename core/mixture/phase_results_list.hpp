// The results list's lines of a mixture: which phase the lines above belong to, then each extra
// phase's own reflections in the columns of the list.
#pragma once

#include <string>
#include <vector>

#include "mixture/mixture_phase.hpp"
#include "mixture/phase_list_text.hpp"
#include "model/structure_model.hpp"

namespace kalidos {

// A blank line, "Phase 1: <name>  w = ... (the lines above)", then per extra phase "Phase N: ..."
// and its lines: number, h k l, d, θ or 2θ (or Q = 2π/d), the intensity scaled so that the phase's
// strongest is 100, and λ. Empty for fewer than two phases.
std::vector<std::string> phase_result_lines(const std::vector<MixturePhase>& phases,
                                            const std::vector<PhaseListItem>& items, AbscissaMode mode);

}  // namespace kalidos
