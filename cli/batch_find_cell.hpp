// kalidos-batch --find-cell: the cells that index the peaks of a measured diagram (found by the
// identification's peak search) or of a peak-list file, as one JSON document.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>

#include "batch_options.hpp"
#include "indexing/cell_indexing.hpp"
#include "model/peak_list.hpp"
#include "stream_messages.hpp"

namespace kalidos::batch {

// The peak list of the run: --peaks read, or the peaks of the --observed diagram (Kα2 partners left
// out, heights as intensities). A 2θ list stating no wavelength takes --lambda's or --anode's first
// line. False (told) when there is none to index.
bool find_cell_peaks(const BatchOptions& options, const std::filesystem::path& dataDirectory, StreamMessages& messages,
                     PeakList& peaks);

// The whole run: `json` receives the report. Returns the exit status.
int find_cell(const BatchOptions& options, const std::filesystem::path& dataDirectory, StreamMessages& messages,
              std::string& json);

// find_cell with the report written to --json ("-": standard output), or a table of the cells
// printed without --json.
int run_find_cell(const BatchOptions& options, const std::filesystem::path& dataDirectory, StreamMessages& messages,
                  std::ostream& standardOutput);

}  // namespace kalidos::batch
