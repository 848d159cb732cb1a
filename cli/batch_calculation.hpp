// One structure from its file to its results, with everything it reads and writes given to it.
#pragma once

#include <filesystem>
#include <memory>

#include "batch_options.hpp"
#include "model/workspace.hpp"
#include "stream_messages.hpp"

namespace kalidos::batch {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitRefused = 1;  // a read, the calculation or a write was refused
inline constexpr int kExitUsage = 2;

// A workspace whose listings and scratch files stay in memory: any number of them can be
// calculated at once, in threads or processes, each giving what it gives alone.
std::unique_ptr<Workspace> make_memory_workspace();

// The radiation, range, anomalous table and observed diagrams of the command line put into the
// workspace, nothing calculated. Returns the exit status.
int prepare_experiment(Workspace& workspace, const BatchOptions& options, const std::filesystem::path& dataDirectory,
                       StreamMessages& messages);

// Radiation and range, the anomalous table, the observed diagrams, then "Calcul.", on a
// workspace whose structure is loaded. Returns the exit status.
int calculate_loaded(Workspace& workspace, const BatchOptions& options, const std::filesystem::path& dataDirectory,
                     StreamMessages& messages);

// "Calcul." on the workspace as it stands (its model changed since), and the grid of --step.
int calculate_again(Workspace& workspace, const BatchOptions& options, StreamMessages& messages);

// Reads options.structureFile into `workspace`, then calculate_loaded. Returns the exit status.
int load_and_calculate(Workspace& workspace, const BatchOptions& options, const std::filesystem::path& dataDirectory,
                       StreamMessages& messages);

}  // namespace kalidos::batch
