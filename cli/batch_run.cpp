#include "batch_run.hpp"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

#include "batch_calculation.hpp"
#include "batch_compare.hpp"
#include "batch_find_cell.hpp"
#include "batch_identify.hpp"
#include "batch_instrument.hpp"
#include "batch_many.hpp"
#include "batch_mixture.hpp"
#include "batch_refine.hpp"
#include "batch_series.hpp"
#include "batch_structure.hpp"
#include "diagram_files/diagram_writers.hpp"
#include "model/workspace.hpp"
#include "result_json.hpp"
#include "util/data_files.hpp"

namespace kalidos::batch {
namespace {

namespace fs = std::filesystem;

// The window's start-up check of its data files: each missing file replaces the message of
// an earlier one, and a missing file ends the program.
bool check_data_files(const fs::path& dataDirectory, StreamMessages& messages)
{
    static const std::pair<const char*, const char*> files[] = {{"spgr2.dat", "File spgr2.dat not found"},
                                                                {"brcow.an", "File Brcow.an not found"},
                                                                {"Sasaki.an", "File Sasaki.an not found"},
                                                                {"csp.lst", "File Csp.lst not found"}};
    std::string pending;
    for (const auto& [name, message] : files)
        if (!data_file_exists(dataDirectory, name))
            pending = message;
    if (pending.empty())
        return true;
    beep_and_warn(messages, pending + " (in " + dataDirectory.string() + ")");
    return false;
}

// The listings folder is the run's start directory: listings and scratch files go there.
// Old listings are deleted first, as at the window's start-up.
bool prepare_listings_directory(const fs::path& directory, StreamMessages& messages)
{
    std::error_code error;
    fs::create_directories(directory, error);
    if (!fs::is_directory(directory)) {
        messages.note("Cannot use the listings folder " + directory.string());
        return false;
    }
    for (const char* name : {"fstr2.out", "fstr.out"})
        fs::remove(directory / name, error);
    return true;
}

// The diagram window's Save items; an existing file is replaced only with --overwrite.
bool export_diagram(const Workspace& workspace, const std::string& file, StreamMessages& messages)
{
    const std::string kind = export_kind(file);
    if (kind == "sim")
        return export_diag_sim(workspace, messages, file);
    if (kind == "cpi")
        return ecrit_cpi(workspace, messages, file);
    return ecrit_cpd(workspace, messages, file);
}

// The document's contents; a refinement's comparison and object when it succeeded.
JsonContents refined_contents(const BatchOptions& options, bool refined, int status, const RefinementRun& refinement)
{
    JsonContents contents = json_contents(options);
    contents.agreementList = options.compare || refined;
    if (refined && status == kExitSuccess)
        contents.refinement = &refinement.result;
    return contents;
}

bool write_json(const std::string& target, const Workspace& workspace, const JsonContents& contents,
                StreamMessages& messages, std::ostream& standardOutput)
{
    if (target == "-") {
        write_result_json(standardOutput, workspace, messages.texts(), contents);
        return static_cast<bool>(standardOutput.flush());
    }
    std::ofstream file(target, std::ios::binary);
    if (file)
        write_result_json(file, workspace, messages.texts(), contents);
    if (!file || !file.flush()) {
        messages.note("Cannot write " + target);
        return false;
    }
    return true;
}

// --refine of --cell-phase phases alone: the command line's radiation, range and profile in a
// workspace that holds the observed diagram, nothing calculated.
int run_cell_phases(const BatchOptions& options, const fs::path& data, const fs::path& listings,
                    StreamMessages& messages, std::ostream& standardOutput)
{
    std::unique_ptr<Workspace> workspace = make_workspace(listings.string());
    int status = prepare_experiment(*workspace, options, data, messages);
    RefinementRun refinement;
    if (status == kExitSuccess)
        status = refine_cell_phases(*workspace, options, messages, refinement);
    if (status == kExitSuccess && !options.saveInstrumentFile.empty() &&
        !save_instrument(workspace->model, options, instrument_comment(options, true), messages))
        status = kExitRefused;
    if (!options.jsonFile.empty() &&
        !write_json(options.jsonFile, *workspace, refined_contents(options, true, status, refinement), messages,
                    standardOutput))
        status = kExitRefused;
    return status;
}

}  // namespace

int run_batch(const BatchOptions& options, StreamMessages& messages, std::ostream& standardOutput)
{
    const fs::path data = fs::absolute(options.dataDirectory);
    const fs::path listings = fs::absolute(options.listingsDirectory.empty() ? fs::current_path()
                                                                              : fs::path(options.listingsDirectory));
    if (!check_data_files(data, messages))
        return kExitRefused;
    if (options.identification.active())
        return run_identification(options, data, messages, standardOutput);
    if (options.indexing.active())
        return run_find_cell(options, data, messages, standardOutput);
    if (options.series.active)
        return run_series(options, data, messages, standardOutput);
    if (several_structures(options))
        return run_many(options, data, messages, standardOutput);
    if (!prepare_listings_directory(listings, messages))
        return kExitRefused;
    if (options.phases.mixture())
        return run_mixture(options, data, listings, messages, standardOutput);
    if (options.structureFile.empty() && !options.refine.cellPhases.empty())
        return run_cell_phases(options, data, listings, messages, standardOutput);
    if (options.listBlocks)
        return list_cif_blocks(options, messages, standardOutput);
    std::unique_ptr<Workspace> workspace = make_workspace(listings.string());

    const LoadResult loaded = load_structure(*workspace, options, data, messages);
    if (loaded != LoadResult::Loaded)
        return loaded == LoadResult::UsageError ? kExitUsage : kExitRefused;
    if (options.operatorsOnly) {
        print_operators(workspace->model, standardOutput);
        return workspace->model.operatorCount > 0 ? kExitSuccess : kExitRefused;
    }
    int status = calculate_loaded(*workspace, options, data, messages);
    RefinementRun refinement;
    const bool refined = status == kExitSuccess && options.refine.active();
    if (refined)
        status = refine_structure(*workspace, options, messages, refinement);
    if (status == kExitSuccess && !options.exportFile.empty() && !export_diagram(*workspace, options.exportFile, messages))
        status = kExitRefused;
    if (status == kExitSuccess && options.compare && !compare_with_observed(*workspace, options, messages))
        status = kExitRefused;
    if (status == kExitSuccess && !options.exportXy.empty() && !export_columns(*workspace, options.exportXy, messages))
        status = kExitRefused;
    if (status == kExitSuccess && !options.saveInstrumentFile.empty() &&
        !save_instrument(workspace->model, options, instrument_comment(options, refined), messages))
        status = kExitRefused;
    if (!options.jsonFile.empty() &&
        !write_json(options.jsonFile, *workspace, refined_contents(options, refined, status, refinement), messages,
                    standardOutput))
        status = kExitRefused;
    return status;
}

}  // namespace kalidos::batch
