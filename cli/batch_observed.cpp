#include "batch_observed.hpp"

#include "batch_calculation.hpp"  // for make_memory_workspace
#include "batch_radiation.hpp"    // for anode_item_index

#include "diagram_files/diagram_import.hpp"
#include "diagram_files/measured_import.hpp"
#include "diagram_files/measured_readers.hpp"
#include "readers/reader_text.hpp"  // for file_name_only
#include "readers/profile_lines.hpp"  // for setting_number
#include "wavelengths/anode_lines.hpp"

namespace kalidos::batch {

namespace {

// The run's first wavelength; without one (a search of the diagram's peaks alone), the Kα1 line of
// the anode the file names without its lines ("Anode: Cu"), said.
double run_or_anode_wavelength(const Workspace& workspace, const MeasuredDiagram& diagram, StreamMessages& messages)
{
    const double run = workspace.model.wavelengths.values[1];
    const int item = diagram.wavelengths.anode.empty() ? -1 : anode_item_index(diagram.wavelengths.anode + "Ka1");
    if (run > 0 || item <= kMultipleWavelengthsItem)
        return run;
    const double line = anode_line_table()[static_cast<std::size_t>(item)].lambda;
    messages.note(file_name_only(diagram.fileName) + " names its anode, " + diagram.wavelengths.anode +
                  ", without its lines: Kα1 " + setting_number(line) + " Å is taken (--lambda, --anode or --mixture choose another)");
    return line;
}

// Any other format, recognised by its content; a file without wavelength takes the run's first.
bool read_measured_diagram(Workspace& workspace, const std::string& fileName, int scan, StreamMessages& messages)
{
    auto diagram = std::make_shared<MeasuredDiagram>();
    if (!read_measured_file(fileName, *diagram, messages))
        return false;
    diagram->fileName = fileName;
    if (!diagram->wavelengths.stated())
        give_wavelengths(*diagram, {run_or_anode_wavelength(workspace, *diagram, messages), 0, 0, 1, "?"});
    return add_measured_diagram(workspace, messages, std::move(diagram), scan - 1).status == ImportStatus::Added;
}

// A Rietveld file; one without its wavelength takes the run's first.
bool read_rietveld_file(Workspace& workspace, Messages& messages, const std::string& fileName)
{
    const int kind = static_cast<int>(DiagramKind::Rietveld);
    ImportResult result = lit_diagramme(workspace, messages, kind, fileName);
    if (result.status == ImportStatus::WavelengthNeeded) {
        ScanWavelengths given;
        given.meanLambda = workspace.model.wavelengths.values[1];
        given.ratio = 1;
        given.anode = "?";
        result = complete_rietveld_import(workspace, messages, given);
    }
    return result.status == ImportStatus::Added;
}

}  // namespace

bool read_observed_diagram(Workspace& workspace, const std::string& fileName, int scan, StreamMessages& messages)
{
    const int kind = described_diagram_kind(fileName);
    if (kind != 0 && scan != 1) {
        messages.note(file_name_only(fileName) + ": the file holds 1 scan, not a scan " + std::to_string(scan));
        return false;
    }
    if (kind == 0)
        return read_measured_diagram(workspace, fileName, scan, messages);
    if (kind != static_cast<int>(DiagramKind::Rietveld))
        return lit_diagramme(workspace, messages, kind, fileName).status == ImportStatus::Added;
    // .dat is also the usual name of plain x-y columns: such a file is read as columns, and the
    // Rietveld reader's refusal stands only when the columns cannot be read either.
    DeferredMessages asRietveld(messages);
    if (read_rietveld_file(workspace, asRietveld, fileName)) {
        asRietveld.replay();
        return true;
    }
    MeasuredDiagram columns;
    SilentMessages asColumns;
    if (read_measured_file(fileName, columns, asColumns))
        return read_measured_diagram(workspace, fileName, scan, messages);
    asRietveld.replay();
    return false;
}

MeasuredWavelengths given_wavelengths(const BatchOptions& options)
{
    MeasuredWavelengths given;
    if (options.lambda) {
        given.lambda1 = *options.lambda;
    } else if (!options.mixture.empty()) {
        given.lambda1 = options.mixture.front().lambda;
        if (options.mixture.size() > 1 && options.mixture.front().intensity > 0) {
            given.lambda2 = options.mixture[1].lambda;
            given.ratio = options.mixture[1].intensity / options.mixture.front().intensity;
        }
    } else if (const int item = options.anode.empty() ? -1 : anode_item_index(options.anode);
               item > kMultipleWavelengthsItem) {
        given.lambda1 = anode_line_table()[static_cast<std::size_t>(item)].lambda;
    }
    return given;
}

MeasuredWavelengths chosen_wavelengths(const BatchOptions& options)
{
    return options.radiationGiven ? given_wavelengths(options) : MeasuredWavelengths{};
}

bool read_measured_scan(const std::string& fileName, int scan, const std::filesystem::path& dataDirectory,
                        const MeasuredWavelengths& given, StreamMessages& messages, MeasuredScan& points,
                        MeasuredWavelengths& wavelengths)
{
    std::unique_ptr<Workspace> workspace = make_memory_workspace();
    workspace->model.dataDirectory = dataDirectory.string();
    if (!read_observed_diagram(*workspace, fileName, scan, messages))
        return false;
    const ObservedSlot& slot = workspace->observed.slots[1];
    if (workspace->observed.count < 1 || !slot.measured) {
        messages.note(fileName + ": the diagram keeps no points of its own to search");
        return false;
    }
    points = slot.measured->scans.at(static_cast<std::size_t>(slot.scan));
    wavelengths = given.stated() ? given : slot.measured->wavelengths;
    if (!wavelengths.stated())
        wavelengths.lambda1 = slot.lambda;
    if (!(wavelengths.lambda1 > 0)) {
        messages.note(fileName + ": the file states no wavelength: give it with --lambda, --anode or --mixture");
        return false;
    }
    return true;
}

}  // namespace kalidos::batch
