// kalidos-batch with --fractions or --fit-fractions: the structure files as the phases of one sample.
#pragma once

#include <filesystem>
#include <memory>
#include <ostream>

#include "batch_options.hpp"
#include "mixture_json.hpp"
#include "stream_messages.hpp"

namespace kalidos::batch {

// The options of phase i: the shared ones, its file, its own size, strain and orientation; only the
// first phase reads the observed diagrams.
BatchOptions options_of_phase(const BatchOptions& options, std::size_t i);

// Each structure as read (its file's group, before --space-group) calculated in a workspace of its
// own kept in memory, with --space-group applied and the options of its phase. Returns the exit status;
// the workspaces calculated so far stay in `workspaces`.
int calculate_models(const std::vector<const StructureModel*>& models, const BatchOptions& options,
                     const std::filesystem::path& data, StreamMessages& messages,
                     std::vector<std::unique_ptr<Workspace>>& workspaces);

// With every phase's workspace calculated (run.workspaces, in the order of `names`): the phases and
// their fractions, the fit when asked, Hill and Howard's scales and the curves. False when a phase's
// content is unknown or the fit is refused, the reason told through `messages`.
bool complete_mixture(const BatchOptions& options, const std::vector<std::string>& names, StreamMessages& messages,
                      MixtureRun& run);

// The quantities --brindley and --standard ask for, from the phases' fractions; false after a message
// when they cannot be worked out (the mass attenuation table of `dataDirectory` missing, an element or
// wavelength it lacks).
bool mixture_quantities(const BatchOptions& options, const std::vector<MixturePhase>& phases,
                        const std::filesystem::path& dataDirectory, StreamMessages& messages,
                        PhaseQuantities& quantities);

// fstr.out and fstr2.out of a mixture: each phase's own listing under a line naming the phase.
struct MixtureListings {
    std::string brief, detailed;
};
MixtureListings mixture_listings(const MixtureRun& run);

// Calculates every phase with the shared settings and its own, makes the mixture, fits the weight
// fractions when asked, writes the listings into `listings` (each phase's under a line naming it)
// and the JSON or, without --json, a table of the phases on standard output. Returns the exit status.
int run_mixture(const BatchOptions& options, const std::filesystem::path& dataDirectory,
                const std::filesystem::path& listings, StreamMessages& messages, std::ostream& standardOutput);

}  // namespace kalidos::batch
