#include "refinement/refinement_figures.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace kalidos {

double bragg_r(const PatternModel& model, std::size_t p, std::span<const double> calculated)
{
    const FitPoints& points = model.points();
    const PhaseState& phase = model.phases()[p];
    const std::vector<double> background = model.background();
    std::map<std::tuple<int, int, int>, std::pair<double, double>> sums;  // (obs, calc) per (h k l)
    const auto& grid = points.twoTheta;
    for (std::size_t k = 0; k + 1 < phase.firstTerm.size(); ++k) {
        const Reflection& r = phase.intensities.reflections[k];
        std::vector<ProfileTerm> terms(phase.unitTerms.begin() + static_cast<long>(phase.firstTerm[k]),
                                       phase.unitTerms.begin() + static_cast<long>(phase.firstTerm[k + 1]));
        if (terms.empty() || !(r.intensity > 0))
            continue;
        double low = terms.front().position, high = low;
        for (ProfileTerm& t : terms) {
            t.height *= r.intensity * phase.scale;
            low = std::min(low, t.position - kNearHalfWidths * t.halfWidth);
            high = std::max(high, t.position + kNearHalfWidths * t.halfWidth);
        }
        const auto first = std::lower_bound(grid.begin(), grid.end(), low);
        const auto last = std::upper_bound(first, grid.end(), high);
        if (first == last)
            continue;
        const std::vector<double> at(first, last);
        const std::vector<double> share = evaluate_profile_terms(terms, at);
        auto& [obs, calc] = sums[{r.h, r.k, r.l}];
        const auto offset = static_cast<std::size_t>(first - grid.begin());
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
