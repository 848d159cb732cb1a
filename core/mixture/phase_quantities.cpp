#include "mixture/phase_quantities.hpp"

#include <algorithm>
#include <cmath>

#include "util/pascal_format.hpp"

namespace kalidos {
namespace {

// Beyond (μᵢ − μ̄)·R of about 1 Brindley's factor no longer describes the particles well.
constexpr double kBrindleyRange = 1;

std::string brindley(const std::vector<MixturePhase>& phases, const QuantitySettings& settings,
                     const MassAttenuationTable& table, PhaseQuantities& q)
{
    std::vector<BrindleyPhase> input;
    for (const MixturePhase& phase : phases) {
        CellContent content = phase.content;
        content.volume *= phase.cellScale * phase.cellScale * phase.cellScale;
        PhaseAbsorption absorption;
        std::string error;
        if (!phase.model || !phase_absorption(*phase.model, content, table, absorption, error))
            return phase.name + ": " + (phase.model ? error : "not calculated");
        input.push_back({phase.fraction, absorption});
        q.absorption.push_back(absorption);
    }
    const BrindleyResult result = brindley_fractions(input, settings.particleDiameter);
    q.brindley = result.fractions;
    q.tau = result.tau;
    q.meanMu = result.meanMu;
    const double radius = settings.particleDiameter / 2 * 1e-4;  // cm
    for (std::size_t p = 0; p < phases.size(); ++p)
        if (std::fabs(q.absorption[p].mu - q.meanMu) * radius > kBrindleyRange)
            q.notes.push_back(phases[p].name + ": (μ − μ̄)·R is " +
                              fmt_fixed((q.absorption[p].mu - q.meanMu) * radius, 0, 2) +
                              ", beyond the Brindley correction's range (about 1): smaller particles are needed");
    return {};
}

}  // namespace

std::string phase_quantities(const std::vector<MixturePhase>& phases, const QuantitySettings& settings,
                             const MassAttenuationTable* table, PhaseQuantities& quantities)
{
    PhaseQuantities q;
    if (settings.particleDiameter > 0) {
        if (!table)
            return "no mass attenuation table";
        if (std::string why = brindley(phases, settings, *table, q); !why.empty())
            return why;
    }
    if (settings.standard >= 0) {
        if (settings.standard >= static_cast<int>(phases.size()))
            return "there is no phase " + std::to_string(settings.standard + 1) + " to be the standard";
        std::vector<double> fractions;
        for (const MixturePhase& phase : phases)
            fractions.push_back(phase.fraction);
        if (!q.brindley.empty())
            fractions = q.brindley;
        const double found = fractions[static_cast<std::size_t>(settings.standard)];
        const double amorphous = amorphous_fraction(settings.standardWeight, found);
        const double factor = amorphous >= 0 ? settings.standardWeight / found : 1;
        for (const double f : fractions)
            q.absolute.push_back(f * factor);
        q.amorphous = std::max(amorphous, 0.0);
        if (amorphous < 0)
            q.notes.push_back("The standard " + phases[static_cast<std::size_t>(settings.standard)].name + " is found at " +
                              fmt_fixed(100 * found, 0, 2) + " % of the crystalline phases, below its weighed " +
                              fmt_fixed(100 * settings.standardWeight, 0, 2) + " %: no amorphous content is seen");
    }
    quantities = std::move(q);
    return {};
}

}  // namespace kalidos
