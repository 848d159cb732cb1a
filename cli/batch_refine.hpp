// kalidos-batch --refine: the calculated structures refined against the observed diagram, and what
// the refinement gives: the refined structures calculated again, the agreement, the listing and CIFs.
#pragma once

#include <string>
#include <vector>

#include "batch_options.hpp"
#include "model/workspace.hpp"
#include "refinement_output/refinement_listing.hpp"
#include "stream_messages.hpp"

namespace kalidos::batch {

struct RefinementRun {
    RefinementResult result;
    std::vector<CycleRecord> cycles;  // one per finished cycle
    std::string listing;              // the text appended to fstr.out
};

// The refinement's settings of the command line (background order, stages, cycles, shared B and
// occupancy sums) in a request without phases or points.
RefinementRequest refinement_settings(const BatchOptions& options);

// Refines the phases (each workspace calculated), named `names`, and after them the cell phases of
// --cell-phase, as options.refine asks. `instrument` (by default the first phase) holds the observed
// diagram and the radiation and profile a cell phase starts from. False, with the reason told
// through `messages` and the workspaces as they were, when the refinement is refused.
bool refine_phases(const BatchOptions& options, const std::vector<Workspace*>& phases,
                   const std::vector<std::string>& names, StreamMessages& messages, RefinementRun& run,
                   const Workspace* instrument = nullptr);

// Puts each phase's refined structure and profile into its workspace and calculates it again.
bool calculate_refined(const BatchOptions& options, const RefinementRun& run, const std::vector<Workspace*>& phases,
                       StreamMessages& messages);

// The refined fit as a comparison reports it: scale (the first phase's), zero shift, background,
// figures and curves at the points used.
Agreement refined_agreement(const RefinementRun& run, const ObservedSlot& slot);

// Writes each refined phase as a CIF (refined_phase_file_name); an existing file is replaced only with
// --overwrite. False, with a message, when a file is not written.
bool write_refined_cifs(const BatchOptions& options, const RefinementRun& run, StreamMessages& messages);

// --refine of one structure: refines it, calculates it again, makes its agreement the workspace's
// (reported as a comparison's), appends the listing to fstr.out and writes the CIF asked for.
// Returns the exit status.
int refine_structure(Workspace& workspace, const BatchOptions& options, StreamMessages& messages, RefinementRun& run);

// --refine with only --cell-phase phases: `instrument` (the radiation, profile and observed diagram
// of the command line, nothing calculated) gives their start; the listing goes to its fstr.out, the
// CIFs and intensities are written as asked, and its model becomes the first phase's refined one.
// Returns the exit status.
int refine_cell_phases(Workspace& instrument, const BatchOptions& options, StreamMessages& messages,
                       RefinementRun& run);

// --write-intensities: each phase's extracted intensities (HKLF 4 when the file ends in .hkl, else the
// refined CIF with a _refln loop), one file per phase as --write-cif names them.
bool write_extracted_intensities(const BatchOptions& options, const RefinementRun& run, StreamMessages& messages);

// Appends `text` to the workspace's fstr.out (in memory or in its start directory).
bool append_to_brief_listing(Workspace& workspace, const std::string& text, StreamMessages& messages);

}  // namespace kalidos::batch
