// kalidos-batch with --fractions or --fit-fractions: the structure files as the phases of one sample.
#pragma once

#include <filesystem>
#include <ostream>

#include "batch_options.hpp"
#include "stream_messages.hpp"

namespace kalidos::batch {

// Calculates every phase with the shared settings and its own, makes the mixture, fits the weight
// fractions when asked, writes the listings into `listings` (each phase's under a line naming it)
// and the JSON or, without --json, a table of the phases on standard output. Returns the exit status.
int run_mixture(const BatchOptions& options, const std::filesystem::path& dataDirectory,
                const std::filesystem::path& listings, StreamMessages& messages, std::ostream& standardOutput);

}  // namespace kalidos::batch
