#include "batch_identify.hpp"

#include <unistd.h>

#include <fstream>
#include <iostream>

#include "batch_calculation.hpp"
#include "batch_many.hpp"
#include "batch_observed.hpp"
#include "identification/identification.hpp"
#include "identification/index_run.hpp"
#include "identify_json.hpp"

namespace kalidos::batch {
namespace {

namespace fs = std::filesystem;

fs::path index_file_of(const IdentifyOptions& o)
{
    return o.indexFile.empty() ? default_index_file(o.indexFolder) : fs::path(o.indexFile);
}

// The index, or a fresh one in place of a damaged one when --rebuild says so.
std::unique_ptr<LibraryIndex> open_index(const fs::path& file, bool rebuild, StreamMessages& messages)
{
    std::string error;
    std::unique_ptr<LibraryIndex> index = LibraryIndex::open(file, error);
    if (!index && rebuild && fs::is_regular_file(file)) {
        messages.note(error);
        messages.note("Rebuilding " + file.string());
        std::error_code ignored;
        fs::remove(file, ignored);
        error.clear();
        index = LibraryIndex::open(file, error);
    }
    if (!index)
        messages.note(error + (fs::is_regular_file(file) && !rebuild ? " (--index with --rebuild replaces it)" : ""));
    return index;
}

}  // namespace

int index_library(const BatchOptions& options, const fs::path& data, StreamMessages& messages, bool progress,
                  std::string& json, std::string& summary)
{
    const IdentifyOptions& o = options.identification;
    if (!fs::is_directory(o.indexFolder)) {
        messages.note("Cannot read the folder " + o.indexFolder);
        return kExitRefused;
    }
    const fs::path file = index_file_of(o);
    std::unique_ptr<LibraryIndex> index = open_index(file, o.rebuild, messages);
    if (!index)
        return kExitRefused;
    IndexRunSettings settings;
    settings.jobs = options.jobs;
    settings.rebuild = o.rebuild;
    if (progress)
        settings.progress = [](std::size_t done, std::size_t total) { draw_progress(done, total); };
    IndexRunReport report;
    try {
        report = index_files(library_files(o.indexFolder), *index, data, settings);
    } catch (const IndexError& error) {
        if (progress)
            std::cerr << '\n';
        messages.note(error.what());
        return kExitRefused;
    }
    if (progress && report.calculated > 0)
        std::cerr << '\n';
    for (const RefusedFile& refused : report.refused)
        messages.note(refused.file + ": " + refused.reason);
    write_index_json(json, file.string(), report, messages.texts());
    summary = file.string() + ": " + std::to_string(report.structures) + " structures from " +
              std::to_string(report.files - report.refused.size()) + " of " + std::to_string(report.files) +
              " files (" + std::to_string(report.calculated) + " read in this run, " +
              std::to_string(report.unchanged) + " unchanged, " + std::to_string(report.removed) + " gone)\n";
    return kExitSuccess;
}

int identify_diagram(const BatchOptions& options, const fs::path& data, StreamMessages& messages, std::string& json)
{
    const IdentifyOptions& o = options.identification;
    std::string error;
    if (!fs::is_regular_file(o.indexFile)) {
        messages.note("Cannot open the library index " + o.indexFile);
        return kExitRefused;
    }
    std::unique_ptr<LibraryIndex> index = open_index(o.indexFile, false, messages);
    if (!index)
        return kExitRefused;
    IdentifySettings settings;
    settings.sensitivity = o.sensitivity;
    settings.listed = o.top;
    settings.elements = parse_element_filter(o.elements, error).value_or(ElementFilter{});
    MeasuredScan scan;
    MeasuredWavelengths wavelengths;
    if (!read_measured_scan(options.observed.front(), options.scan, data, chosen_wavelengths(options), messages, scan,
                            wavelengths))
        return kExitRefused;
    std::vector<LibraryEntry> entries;
    try {
        entries = index->entries();
    } catch (const IndexError& failure) {
        messages.note(std::string(failure.what()) + ": index the library again to rebuild it");
        return kExitRefused;
    }
    const Identification found = identify_phases(scan, wavelengths, entries, settings, data);
    for (const std::string& note : found.notes)
        messages.note(note);
    write_identification_json(json, options.observed.front(), o.indexFile, found, entries, messages.texts());
    return kExitSuccess;
}

int run_identification(const BatchOptions& options, const fs::path& data, StreamMessages& messages,
                       std::ostream& standardOutput)
{
    std::string json, summary;
    const bool indexing = !options.identification.indexFolder.empty();
    const int status = indexing ? index_library(options, data, messages, isatty(STDERR_FILENO) != 0, json, summary)
                                : identify_diagram(options, data, messages, json);
    if (status != kExitSuccess)
        return status;
    if (options.jsonFile.empty()) {
        standardOutput << summary;
        return kExitSuccess;
    }
    return write_to(options.jsonFile, json, messages, standardOutput) ? kExitSuccess : kExitRefused;
}

}  // namespace kalidos::batch
