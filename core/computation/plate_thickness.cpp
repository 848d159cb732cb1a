#include "computation/plate_thickness.hpp"

#include <cmath>

namespace kalidos {

double thin_plate_factor(double muT, double theta)
{
    return -std::expm1(-2 * muT / std::sin(theta));
}

}  // namespace kalidos
