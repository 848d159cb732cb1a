#include "refinement/refinement_figures.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "computation/parallel_for.hpp"

namespace kalidos {

ReflectionShare reflection_share(const PhaseState& phase, std::size_t k, double height, const std::vector<double>& grid)
{
    ReflectionShare out;
    std::vector<ProfileTerm> terms(phase.unitTerms.begin() + static_cast<long>(phase.firstTerm[k]),
                                   phase.unitTerms.begin() + static_cast<long>(phase.firstTerm[k + 1]));
    if (terms.empty())
        return out;
    double low = terms.front().position, high = low;
    for (ProfileTerm& t : terms) {
        t.height *= height;
        low = std::min(low, t.position - kNearHalfWidths * t.halfWidth);
        high = std::max(high, t.position + kNearHalfWidths * t.halfWidth);
    }
    const auto first = std::lower_bound(grid.begin(), grid.end(), low);
    const auto last = std::upper_bound(first, grid.end(), high);
    if (first == last)
        return out;
    out.first = static_cast<std::size_t>(first - grid.begin());
    out.values = evaluate_profile_terms(terms, std::vector<double>(first, last));
    return out;
}

std::vector<ReflectionShare> reflection_shares(const PhaseState& phase,
                                               const std::function<double(std::size_t)>& height,
                                               const std::vector<double>& grid)
{
    std::vector<ReflectionShare> shares(phase.firstTerm.empty() ? 0 : phase.firstTerm.size() - 1);
    parallel_for(static_cast<int>(shares.size()), [&](int begin, int end) {
        for (auto k = static_cast<std::size_t>(begin); k < static_cast<std::size_t>(end); ++k)
            if (const double h = height(k); h != 0)
                shares[k] = reflection_share(phase, k, h, grid);
    });
    return shares;
}

double bragg_r(const PatternModel& model, std::size_t p, std::span<const double> calculated)
{
    const FitPoints& points = model.points();
    const PhaseState& phase = model.phases()[p];
    const std::vector<double> background = model.background();
    std::map<std::tuple<int, int, int>, std::pair<double, double>> sums;  // (obs, calc) per (h k l)
    const auto counted = [&](std::size_t k) {
        const Reflection& r = phase.intensities.reflections[k];
        return phase.firstTerm[k] != phase.firstTerm[k + 1] && r.intensity > 0;
    };
    const std::vector<ReflectionShare> shares = reflection_shares(
        phase,
        [&](std::size_t k) {
            return counted(k) ? phase.intensities.reflections[k].intensity * phase.scale : 0.0;
        },
        points.twoTheta);
    for (std::size_t k = 0; k + 1 < phase.firstTerm.size(); ++k) {
        const Reflection& r = phase.intensities.reflections[k];
        if (!counted(k))
            continue;
        const ReflectionShare& found = shares[k];
        if (found.values.empty())
            continue;
        const std::vector<double>& share = found.values;
        auto& [obs, calc] = sums[{r.h, r.k, r.l}];
        const std::size_t offset = found.first;
        for (std::size_t i = 0; i < share.size(); ++i) {
            const std::size_t n = offset + i;
            const double net = calculated[n] - background[n];
            calc += share[i];
            if (net > 0)
                obs += share[i] * (points.observed[n] - background[n]) / net;
        }
    }
    double difference = 0, observed = 0;
    for (const auto& [key, value] : sums) {
        difference += std::fabs(value.first - value.second);
        observed += std::fabs(value.first);
    }
    return observed > 0 ? difference / observed : 0;
}

void fill_refinement_curves(const PatternModel& model, std::span<const double> calculated, RefinementCurves& c)
{
    const FitPoints& points = model.points();
    c = {};
    c.twoTheta = points.twoTheta;
    c.observed = points.observed;
    c.calculated.assign(calculated.begin(), calculated.end());
    c.background = model.background();
    for (std::size_t i = 0; i < points.size(); ++i) {
        c.difference.push_back(points.observed[i] - calculated[i]);
        c.sigma.push_back(1 / std::sqrt(points.weight[i]));
    }
    for (const PhaseState& phase : model.phases()) {
        std::vector<double> share = phase.curve;
        for (double& v : share)
            v *= phase.scale;
        c.phases.push_back(std::move(share));
    }
}

}  // namespace kalidos
