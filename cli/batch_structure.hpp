// Reading the structure file and applying its space group, as File › Open does.
#pragma once

#include <filesystem>
#include <ostream>

#include "batch_options.hpp"
#include "model/workspace.hpp"
#include "stream_messages.hpp"

namespace kalidos::batch {

enum class LoadResult { Loaded, Refused, UsageError };

// File › Open with the format of --format or the extension, the block of --block for a CIF
// with several (the first without it): the reader, the group named by the file looked up and
// applied, the element table. `--space-group` then replaces the group.
LoadResult load_structure(Workspace& workspace, const BatchOptions& options, const std::filesystem::path& dataDirectory,
                          StreamMessages& messages);

// Applies `symbol` (H-M or Hall) as the space-group dialog applies a group chosen in its
// lists; false when the symbol is unknown for the crystal system (reported).
bool apply_space_group(StructureModel& model, const std::string& symbol, const std::filesystem::path& dataDirectory,
                       StreamMessages& messages);

// --list-blocks: the structure blocks of a CIF, numbered as --block counts them, one per line.
// Returns the exit status.
int list_cif_blocks(const BatchOptions& options, StreamMessages& messages, std::ostream& out);

// The format named by --format, or by the extension; empty when neither names one.
std::string structure_format(const BatchOptions& options);

// The operator texts of the group applied, one per line.
void print_operators(const StructureModel& model, std::ostream& out);

}  // namespace kalidos::batch
