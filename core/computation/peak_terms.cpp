#include "computation/peak_terms.hpp"

#include <cmath>

namespace kalidos {
namespace {

constexpr double kHalfDegreesToRadians = 0.008726658370523442;

}  // namespace

std::vector<ProfileTerm> profile_terms(const Workspace& workspace)
{
    const StructureModel& m = workspace.model;
    std::vector<ProfileTerm> terms;
    terms.reserve(static_cast<std::size_t>(workspace.results.merged.count));
    for (const Reflection& r : workspace.results.merged) {
        const float t = static_cast<float>(std::tan(r.twoTheta * kHalfDegreesToRadians));
        const double c = m.u * t * t + m.v * t + m.w;
        if (c > 0)
            terms.push_back({r.twoTheta, std::sqrt(c), 0.5, 0.1 * r.intensity});
    }
    return terms;
}

}  // namespace kalidos
