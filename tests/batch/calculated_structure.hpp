// A structure file calculated in this process as kalidos-batch calculates it, for the tests that look
// at the workspace rather than at the program's output.
#pragma once

#include <filesystem>
#include <memory>

#include "batch_options.hpp"
#include "model/workspace.hpp"

namespace kalidos::testing {

// An example structure of the repository (examples/NAME).
std::filesystem::path example_structure(const char* name);

// `file` read and calculated with `settings` in a workspace that keeps its listings in memory; the
// calculation is expected to succeed (a failure is reported with the program's messages).
std::unique_ptr<Workspace> calculated_structure(const std::filesystem::path& file, const batch::BatchOptions& settings);

}  // namespace kalidos::testing
