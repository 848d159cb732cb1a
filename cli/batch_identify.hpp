// kalidos-batch --index and --identify: the library index of a folder of structure files, and the
// phases of a measured diagram searched in it. Both write their report as one JSON document.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>

#include "batch_options.hpp"
#include "stream_messages.hpp"

namespace kalidos::batch {

// --index DIR: indexes the folder into --index-file (by default a file inside it), `options.jobs` files
// at once, with a progress bar on standard error when `progress`. Unreadable files are told through
// `messages` and in the report. Returns the exit status; `json` receives the report and `summary`
// one line of it.
int index_library(const BatchOptions& options, const std::filesystem::path& dataDirectory, StreamMessages& messages,
                  bool progress, std::string& json, std::string& summary);

// --identify: the peaks, the ranked candidates and the phases of the --observed diagram in the
// index of --index-file. Returns the exit status; `json` receives the report.
int identify_diagram(const BatchOptions& options, const std::filesystem::path& dataDirectory,
                     StreamMessages& messages, std::string& json);

// Either run, with its report written to --json ("-": standard output) or, for --index without
// --json, its summary printed.
int run_identification(const BatchOptions& options, const std::filesystem::path& dataDirectory,
                       StreamMessages& messages, std::ostream& standardOutput);

}  // namespace kalidos::batch
