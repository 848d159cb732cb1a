// Several structures with the same settings, each calculated alone, several at once.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "batch_options.hpp"
#include "stream_messages.hpp"

namespace kalidos::batch {

// One structure's record: its JSON, with its messages.
struct StructureRecord {
    std::string line;      // on one line, for JSON Lines
    std::string document;  // indented, when asked for
    std::vector<std::string> messages;
    int status = 1;
};

// One structure alone, with `settings` and `file` in place of settings.structureFile: its own
// workspace in memory, messages and listings (written in `listings` when not empty). The record's
// indented document is written only when `indentedToo`.
StructureRecord calculate_record(const BatchOptions& settings, const std::string& file,
                                 const std::filesystem::path& dataDirectory, const std::filesystem::path& listings,
                                 bool indentedToo = false);

// Each structure is calculated in memory, `options.jobs` at a time. Records go out in input order:
// JSON Lines to --json, one document per structure to --out-dir, listings to a folder per
// structure under --listings. One structure's failure is told in its own record and the others
// go on. A progress bar goes to standard error when it is a terminal. Returns the exit status:
// success when every structure was calculated.
int run_many(const BatchOptions& options, const std::filesystem::path& dataDirectory, StreamMessages& messages,
             std::ostream& standardOutput);

// The command line's files followed by those of --list (one per line, blank lines skipped).
std::optional<std::vector<std::string>> structure_file_list(const BatchOptions& options, StreamMessages& messages);

// The progress bar on standard error: "[####    ] done/total", drawn over the last one.
void draw_progress(std::size_t done, std::size_t total);

// Output names, one per file: its stem, then _2, _3 ... where a stem comes again.
std::vector<std::string> output_stems(const std::vector<std::string>& files);

}  // namespace kalidos::batch
