// The ranges of the typed wavelength, angular limits and U, V, W, shared by the main window's
// entries and the batch options: a value outside them would reach the model as nonsense or
// overflow the calculation.
#pragma once

#include <cmath>

namespace kalidos {

// As a cell length or an atom value of a structure file.
inline constexpr double kLargestTypedValue = 1e6;
// As an angle of a measured diagram.
inline constexpr double kLargestTwoTheta = 180;

// λ in Å; 0 stands for a wavelength not given yet (refused when a calculation starts).
inline bool wavelength_in_range(double lambda)
{
    return std::isfinite(lambda) && lambda >= 0 && lambda <= kLargestTypedValue;
}

// A limit of the calculation range as 2θ in degrees.
inline bool two_theta_in_range(double twoTheta)
{
    return std::isfinite(twoTheta) && std::fabs(twoTheta) <= kLargestTwoTheta;
}

// One of U, V, W (degrees²): the width c = U·t² + V·t + W must not overflow.
inline bool resolution_in_range(double value)
{
    return std::isfinite(value) && std::fabs(value) <= kLargestTypedValue;
}

}  // namespace kalidos
