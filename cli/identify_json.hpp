// The JSON reports of --index and --identify.
#pragma once

#include <string>
#include <vector>

#include "identification/identification.hpp"
#include "identification/index_run.hpp"

namespace kalidos::batch {

// {"index_file", "files", "calculated", "unchanged", "removed", "structures", "refused": [{file, reason}],
//  "messages"}
void write_index_json(std::string& out, const std::string& indexFile, const IndexRunReport& report,
                      const std::vector<std::string>& messages);

// {"observed", "index_file", "peaks": [{two_theta, d, height, fwhm}],
//  "candidates": [{rank, file, block, formula, group, score, coverage, accuracy, explained, rwp, fraction}],
//  "phases": [{file, block, formula, group, fraction}], "rwp", "messages"}
// Candidates not fitted to the whole diagram have rwp and fraction null.
void write_identification_json(std::string& out, const std::string& observed, const std::string& indexFile,
                               const Identification& found, const std::vector<LibraryEntry>& entries,
                               const std::vector<std::string>& messages);

}  // namespace kalidos::batch
