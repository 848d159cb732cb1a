#include "batch_find_cell.hpp"

#include <fstream>

#include <cmath>
#include <memory>

#include "batch_calculation.hpp"  // for the exit statuses and the experiment
#include "refinement/cell_phase.hpp"
#include "batch_observed.hpp"
#include "diagram_files/peak_list_reader.hpp"
#include "find_cell_json.hpp"
#include "indexing/observed_lines.hpp"

namespace kalidos::batch {
namespace {

namespace fs = std::filesystem;

bool peaks_of_diagram(const BatchOptions& options, const fs::path& data, StreamMessages& messages, PeakList& peaks)
{
    MeasuredScan scan;
    MeasuredWavelengths wavelengths;
    if (!read_measured_scan(options.observed.front(), options.scan, data, chosen_wavelengths(options), messages, scan,
                            wavelengths))
        return false;
    PeakSearchSettings search;
    search.sensitivity = options.identification.sensitivity;
    search.wavelengths = wavelengths;
    peaks = peaks_to_index(scan, search);
    return true;
}

}  // namespace

bool find_cell_peaks(const BatchOptions& options, const fs::path& data, StreamMessages& messages, PeakList& peaks)
{
    std::string error;
    if (options.indexing.peaksFile.empty())
        return peaks_of_diagram(options, data, messages, peaks);
    if (!read_peak_list_file(options.indexing.peaksFile, peaks, error)) {
        messages.note(error);
        return false;
    }
    return true;
}

namespace {

struct Indexed {
    PeakList peaks;
    IndexingLines lines;
    IndexingResult result;
};

// The group of a lattice's full symmetry with its centring: the reflections any group of the lattice
// may show, none that the centring forbids.
std::string holohedral_group(const FoundCell& cell)
{
    const std::string c(1, cell.centring());
    switch (cell.system()) {
    case LatticeSystem::Cubic: return c + " m -3 m";
    case LatticeSystem::Tetragonal: return c + " 4/m m m";
    case LatticeSystem::Hexagonal: return cell.centring() == 'R' ? "R -3 m" : "P 6/m m m";
    case LatticeSystem::Orthorhombic: return c + " m m m";
    case LatticeSystem::Monoclinic: return c + " 1 2/m 1";
    case LatticeSystem::Triclinic: break;
    }
    return "P -1";
}

// The check of the best cells against the diagram itself: a short Le Bail fit of each, with the
// radiation, range and profile of the command line. Unset when the peaks come from a list.
WholePatternCheck le_bail_check(const BatchOptions& options, const fs::path& data, StreamMessages& messages,
                                std::shared_ptr<Workspace>& instrument)
{
    if (!options.indexing.peaksFile.empty() || options.indexing.settings.checked == 0)
        return {};
    instrument = make_memory_workspace();
    if (prepare_experiment(*instrument, options, data, messages) != kExitSuccess || instrument->observed.count < 1 ||
        !instrument->observed.slots[1].measured)
        return {};
    const ObservedSlot& slot = instrument->observed.slots[1];
    const MeasuredScan& scan = slot.measured->scans.at(static_cast<std::size_t>(slot.scan));
    const Workspace& model = *instrument;
    return [&scan, &model, data](const FoundCell& cell) -> std::optional<double> {
        const UnitCell& u = cell.fit.cell;
        CellParameters parameters;
        parameters.a = u.a, parameters.b = u.b, parameters.c = u.c;
        parameters.alpha = u.alpha, parameters.beta = u.beta, parameters.gamma = u.gamma;
        const LeBailCellFit fit = le_bail_cell_fit(scan, model.model, parameters, holohedral_group(cell), data);
        if (!fit.why.empty() || !std::isfinite(fit.rwp))
            return std::nullopt;
        return fit.rwp;
    };
}

int index_peaks(const BatchOptions& options, const fs::path& data, StreamMessages& messages, Indexed& run)
{
    if (!find_cell_peaks(options, data, messages, run.peaks))
        return kExitRefused;
    std::string error;
    if (!indexing_lines(run.peaks, given_wavelengths(options).lambda1, run.lines, error)) {
        messages.note((options.indexing.peaksFile.empty() ? options.observed.front() : options.indexing.peaksFile) +
                      ": " + error);
        return kExitRefused;
    }
    IndexingSettings settings = options.indexing.settings;
    std::shared_ptr<Workspace> instrument;  // the check's radiation, profile and diagram
    settings.wholePatternCheck = le_bail_check(options, data, messages, instrument);
    run.result = find_cells(run.lines, settings);
    return kExitSuccess;
}

std::string report_json(const BatchOptions& options, const Indexed& run, StreamMessages& messages)
{
    FindCellReport report;
    report.source = options.indexing.peaksFile.empty() ? options.observed.front() : options.indexing.peaksFile;
    report.peaks = &run.peaks;
    report.lines = &run.lines;
    report.settings = &options.indexing.settings;
    report.result = &run.result;
    std::string json;
    write_find_cell_json(json, report, messages.texts());
    return json;
}

}  // namespace

int find_cell(const BatchOptions& options, const fs::path& data, StreamMessages& messages, std::string& json)
{
    Indexed run;
    const int status = index_peaks(options, data, messages, run);
    if (status == kExitSuccess)
        json = report_json(options, run, messages);
    return status;
}

int run_find_cell(const BatchOptions& options, const fs::path& data, StreamMessages& messages,
                  std::ostream& standardOutput)
{
    Indexed run;
    const int status = index_peaks(options, data, messages, run);
    if (status != kExitSuccess)
        return status;
    if (options.jsonFile.empty()) {
        standardOutput << find_cell_table(run.result);
        return standardOutput.flush() ? kExitSuccess : kExitRefused;
    }
    return write_to(options.jsonFile, report_json(options, run, messages), messages, standardOutput) ? kExitSuccess
                                                                                                      : kExitRefused;
}

}  // namespace kalidos::batch
