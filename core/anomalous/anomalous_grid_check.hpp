// The check of the f' and f'' typed into the anomalous-dispersion grid before they are read back.
#pragma once

#include "model/structure_model.hpp"
#include "model/text_grid.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// False, after a beep and "Unusable value in the anomalous dispersion grid: f' of Fe,
// wavelength 1 = inf", when a cell that will be read back (elements 1..elementCount, wavelengths
// 1..min(count, 4)) holds a number that is not finite (inf, nan, 1e400) or beyond ±1e6: the
// structure factors would turn infinite or NaN. An empty or unreadable cell still reads as 0.
bool check_anomalous_grid(const StructureModel& model, const TextGrid& grid, Messages& messages);

}  // namespace kalidos
