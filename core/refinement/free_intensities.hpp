// Phases whose intensities are not calculated from atoms: Le Bail (the intensities re-partitioned
// from the observed diagram after every cycle) and Pawley (the intensities least-squares variables),
// and every phase's intensities as the refined fit gives them (extracted_reflections).
#pragma once

#include <span>
#include <string>
#include <vector>

#include "refinement/refinement_result.hpp"

namespace kalidos {

// Whether a request has a phase of free intensities (Le Bail or Pawley).
bool has_free_intensities(const RefinementRequest& request);

// The Pawley phases' |F|² as rows of the session's table, one per reflection group with a peak in
// the points' range (named p::F2(h k l) after the group's first reflection).
void add_pawley_rows(RefinementSession& session);

// The free intensities' start, after the scales and background were fitted with every |F|² equal:
// each such phase's scale taken into its |F|² (the scale held at 1), then partitioned from the
// observed diagram in rounds with the background and the structure phases' scales fitted again
// between them. From there the Le Bail phases are partitioned again after every cycle. Nothing
// happens without free intensities. Empty text, or why the least squares refused.
std::string start_free_intensities(RefinementSession& session);

// The Le Bail phases' intensities partitioned to the table's values as a stage begins: the cycles
// before moved the profile, and one partition a cycle follows it only part of the way (kept only
// where it lowers Σ w r²).
void repartition_le_bail(RefinementSession& session);

// The rows of the Pawley intensities in the table.
std::vector<int> pawley_rows(const ParameterTable& table);

// Each phase's reflections with a peak in the points' range (ExtractedReflection), at the values
// the model was last evaluated with, `calculated` its values at the points; `chi2` the reduced χ²
// the counting su are multiplied by (its root); `pawleySu` per phase and group the least-squares su
// of a Pawley phase's |F|² (empty for other phases).
std::vector<std::vector<ExtractedReflection>> extracted_reflections(const PatternModel& model,
                                                                    std::span<const double> calculated, double chi2,
                                                                    const std::vector<std::vector<double>>& pawleySu);

}  // namespace kalidos
