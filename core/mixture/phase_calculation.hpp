// An extra phase of a mixture: a structure file calculated with the radiation, range and profile
// of the main calculation, and the phase's own size, strain and preferred orientation.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "mixture/mixture_phase.hpp"
#include "model/workspace.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// What belongs to the phase rather than to the experiment. The defaults add nothing: no size or
// strain broadening and no preferred orientation.
struct PhaseSettings {
    double sizeNm = 0;
    double strainPercent = 0;
    PreferredOrientation preferred;
};

// The settings of the experiment every phase shares, copied from `main` into `model`: radiation,
// source, polarisation, wavelengths, anode, the shown and entered ranges, U V W and the profile
// (zero shift and displacement included); then the phase's own size, strain and orientation.
void share_experiment(const StructureModel& main, const PhaseSettings& own, StructureModel& model);

// Reads `file` (any format File › Open reads, told by its extension) into a workspace of its own
// that keeps its scratch files in memory, shares the experiment of `main` (and the f' and f'' of its
// elements from the anomalous-dispersion table `main` read, as the batch runner reads it for every
// phase) and runs the calculation.
// The workspace after a complete calculation, or null when the file was refused or the calculation
// stopped (the reason told through `messages`).
std::unique_ptr<Workspace> calculate_phase_file(const std::filesystem::path& file, const StructureModel& main,
                                                const PhaseSettings& own, const std::filesystem::path& dataDirectory,
                                                Messages& messages);

// As calculate_phase_file, from a structure already read (a refined one, say).
std::unique_ptr<Workspace> calculate_phase_structure(const StructureModel& structure, const StructureModel& main,
                                                     const PhaseSettings& own, Messages& messages);

// calculate_phase_file then make_mixture_phase, named after the file. False, with the reason told
// through `messages`, when either refuses.
bool calculate_mixture_phase(const std::filesystem::path& file, const StructureModel& main, const PhaseSettings& own,
                             const std::filesystem::path& dataDirectory, double fraction, Messages& messages,
                             MixturePhase& phase);

}  // namespace kalidos
