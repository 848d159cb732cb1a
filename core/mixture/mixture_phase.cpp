#include "mixture/mixture_phase.hpp"

#include <cmath>

#include "computation/peak_terms.hpp"
#include "computation/site_multiplicity.hpp"

namespace kalidos {
namespace {

constexpr double kRadiansToTwoTheta = 114.5914;  // as the calculation converts θ

// The factor that undoes the calculation's own normalisation: the structure-factor scale of a group
// of the standard settings and the factor G of neutron intensities.
double absolute_factor(const Workspace& ws)
{
    const double perCell = per_cell_intensity_factor(ws.model);
    if (ws.model.radiation != kNeutrons || !(ws.results.neutronFactor > 0))
        return perCell;
    return perCell / ws.results.neutronFactor;
}

}  // namespace

bool make_mixture_phase(const Workspace& calculated, const std::string& name, double fraction,
                        MixturePhase& phase, std::string& why)
{
    std::string unknown;
    phase = MixturePhase{};
    if (!cell_content(calculated.model, phase.content, unknown)) {
        why = name + ": the formula mass is unknown" + (unknown.empty() ? std::string() : " (atom " + unknown + ")");
        return false;
    }
    phase.name = name;
    phase.fraction = fraction;
    phase.sizeNm = calculated.model.profile.sizeNm;
    phase.model = std::make_shared<const StructureModel>(calculated.model);
    const double factor = absolute_factor(calculated);
    phase.reflections.assign(calculated.results.merged.begin(), calculated.results.merged.end());
    for (Reflection& r : phase.reflections)
        r.intensity *= factor;
    return true;
}

double scaled_two_theta(const Reflection& r, double cellScale)
{
    if (cellScale == 1)
        return r.twoTheta;
    return std::asin(std::min(1.0, r.lambda / (2 * r.d * cellScale))) * kRadiansToTwoTheta;
}

std::vector<ProfileTerm> phase_terms(const MixturePhase& phase)
{
    if (!phase.model)
        return {};
    const bool ownSize = phase.sizeNm != phase.model->profile.sizeNm;
    if (phase.cellScale == 1 && !ownSize)
        return profile_terms_of(*phase.model, phase.reflections);
    StructureModel model = *phase.model;
    model.profile.sizeNm = phase.sizeNm;
    std::vector<Reflection> moved = phase.reflections;
    for (Reflection& r : moved) {
        r.twoTheta = scaled_two_theta(r, phase.cellScale);
        r.d *= phase.cellScale;
    }
    return profile_terms_of(model, moved);
}

}  // namespace kalidos
