// The median of a sample: the robust centre the fits and the peak search take of widths, steps and
// scatter.
#pragma once

#include <vector>

namespace kalidos {

// The element in the middle once sorted (of an even count, the upper of the two); 0 when empty.
double median(std::vector<double> values);

}  // namespace kalidos
