#include "computation/monochromator_polarisation.hpp"

#include <cmath>
#include <numbers>

namespace kalidos {

double monochromator_polarisation(double theta, double monochromatorTwoThetaDegrees)
{
    const double m = std::cos(monochromatorTwoThetaDegrees * std::numbers::pi / 180);
    const double c = std::cos(2 * theta);
    return (1 + m * m * c * c) / (1 + m * m);
}

}  // namespace kalidos
