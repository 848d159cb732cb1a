#include "computation/beam_overspill.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kalidos {

double beam_on_specimen(double theta, double slitDegrees, double radiusMm, double sampleLengthMm)
{
    const double half = slitDegrees * std::numbers::pi / 360;
    const double h = sampleLengthMm / 2;
    const double before = std::atan2(h * std::sin(theta), radiusMm - h * std::cos(theta));
    const double beyond = std::atan2(h * std::sin(theta), radiusMm + h * std::cos(theta));
    return (std::min(before, half) + std::min(beyond, half)) / (2 * half);
}

}  // namespace kalidos
