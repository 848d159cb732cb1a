// Where a diagram of a sequential series starts: the series' start with the values refined against
// the diagram before it put in place.
#pragma once

#include <string>
#include <vector>

#include "model/structure_model.hpp"
#include "series/series_record.hpp"

namespace kalidos {

// Puts the record's refined values into the phases' models (each a structure after a complete
// calculation; the diagram's values into every phase), with the cell's metric computed again. The
// scales, the overall B and the background, which a model does not hold, start again from the
// refinement's own start. Empty text, or why not (a name the models do not have).
std::string apply_series_values(const std::vector<SeriesValue>& values, std::vector<StructureModel*>& models);

}  // namespace kalidos
