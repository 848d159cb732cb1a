// The Phases window's quantities: microabsorption and the amorphous content from the mixture's fractions.
#include "diagram/phase_mixture.hpp"

namespace kalidos::app {

std::string PhaseMixture::quantities(const QuantitySettings& settings, PhaseQuantities& quantities) const
{
    if (entries_.size() < 2)
        return "the mixture has one phase";
    std::vector<MixturePhase> list = phases();
    const std::vector<double> fractions = normalised_fractions();
    for (std::size_t p = 0; p < list.size(); ++p)
        list[p].fraction = fractions[p];
    std::shared_ptr<const MassAttenuationTable> table;
    std::string error;
    if (settings.particleDiameter > 0 && !(table = mass_attenuation_table(data_directory(), error)))
        return error;
    return phase_quantities(list, settings, table.get(), quantities);
}

}  // namespace kalidos::app
