// The JSON document of a run: the structure as calculated, the results, the observed diagrams.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "batch_options.hpp"
#include "geometry/bonds.hpp"
#include "json_writer.hpp"
#include "model/workspace.hpp"
#include "refinement/refinement.hpp"

namespace kalidos::batch {

// What a document holds beyond the calculation: the comparisons made (agreement, after the
// observed diagrams), the bonds of the asymmetric unit (bonds, after the atoms) by the rule
// given, and a refinement's object (refinement_json.hpp).
struct JsonContents {
    bool agreementList = false;
    std::optional<BondRule> bonds;  // none: no bonds
    const RefinementResult* refinement = nullptr;
};
JsonContents json_contents(const BatchOptions& options);

// Writes title, crystal_system, space_group, cell, operators, atoms, wavelengths,
// reflections (MergedReflections in order), peaks (PeakTable), pattern, observed and
// messages, and what `contents` adds. Result tables that the run did not fill are written empty.
void write_result_json(std::ostream& out, const Workspace& workspace, const std::vector<std::string>& messages,
                       const JsonContents& contents = {});

// The same fields after "file" (the input named), "ok" and "exit_status", appended to `out`:
// one structure of a run over several.
void write_result_record(std::string& out, JsonLayout layout, const std::string& file, int exitStatus,
                         const Workspace& workspace, const std::vector<std::string>& messages,
                         const JsonContents& contents = {});

}  // namespace kalidos::batch
