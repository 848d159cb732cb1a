// What keeps a refinement in the physical region: steps that move no peak by more than about its
// width, parameters the data cannot determine held, pairs the data cannot tell apart tied, and the
// values that end on a bound or out of the usual range named.
#pragma once

#include <string>
#include <vector>

#include "refinement/refinement_result.hpp"

namespace kalidos {

// Limits each cell parameter's shift per cycle so that no line in the range moves by more than
// about its width, from the profile as it stands.
void limit_peak_moves(RefinementSession& session);

// Of the stage's released rows, the cell, size and strain of a phase whose diagram cannot locate
// its lines (or measure its widths) to a fifth of their width, by counting statistics at the
// present values; rows the user named are never among them. Each with a note.
std::vector<int> undetermined_rows(RefinementSession& session, const std::vector<int>& rows,
                                   std::vector<std::string>& notes);

// After a fit of `rows`: pairs correlated beyond 0.999 made one. The axial divergence's S/L and H/L
// are tied (H/L = S/L); of any other pair the later row is held. The rows that remain free, and a
// note for each change; the same rows when nothing changed.
std::vector<int> separate_degenerate(RefinementSession& session, const std::vector<int>& rows,
                                     const LeastSquaresResult& fit, std::vector<std::string>& notes);

// The released rows resting on a guard bound: the fit has left the region where the model means
// something.
std::vector<int> rows_on_guard(const RefinementSession& session, const std::vector<int>& rows);

// Notes of the finished refinement: the parameters on a bound and the negative B's, by name.
std::vector<std::string> value_notes(const RefinementResult& result);

}  // namespace kalidos
