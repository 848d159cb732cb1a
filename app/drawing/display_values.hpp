// The three intensity scales: the values the diagrams are drawn with, on the screen and on paper.
#pragma once

#include "drawing/diagram_geometry.hpp" // for IntensityScale

#include <vector>

namespace kalidos::drawing {

// The calculated pattern's points: I, log10(I + 1)·100/log10(101) or sqrt(I)·100/sqrt(101),
// so that a full-scale 100 is drawn at 100, 100 and 99.5. Index 0 is point 1.
std::vector<double> calculated_display_values(const CalculatedPattern& pattern, IntensityScale scale);

// Any curve in the calculated pattern's units (a mixture's phases), drawn as the pattern is.
std::vector<double> curve_display_values(const std::vector<double>& intensity, IntensityScale scale);

// A stick of `percent` of the largest as the Q mode draws it: raised to at least 1, then the scale.
double stick_display_value(double percent, IntensityScale scale);

// The Q-mode sticks, one per PeakTable entry: I·100/Imax raised to at least 1, then the scale.
std::vector<double> stick_display_values(const CalculationResults& results, IntensityScale scale);

// An observed diagram's 1015 slots: I, log10(I + 1) or sqrt(I), then brought to a largest
// value of 100. A diagram whose values are all 0 stays flat. Index 0 is slot 1.
std::vector<double> observed_display_values(const ObservedSlot& slot, IntensityScale scale);

}  // namespace kalidos::drawing
