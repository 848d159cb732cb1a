#include "mixture/mixture.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "computation/weight_fractions.hpp"

namespace kalidos {

std::string mixture_problem(const std::vector<MixturePhase>& phases)
{
    if (phases.empty())
        return "A mixture needs at least one phase";
    if (phases.size() > static_cast<std::size_t>(kMaxPhases))
        return "A mixture holds at most " + std::to_string(kMaxPhases) + " phases";
    double sum = 0;
    for (const MixturePhase& p : phases) {
        if (!std::isfinite(p.fraction) || p.fraction < 0)
            return p.name + ": a weight fraction must be a number of 0 or more";
        sum += p.fraction;
    }
    return sum > 0 ? std::string() : "The weight fractions add up to 0";
}

void normalise_fractions(std::vector<MixturePhase>& phases)
{
    const double sum = std::accumulate(phases.begin(), phases.end(), 0.0,
                                       [](double s, const MixturePhase& p) { return s + p.fraction; });
    if (sum > 0)
        for (MixturePhase& p : phases)
            p.fraction /= sum;
}

std::vector<double> hill_howard_scales(const std::vector<MixturePhase>& phases)
{
    std::vector<double> scales;
    for (const MixturePhase& p : phases)
        scales.push_back(hill_howard_scale(p.fraction, p.zmv()));
    return scales;
}

MixtureCurves mixture_curves(const std::vector<MixturePhase>& phases, const std::vector<double>& scales,
                             const std::vector<double>& twoTheta)
{
    MixtureCurves curves;
    curves.twoTheta = twoTheta;
    curves.total.assign(twoTheta.size(), 0.0);
    for (std::size_t p = 0; p < phases.size(); ++p) {
        std::vector<double> values = evaluate_profile_terms(phase_terms(phases[p]), twoTheta);
        for (std::size_t i = 0; i < values.size(); ++i) {
            values[i] *= scales[p];
            curves.total[i] += values[i];
        }
        curves.phases.push_back(std::move(values));
    }
    const double largest = curves.total.empty() ? 0 : *std::max_element(curves.total.begin(), curves.total.end());
    if (!(largest > 0))
        return curves;
    curves.factor = largest / 100;
    for (double& v : curves.total)
        v /= curves.factor;
    for (std::vector<double>& values : curves.phases)
        for (double& v : values)
            v /= curves.factor;
    return curves;
}

}  // namespace kalidos
