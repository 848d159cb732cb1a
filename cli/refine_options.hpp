// The command-line options of a refinement: --refine, --cycles, --write-cif, --share-b,
// --occupancy-sum, --le-bail, --pawley and --write-intensities.
#pragma once

#include <string>
#include <vector>

#include "profile_options.hpp"
#include "refinement/refinement.hpp"

namespace kalidos::batch {

// Atoms of one phase named on the command line: "[N:]Al1,Al2", N the phase from 1 (default 1).
struct AtomListOption {
    int phase = 1;
    std::vector<std::string> atoms;
};

struct RefineOptions {
    std::string text;                               // --refine as typed
    std::vector<std::vector<std::string>> stages;   // its stages; empty: no refinement
    int cycles = kDefaultRefinementCycles;          // --cycles: at most, per stage
    bool cyclesGiven = false;
    std::string cifFile;                            // --write-cif
    std::vector<AtomListOption> sharedB;            // --share-b
    std::vector<AtomListOption> occupancySums;      // --occupancy-sum
    std::vector<int> leBail, pawley;                // --le-bail, --pawley: phases from 1
    std::string intensitiesFile;                    // --write-intensities (.hkl: HKLF 4; else CIF)

    bool active() const { return !stages.empty(); }
    // The intensity method of phase p (from 0).
    IntensityMethod method(std::size_t p) const;
};

// Reads option `name` (already taken) and its value from arguments[next], moving `next` past it.
OptionRead read_refine_option(const std::string& name, const std::vector<std::string>& arguments, std::size_t& next,
                              RefineOptions& refine, std::string& error);

// Why the refinement options do not fit the rest of the command line (`structures` files, `observed`
// diagrams); empty when they do.
std::string refine_options_problem(const RefineOptions& refine, std::size_t structures, std::size_t observed);

}  // namespace kalidos::batch
