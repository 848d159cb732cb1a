// The command-line options that make the structure files the phases of one sample: --fractions,
// --fit-fractions and each phase's own --phase-sizes, --phase-strains and --phase-preferred; and
// what the fractions become: --brindley (microabsorption) and --standard (the amorphous content).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "model/sample_settings.hpp"
#include "profile_options.hpp"

namespace kalidos::batch {

struct PhaseOptions {
    std::vector<double> fractions;  // --fractions: one weight fraction per structure file
    bool fitFractions = false;      // --fit-fractions: fit them to the first --observed diagram
    std::vector<double> sizes;      // --phase-sizes: crystallite size per phase, nm (0: none)
    std::vector<double> strains;    // --phase-strains: microstrain per phase, %
    std::vector<std::pair<int, PreferredOrientation>> preferred;  // --phase-preferred N:H,K,L,R[,F]
    bool refined = false;           // --refine with several structure files: refined together
    double brindley = 0;            // --brindley D: the particles' diameter, µm (0: no correction)
    int standard = 0;               // --standard N:PERCENT: phase N (from 1) weighed in at PERCENT wt%
    double standardPercent = 0;

    bool mixture() const { return !fractions.empty() || fitFractions || refined; }
};

// Reads option `name` (already taken) and its values from arguments[next...], moving `next` past them.
OptionRead read_phase_option(const std::string& name, const std::vector<std::string>& arguments, std::size_t& next,
                             PhaseOptions& phases, std::string& error);

// Why the phase options do not fit the files given (`phaseCount` structure files); empty when they do.
std::string phase_options_problem(const PhaseOptions& phases, std::size_t phaseCount, bool observed);

}  // namespace kalidos::batch
