// The radiation, the wavelengths, the range and the resolution curve of a headless run.
#pragma once

#include <filesystem>

#include "batch_options.hpp"
#include "model/workspace.hpp"
#include "stream_messages.hpp"

namespace kalidos::batch {

enum class SetupResult { Done, Refused, UsageError };

// The source dialog's choice (tube p = 0.5, synchrotron p, or neutrons), then the wavelengths
// through the window's own routines: the anode list's set_lambda, the λ edit's single
// wavelength, or the composition dialog's lit_composition. The range is stored in both
// units as the limit edits store it, and U, V, W as typed.
SetupResult set_radiation_and_range(Workspace& workspace, const BatchOptions& options, StreamMessages& messages);

// "Read Anomalous Factors" with the table brcow.an or Sasaki.an of `dataDirectory`.
SetupResult read_anomalous_table(Workspace& workspace, const std::string& table,
                                 const std::filesystem::path& dataDirectory, StreamMessages& messages);

// The 0-based index of an anode-list item, compared without regard to case; -1 when none.
int anode_item_index(const std::string& item);

}  // namespace kalidos::batch
