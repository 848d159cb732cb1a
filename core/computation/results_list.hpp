// The lines of the main window's results list: one per merged reflection, or per summed peak in Q.
#pragma once

#include "model/workspace.hpp"

namespace kalidos {

// Rebuilds results.resultsList for the abscissa mode: the column header, a rule, the line
// "K=" with the scale that brings the strongest to 100, then one line per merged record (θ, 2θ:
// angle halved in θ) or per PeakTable entry (Q).
void fill_results_list(Workspace& workspace);

}  // namespace kalidos
