// One structure block of a file calculated in memory, as kalidos-batch calculates each of many:
// its own workspace with scratch files in memory, the headless host and "Calcul.".
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "identification/library_entry.hpp"
#include "model/workspace.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// The names of the structure blocks of `file`: those of a CIF's structure blocks, one empty name
// for the other structure formats; none when the file cannot be read or is no structure file
// (the reason told).
std::vector<std::string> structure_blocks(const std::filesystem::path& file, Messages& messages);

// Reads block `block` (1-based) of `file` as File › Open does, gives it the experiment of
// `experiment` (radiation, wavelengths, range, resolution and profile: share_experiment) and runs
// the calculation. The workspace after a complete run, or null with the reason told.
std::unique_ptr<Workspace> calculate_structure_block(const std::filesystem::path& file, int block,
                                                     const StructureModel& experiment,
                                                     const std::filesystem::path& dataDirectory, Messages& messages);

// The experiment of the index: X-ray tube, one wavelength, 2θ reaching d = `shortestD`.
StructureModel index_experiment(double shortestD = kIndexShortestD);

// The entry of a workspace calculated with one wavelength of an X-ray tube: formula, cell, group,
// Z·M·V and the reflections' m·|F|² per cell (the mixture phase's absolute intensities divided by
// the tube's Lp), those of equal d summed.
// False with `why` when the cell's content is unknown.
bool library_entry_of(const Workspace& calculated, LibraryEntry& entry, std::string& why);

}  // namespace kalidos
