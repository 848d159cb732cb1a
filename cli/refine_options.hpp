// The command-line options of a refinement: --refine, --cycles, --write-cif, --share-b,
// --occupancy-sum, --le-bail, --pawley, --write-intensities and --cell-phase.
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

// A phase known by its cell and space group only (a cell found by indexing): "A B C ALPHA BETA GAMMA
// [GROUP]", lengths in Å, angles in degrees, the group P 1 when none is named.
struct CellPhaseOption {
    std::string text;  // as typed
    CellParameters cell;
    std::string group;
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
    std::vector<CellPhaseOption> cellPhases;        // --cell-phase: phases after the structure files

    bool active() const { return !stages.empty(); }
    // The intensity method of phase p (from 0) of `structures` structure files and the cell phases
    // after them: a cell phase is Le Bail unless --pawley names it.
    IntensityMethod method(std::size_t p, std::size_t structures) const;
};

// Reads option `name` (already taken) and its value from arguments[next], moving `next` past it.
OptionRead read_refine_option(const std::string& name, const std::vector<std::string>& arguments, std::size_t& next,
                              RefineOptions& refine, std::string& error);

// Why the refinement options do not fit the rest of the command line (`structures` files, `observed`
// diagrams); empty when they do.
std::string refine_options_problem(const RefineOptions& refine, std::size_t structures, std::size_t observed);

}  // namespace kalidos::batch
