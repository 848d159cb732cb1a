#include "fitting/figures_of_merit.hpp"

#include <cmath>

namespace kalidos {

Figures figures_of_merit(std::span<const double> observed, std::span<const double> calculated,
                         std::span<const double> weight, int parameters)
{
    double wrr = 0, wyy = 0, absoluteResiduals = 0, absoluteObserved = 0;
    for (std::size_t i = 0; i < observed.size(); ++i) {
        const double yo = observed[i], w = weight[i], r = yo - calculated[i];
        wrr += w * r * r;
        wyy += w * yo * yo;
        absoluteResiduals += std::fabs(r);
        absoluteObserved += std::fabs(yo);
    }
    const double freedom = degrees_of_freedom(observed.size(), parameters);
    Figures f;
    f.rp = absoluteObserved > 0 ? absoluteResiduals / absoluteObserved : 0;
    f.rwp = wyy > 0 ? std::sqrt(wrr / wyy) : 0;
    f.rexp = wyy > 0 && freedom > 0 ? std::sqrt(freedom / wyy) : 0;
    f.chi2 = reduced_chi2(wrr, observed.size(), parameters);
    return f;
}

double degrees_of_freedom(std::size_t points, int parameters)
{
    return static_cast<double>(points) - parameters;
}

double reduced_chi2(double weightedSquares, std::size_t points, int parameters)
{
    const double freedom = degrees_of_freedom(points, parameters);
    return freedom > 0 ? weightedSquares / freedom : 0;
}

}  // namespace kalidos
