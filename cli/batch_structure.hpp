// Reading the structure file and applying its space group, as File › Open does.
#pragma once

#include <filesystem>
#include <ostream>

#include "batch_options.hpp"
#include "model/workspace.hpp"
#include "stream_messages.hpp"

namespace kalidos::batch {

enum class LoadResult { Loaded, Refused, UsageError };

// The reader of the format (--format, or the extension), then the group named by the file
// looked up and applied from the catalogue or the standard settings, then the element table.
// `--space-group` then replaces the group.
LoadResult load_structure(Workspace& workspace, const BatchOptions& options, const std::filesystem::path& dataDirectory,
                          StreamMessages& messages);

// Applies `symbol` (H-M or Hall) as the space-group dialog applies a group chosen in its
// lists; false when the symbol is unknown for the crystal system (reported).
bool apply_space_group(StructureModel& model, const std::string& symbol, const std::filesystem::path& dataDirectory,
                       StreamMessages& messages);

// The operator texts of the group applied, one per line.
void print_operators(const StructureModel& model, std::ostream& out);

}  // namespace kalidos::batch
