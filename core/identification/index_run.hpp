// Indexing a library: every structure file below a folder calculated once, several at once, and
// stored in the library index; files unchanged since the last run are not calculated again.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "identification/library_index.hpp"

namespace kalidos {

struct IndexRunSettings {
    int jobs = 1;          // files calculated at once
    bool rebuild = false;  // calculate every file again, changed or not
    // Called after each file, under a lock, with the files done and the files to do.
    std::function<void(std::size_t done, std::size_t total)> progress;
};

struct IndexRunReport {
    std::size_t files = 0;       // structure files found
    std::size_t calculated = 0;  // of them read and calculated in this run (refused ones included)
    std::size_t unchanged = 0;   // kept as the index held them
    std::size_t removed = 0;     // files the index held that have gone
    long long structures = 0;    // entries in the index after the run
    std::vector<RefusedFile> refused;  // every file of the library that could not be indexed, with why
};

// The structure files (.cry .ins .inp .res .cel .lzy .cif) below `folder`, recursively, sorted.
std::vector<std::filesystem::path> library_files(const std::filesystem::path& folder);

// The default index of a library folder: a file inside it.
std::filesystem::path default_index_file(const std::filesystem::path& folder);

// The entries of every structure block of `file`; empty with `reason` when none can be made.
std::vector<LibraryEntry> index_structure_file(const std::filesystem::path& file,
                                               const std::filesystem::path& dataDirectory, std::string& reason);

// Indexes `files` into `index`, committing every few files so that an interrupted run keeps what
// was done; the index's files not in `files` are removed. IndexError (the index file refused a
// write) ends the run.
IndexRunReport index_files(const std::vector<std::filesystem::path>& files, LibraryIndex& index,
                           const std::filesystem::path& dataDirectory, const IndexRunSettings& settings);

}  // namespace kalidos
