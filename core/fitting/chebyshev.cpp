#include "fitting/chebyshev.hpp"

namespace kalidos {

void chebyshev_values(double u, std::span<double> values)
{
    for (std::size_t k = 0; k < values.size(); ++k)
        values[k] = k == 0 ? 1 : k == 1 ? u : 2 * u * values[k - 1] - values[k - 2];
}

double chebyshev_sum(double u, std::span<const double> coefficients)
{
    double previous = 1, current = u, sum = 0;
    for (std::size_t k = 0; k < coefficients.size(); ++k) {
        const double t = k == 0 ? 1 : k == 1 ? u : 2 * u * current - previous;
        if (k >= 2) {
            previous = current;
            current = t;
        }
        sum += coefficients[k] * t;
    }
    return sum;
}

}  // namespace kalidos
