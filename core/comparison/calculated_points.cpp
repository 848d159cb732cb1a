#include "comparison/calculated_points.hpp"

#include <algorithm>
#include <memory>
#include <numeric>
#include <vector>

#include "computation/peak_terms.hpp"

namespace kalidos {

CalculatedIntensity calculated_intensity(const Workspace& workspace)
{
    auto terms = std::make_shared<const std::vector<ProfileTerm>>(profile_terms(workspace));
    return [terms](std::span<const double> twoTheta, std::span<double> intensity) {
        if (std::is_sorted(twoTheta.begin(), twoTheta.end())) {
            const std::vector<double> values =
                evaluate_profile_terms(*terms, std::vector<double>(twoTheta.begin(), twoTheta.end()));
            std::copy(values.begin(), values.end(), intensity.begin());
            return;
        }
        // The evaluation walks the points in ascending order: sort them, then put the values back.
        std::vector<std::size_t> order(twoTheta.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return twoTheta[a] < twoTheta[b]; });
        std::vector<double> sorted(order.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            sorted[i] = twoTheta[order[i]];
        const std::vector<double> values = evaluate_profile_terms(*terms, sorted);
        for (std::size_t i = 0; i < order.size(); ++i)
            intensity[order[i]] = values[i];
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
