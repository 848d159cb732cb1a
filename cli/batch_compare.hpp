// --compare and --export-xy of a headless run.
#pragma once

#include "batch_options.hpp"
#include "model/workspace.hpp"
#include "stream_messages.hpp"

namespace kalidos::batch {

// Fits each observed diagram against the calculation (--fit, --background), keeps the
// agreements in the workspace and appends their figures to the results list and fstr.out.
// False when no diagram could be compared (the reasons have been reported).
bool compare_with_observed(Workspace& workspace, const BatchOptions& options, StreamMessages& messages);

// The columns of --export-xy: after a comparison those of the first diagram compared, else
// the calculated diagram. An existing file is replaced only with --overwrite.
bool export_columns(const Workspace& workspace, const std::string& file, StreamMessages& messages);

}  // namespace kalidos::batch
