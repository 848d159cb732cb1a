#include "fitting/point_weights.hpp"

#include <algorithm>
#include <cmath>

namespace kalidos {

WeightSource weight_source(const MeasuredScan& scan)
{
    if (!scan.sigma.empty())
        return WeightSource::StatedSigma;
    if (scan.unit == "counts" || (scan.unit == "cps" && scan.countingTime > 0))
        return WeightSource::Counts;
    return WeightSource::Unit;
}

std::vector<double> point_weights(const MeasuredScan& scan)
{
    const std::size_t n = scan.intensity.size();
    std::vector<double> weights(n, 1.0);
    switch (weight_source(scan)) {
    case WeightSource::StatedSigma:
        for (std::size_t i = 0; i < n; ++i) {
            const double s = i < scan.sigma.size() ? scan.sigma[i] : 0;
            weights[i] = s > 0 && std::isfinite(s) ? 1 / (s * s) : 0;
        }
        break;
    case WeightSource::Counts: {
        const double time = scan.unit == "cps" ? scan.countingTime : 1;
        for (std::size_t i = 0; i < n; ++i)
            weights[i] = time * time / std::max(scan.intensity[i] * time, 1.0);
        break;
    }
    case WeightSource::Unit:
        break;
    }
    return weights;
}

std::vector<double> figure_weights(const MeasuredScan& scan)
{
    if (weight_source(scan) != WeightSource::Unit)
        return point_weights(scan);
    std::vector<double> weights(scan.intensity.size());
    for (std::size_t i = 0; i < weights.size(); ++i)
        weights[i] = 1 / std::max(scan.intensity[i], 1.0);
    return weights;
}

}  // namespace kalidos
