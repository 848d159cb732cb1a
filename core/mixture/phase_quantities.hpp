// What the weight fractions of a mixture's phases become beside their absorption: Brindley's
// microabsorption correction and, with an internal standard of known weight, the amorphous content.
#pragma once

#include <string>
#include <vector>

#include "mixture/microabsorption.hpp"
#include "mixture/mixture_phase.hpp"

namespace kalidos {

struct QuantitySettings {
    double particleDiameter = 0;  // µm; 0: no Brindley correction
    int standard = -1;            // the phase (from 0) added as an internal standard; -1: none
    double standardWeight = 0;    // its weighed fraction of the whole sample, above 0 and below 1

    bool active() const { return particleDiameter > 0 || standard >= 0; }
};

struct PhaseQuantities {
    std::vector<PhaseAbsorption> absorption;  // with the Brindley correction: each phase's μ and density
    std::vector<double> tau;                  //   its particle absorption factor
    std::vector<double> brindley;             //   and its corrected weight fraction; empty without
    double meanMu = 0;                        // μ̄ of the solid, cm⁻¹
    std::vector<double> absolute;             // with a standard: each phase's fraction of the whole sample
    double amorphous = 0;                     //   and what is not crystalline, 0 or more
    std::vector<std::string> notes;           // a standard found below its weight; particles beyond Brindley's range
};

// From the phases' weight fractions (their `fraction`, from the scales) and the settings. The mass
// attenuation `table` is needed for the Brindley correction only. Empty text, or why nothing was
// worked out (an element or a wavelength the table lacks, neutrons, a standard that is no phase).
std::string phase_quantities(const std::vector<MixturePhase>& phases, const QuantitySettings& settings,
                             const MassAttenuationTable* table, PhaseQuantities& quantities);

}  // namespace kalidos
