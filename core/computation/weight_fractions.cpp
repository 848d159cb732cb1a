#include "computation/weight_fractions.hpp"

#include <algorithm>
#include <cmath>

namespace kalidos {

double hill_howard_scale(double fraction, double zmv)
{
    return zmv > 0 ? fraction / zmv : 0.0;
}

std::vector<FittedValue> weight_fractions(std::span<const double> zmv, std::span<const double> scales,
                                          const std::function<double(std::size_t, std::size_t)>& covariance)
{
    const std::size_t n = zmv.size();
    std::vector<FittedValue> fractions(n);
    double sum = 0;
    for (std::size_t p = 0; p < n; ++p)
        sum += scales[p] * zmv[p];
    if (sum == 0)
        return fractions;
    for (std::size_t p = 0; p < n; ++p) {
        const double w = scales[p] * zmv[p] / sum;
        double variance = 0;
        if (covariance) {
            std::vector<double> gradient(n);
            for (std::size_t i = 0; i < n; ++i)
                gradient[i] = ((i == p ? zmv[i] : 0.0) - w * zmv[i]) / sum;
            for (std::size_t i = 0; i < n; ++i)
                for (std::size_t j = 0; j < n; ++j)
                    variance += gradient[i] * gradient[j] * covariance(i, j);
        }
        fractions[p] = {w, std::sqrt(std::max(variance, 0.0))};
    }
    return fractions;
}

}  // namespace kalidos
