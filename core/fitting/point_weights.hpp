// The weight of each measured point in a comparison, from what the file says of its errors.
#pragma once

#include <vector>

#include "model/measured_diagram.hpp"

namespace kalidos {

enum class WeightSource {
    StatedSigma,  // the file gives σ per point: w = 1/σ² (0 where σ is not positive)
    Counts,       // counts (or counts per second with the counting time): σ² = counts, at least 1
    Unit,         // nothing known: every weight 1
};

WeightSource weight_source(const MeasuredScan& scan);

// One weight per point of `scan`. A count below 1 weighs as 1 count, so empty points keep a finite
// weight; counts per second with a stated counting time t weigh t²/max(cps·t, 1). Counts with a
// background taken off (below 0 at one point in a hundred or more) weigh at most as the diagram's
// own point-to-point scatter.
std::vector<double> point_weights(const MeasuredScan& scan);

// The weights of the reported figures (Rwp, Rexp, χ²), as they are conventionally defined so that
// they stand beside other programs': w = 1/σ², σ the file's own or else √max(y_obs, 1) in counts.
// They differ from point_weights only for a diagram of unknown unit, which the fit weighs evenly.
std::vector<double> figure_weights(const MeasuredScan& scan);

}  // namespace kalidos
