#include "computation/surface_roughness.hpp"

#include <cmath>

namespace kalidos {

double surface_roughness(double p, double q, double theta)
{
    return (p + (1 - p) * std::exp(-q / std::sin(theta))) / (p + (1 - p) * std::exp(-q));
}

}  // namespace kalidos
