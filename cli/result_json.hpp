// The JSON document of a run: the structure as calculated, the results, the observed diagrams.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "json_writer.hpp"
#include "model/workspace.hpp"
#include "refinement/refinement.hpp"

namespace kalidos::batch {

// Writes title, crystal_system, space_group, cell, operators, atoms, wavelengths,
// reflections (MergedReflections in order), peaks (PeakTable), pattern, observed and
// messages; with `agreementList`, the comparisons made (agreement) after the observed
// diagrams; with `refinement`, its object (refinement_json.hpp). Result tables that the run did not
// fill are written empty.
void write_result_json(std::ostream& out, const Workspace& workspace, const std::vector<std::string>& messages,
                       bool agreementList = false, const RefinementResult* refinement = nullptr);

// The same fields after "file" (the input named), "ok" and "exit_status", appended to `out`:
// one structure of a run over several.
void write_result_record(std::string& out, JsonLayout layout, const std::string& file, int exitStatus,
                         const Workspace& workspace, const std::vector<std::string>& messages,
                         bool agreementList = false);

}  // namespace kalidos::batch
