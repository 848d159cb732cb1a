#include "mixture/microabsorption.hpp"

#include <cmath>

#include <gemmi/elem.hpp>

namespace kalidos {
namespace {

constexpr double kAvogadro = 6.02214076e23;  // mol⁻¹
constexpr double kCubicAngstrom = 1e-24;     // cm³
constexpr double kMicrometre = 1e-4;         // cm
constexpr int kPasses = 20;

}  // namespace

bool phase_absorption(const StructureModel& model, const CellContent& content, const MassAttenuationTable& table,
                      PhaseAbsorption& absorption, std::string& error)
{
    if (model.radiation == kNeutrons) {
        error = "the absorption is known for X-rays only";
        return false;
    }
    const double volume = content.volume * kCubicAngstrom;
    if (!(volume > 0) || model.wavelengths.count < 1 || content.atoms.empty()) {
        error = "no cell content or no wavelength";
        return false;
    }
    double mu = 0, weights = 0;
    for (int w = 1; w <= model.wavelengths.count; ++w) {
        double crossSections = 0;  // cm² per cell: μ/ρ·A/N_A per atom
        for (const auto& [z, atoms] : content.atoms) {
            const double massAttenuation = mass_attenuation(table, z, model.wavelengths.values[w]);
            if (!std::isfinite(massAttenuation)) {
                error = "no mass attenuation for " + std::string(gemmi::Element(static_cast<gemmi::El>(z)).name()) +
                        " at " + std::to_string(model.wavelengths.values[w]) + " Å";
                return false;
            }
            crossSections += atoms * massAttenuation * gemmi::Element(static_cast<gemmi::El>(z)).weight() / kAvogadro;
        }
        mu += model.wavelengths.weights[w] * crossSections / volume;
        weights += model.wavelengths.weights[w];
    }
    absorption.density = content.cell_mass() / kAvogadro / volume;
    absorption.mu = mu / weights;
    return true;
}

double brindley_tau(double x)
{
    const double a = 2 * x;
    if (std::fabs(a) < 1) {  // 3·Σ (−a)ⁿ/(n!·(n + 3)): the closed form loses its digits here
        double term = 1, sum = 0;
        for (int n = 0; n < 30; ++n) {
            sum += term / (n + 3);
            term *= -a / (n + 1);
        }
        return 3 * sum;
    }
    return 3 * (2 - std::exp(-a) * (a * a + 2 * a + 2)) / (a * a * a);
}

BrindleyResult brindley_fractions(const std::vector<BrindleyPhase>& phases, double diameterMicrometres)
{
    const double radius = diameterMicrometres / 2 * kMicrometre;
    BrindleyResult result;
    double total = 0;
    for (const BrindleyPhase& p : phases)
        total += p.fraction;
    for (const BrindleyPhase& p : phases)
        result.fractions.push_back(total > 0 ? p.fraction / total : 0);
    result.tau.assign(phases.size(), 1.0);
    for (int pass = 0; pass < kPasses; ++pass) {
        double volume = 0, absorbing = 0;
        for (std::size_t i = 0; i < phases.size(); ++i) {
            const double v = result.fractions[i] / phases[i].absorption.density;
            volume += v;
            absorbing += v * phases[i].absorption.mu;
        }
        result.meanMu = volume > 0 ? absorbing / volume : 0;
        double sum = 0;
        for (std::size_t i = 0; i < phases.size(); ++i) {
            result.tau[i] = brindley_tau((phases[i].absorption.mu - result.meanMu) * radius);
            sum += phases[i].fraction / result.tau[i];
        }
        for (std::size_t i = 0; i < phases.size(); ++i)
            result.fractions[i] = sum > 0 ? phases[i].fraction / result.tau[i] / sum : 0;
    }
    return result;
}

double amorphous_fraction(double weighed, double found)
{
    return found > 0 ? 1 - weighed / found : 0;
}

}  // namespace kalidos
