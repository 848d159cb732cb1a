#include "comparison/calculated_points.hpp"

#include <cmath>
#include <memory>
#include <vector>

#include "computation/parallel_for.hpp"

namespace kalidos {
namespace {

constexpr double kHalfDegreesToRadians = 0.008726658370523442;
constexpr double kEta = 0.5;
// Beyond |x| = 34, 2^(-x²) is 0 in double precision: the Gaussian part is skipped there.
constexpr double kGaussianReach2 = 34.0 * 34.0;

struct Peak {
    double position, halfWidth, amplitude;
};

double sum_of_peaks(const std::vector<Peak>& peaks, double twoTheta)
{
    double sum = 0;
    for (const Peak& p : peaks) {
        const double x = (twoTheta - p.position) / p.halfWidth;
        const double x2 = x * x;
        const double gauss = x2 < kGaussianReach2 ? (1 - kEta) * std::exp2(-x2) : 0.0;
        sum += p.amplitude * (kEta / (1 + x2) + gauss);
    }
    return sum;
}

}  // namespace

CalculatedIntensity calculated_intensity(const Workspace& workspace)
{
    const StructureModel& m = workspace.model;
    auto peaks = std::make_shared<std::vector<Peak>>();
    for (const Reflection& r : workspace.results.merged) {
        const double t = std::tan(r.twoTheta * kHalfDegreesToRadians);
        const double c = m.u * t * t + m.v * t + m.w;
        if (c > 0)
            peaks->push_back({r.twoTheta, std::sqrt(c), 0.1 * r.intensity});
    }
    return [peaks](std::span<const double> twoTheta, std::span<double> intensity) {
        parallel_for(static_cast<int>(twoTheta.size()), [&](int begin, int end) {
            for (int i = begin; i < end; ++i)
                intensity[i] = sum_of_peaks(*peaks, twoTheta[i]);
        });
    };
}

CalculatedRange calculated_range(const Workspace& workspace)
{
    const CalculatedPattern& pattern = workspace.results.pattern;
    if (pattern.pointCount < 1)
        return {};
    return {pattern.angles[0], pattern.angles[pattern.pointCount - 1]};
}

}  // namespace kalidos
