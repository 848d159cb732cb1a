#include "fitting/point_weights.hpp"

#include <algorithm>
#include <cmath>

#include "fitting/median.hpp"

namespace kalidos {

WeightSource weight_source(const MeasuredScan& scan)
{
    if (!scan.sigma.empty())
        return WeightSource::StatedSigma;
    if (scan.unit == "counts" || (scan.unit == "cps" && scan.countingTime > 0))
        return WeightSource::Counts;
    return WeightSource::Unit;
}

namespace {

// Counts that go below 0 at one point in a hundred or more have had a background taken off: the
// counting statistics of what is left are unknown, and its noise is that of the background taken
// off, not the few counts left. σ² of such points is at least the diagram's own point-to-point
// scatter (a robust spread of the differences of neighbours, half their variance), in counts; 1
// count otherwise, or for too few points to tell.
double least_variance(const MeasuredScan& scan, double time)
{
    constexpr std::size_t kFewestPoints = 100;
    const std::vector<double>& y = scan.intensity;
    const auto negative = static_cast<std::size_t>(std::count_if(y.begin(), y.end(), [](double v) { return v < 0; }));
    if (y.size() < kFewestPoints || negative * 100 < y.size())
        return 1;
    std::vector<double> steps;
    for (std::size_t i = 1; i < y.size(); ++i)
        steps.push_back((y[i] - y[i - 1]) * time);
    const double centre = median(steps);
    for (double& d : steps)
        d = std::fabs(d - centre);
    const double spread = 1.4826 * median(steps);  // the standard deviation of normal differences
    return std::max(1.0, spread * spread / 2);
}

}  // namespace

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
        const double least = least_variance(scan, time);
        for (std::size_t i = 0; i < n; ++i)
            weights[i] = time * time / std::max(scan.intensity[i] * time, least);
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
