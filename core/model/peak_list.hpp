// A list of diffraction-line positions, as a peak search, a peak-list file or the user gives them:
// what indexing starts from.
#pragma once

#include <vector>

namespace kalidos {

enum class PeakPositionKind { TwoTheta, D };

struct PeakList {
    PeakPositionKind kind = PeakPositionKind::TwoTheta;
    std::vector<double> position;   // degrees 2θ or Å, in the order given
    std::vector<double> intensity;  // one per position, or empty when none is given
    double wavelength = 0;          // Å; 0 when the list states none
};

}  // namespace kalidos
