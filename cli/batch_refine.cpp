#include "batch_refine.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "batch_calculation.hpp"
#include "comparison/agreement_report.hpp"
#include "comparison/calculated_points.hpp"
#include "computation/listing_files.hpp"
#include "diagram_files/save_target.hpp"
#include "readers/profile_lines.hpp"  // for setting_number
#include "refinement/cell_phase.hpp"
#include "refinement_output/extracted_intensities.hpp"
#include "refinement_output/refined_cif.hpp"
#include "refinement_output/refined_phase_files.hpp"

namespace kalidos::batch {
namespace {

namespace fs = std::filesystem;

// The phase of a --cell-phase: the cell and group with the instrument of `instrument`'s model.
std::string cell_phase(const BatchOptions& options, const CellPhaseOption& option, const Workspace& instrument,
                       RefinementPhase& phase)
{
    phase.name = option.text;
    return cell_only_phase(instrument.model, option.cell, option.group, fs::absolute(options.dataDirectory),
                           phase.model);
}

// The request of the structure phases and the cell phases after them; `instrument` holds the
// observed diagram and the radiation and profile the cell phases take. Empty text, or why a cell
// phase is refused.
std::string request_of(const BatchOptions& options, const std::vector<Workspace*>& phases,
                       const std::vector<std::string>& names, const Workspace& instrument, RefinementRequest& request)
{
    request = refinement_settings(options);
    for (std::size_t p = 0; p < phases.size(); ++p)
        request.phases.push_back({names[p], phases[p]->model, options.refine.method(p, phases.size())});
    for (const CellPhaseOption& option : options.refine.cellPhases) {
        RefinementPhase phase;
        if (const std::string why = cell_phase(options, option, instrument, phase); !why.empty())
            return "--cell-phase \"" + option.text + "\": " + why;
        phase.intensities = options.refine.method(request.phases.size(), phases.size());
        request.phases.push_back(std::move(phase));
    }
    const ObservedSlot& slot = instrument.observed.slots[1];
    request.observed = slot.measured->scans.at(static_cast<std::size_t>(slot.scan));
    const CalculatedRange range = calculated_range(instrument);
    const bool calculated = range.high > range.low;  // else the range entered, as the calculation takes it
    request.low = calculated ? range.low : instrument.model.enteredTwoTheta1;
    request.high = calculated ? range.high : instrument.model.enteredTwoTheta2;
    return {};
}

// A range left to its default (the calculation's) may leave out much of a measured diagram: said.
void note_range_left_out(const RefinementRequest& request, StreamMessages& messages)
{
    const std::vector<double>& x = request.observed.twoTheta;
    if (x.empty())
        return;
    const auto [low, high] = std::minmax_element(x.begin(), x.end());
    const double margin = 0.5;  // degrees: a point or two beyond the range is no loss
    if (*low < request.low - margin || *high > request.high + margin)
        messages.note("The refinement covers the calculation's range, " + setting_number(request.low) + "–" +
                      setting_number(request.high) + "°, of the diagram's " + setting_number(*low) + "–" +
                      setting_number(*high) + "°: --range chooses another");
}

}  // namespace

RefinementRequest refinement_settings(const BatchOptions& options)
{
    RefinementRequest request;
    request.backgroundOrder = options.backgroundOrder;
    request.stages = options.refine.stages;
    request.cycles = options.refine.cycles;
    for (const AtomListOption& list : options.refine.sharedB)
        request.sharedB.push_back({list.phase - 1, list.atoms});
    for (const AtomListOption& list : options.refine.occupancySums)
        request.occupancySums.push_back({list.phase - 1, list.atoms});
    return request;
}

bool refine_phases(const BatchOptions& options, const std::vector<Workspace*>& phases,
                   const std::vector<std::string>& names, StreamMessages& messages, RefinementRun& run,
                   const Workspace* instrument)
{
    const Workspace& first = instrument ? *instrument : *phases.front();
    const ObservedSlot& slot = first.observed.slots[1];
    if (first.observed.count < 1 || !slot.measured) {
        messages.note("--refine: the observed diagram keeps no points of its own to refine against");
        return false;
    }
    RefinementRequest request;
    std::string why = request_of(options, phases, names, first, request);
    if (!why.empty()) {
        messages.note(why);
        return false;
    }
    if (!options.rangeGiven)
        note_range_left_out(request, messages);
    std::vector<CycleRecord> cycles;
    why = refine(request, run.result, [&cycles](const RefinementResult& now) { cycles.push_back(cycle_record(now)); });
    if (!why.empty()) {
        messages.note(slot.fileName + ": the refinement is refused: " + why);
        return false;
    }
    run.cycles = std::move(cycles);
    if (options.refine.intensitiesFile.empty())  // a structure phase's intensities only when asked for
        for (RefinedPhase& phase : run.result.phases)
            if (phase.method == IntensityMethod::Structure)
                phase.reflections.clear();
    for (const std::string& note : run.result.notes)
        messages.note(note);
    for (const RefinementStage& stage : run.result.stages)
        for (const std::string& note : stage.notes)
            messages.note(note);
    const bool free = std::any_of(request.phases.begin(), request.phases.end(),
                                  [](const RefinementPhase& p) { return p.intensities != IntensityMethod::Structure; });
    run.listing = refinement_listing(std::string(free ? "Refinement" : "Rietveld refinement") + " against " + slot.fileName + " (scan " +
                                         std::to_string(slot.scan + 1) + ")",
                                     run.result, run.cycles);
    return true;
}

bool calculate_refined(const BatchOptions& options, const RefinementRun& run, const std::vector<Workspace*>& phases,
                       StreamMessages& messages)
{
    for (std::size_t p = 0; p < phases.size(); ++p) {
        Workspace& workspace = *phases[p];
        const StructureModel& refined = run.result.phases.at(p).refined;
        workspace.model = refined;
        if (calculate_again(workspace, options, messages) != kExitSuccess)
            return false;
    }
    return true;
}

Agreement refined_agreement(const RefinementRun& run, const ObservedSlot& slot)
{
    const RefinementResult& r = run.result;
    Agreement a;
    a.fileName = slot.fileName;
    a.scan = slot.scan;
    a.points = r.points;
    a.parameters = r.refinedCount;
    if (!r.phases.empty())
        a.scale = r.phases.front().scale;
    if (const RefinementParameter* zero = r.find("zero"))
        a.zeroShift = {zero->value, zero->su};
    for (int k = 0; const RefinementParameter* term = r.find("bkg" + std::to_string(k)); ++k)
        a.background.push_back({term->value, term->su});
    const RefinementCurves& c = r.curves;
    if (!c.twoTheta.empty())
        a.interval = {c.twoTheta.front(), c.twoTheta.back()};
    a.rp = r.rp, a.rwp = r.rwp, a.rexp = r.rexp, a.chi2 = r.chi2;
    a.curves = {c.twoTheta, c.observed, c.calculated, c.background, c.sigma, c.sigma};  // weighed as the figures
    return a;
}

bool write_refined_cifs(const BatchOptions& options, const RefinementRun& run, StreamMessages& messages)
{
    const RefinementResult& r = run.result;
    for (std::size_t p = 0; p < r.phases.size(); ++p) {
        const RefinedPhase& phase = r.phases[p];
        const RefinementFigures figures = refined_phase_figures(r, p);
        const std::string name = refined_phase_file_name(options.refine.cifFile, p, r.phases.size());
        const std::optional<std::string> target = choose_target([&name] { return name; }, "", messages);
        if (!target || !write_target(*target, refined_cif_text(phase.refined, fs::path(phase.name).stem().string(),
                                                               refined_phase_uncertainties(phase), figures),
                                     messages))
            return false;
    }
    return true;
}

bool write_extracted_intensities(const BatchOptions& options, const RefinementRun& run, StreamMessages& messages)
{
    const RefinementResult& r = run.result;
    const std::string& chosen = options.refine.intensitiesFile;
    const bool hklf = fs::path(chosen).extension() == ".hkl" || fs::path(chosen).extension() == ".HKL";
    for (std::size_t p = 0; p < r.phases.size(); ++p) {
        const RefinedPhase& phase = r.phases[p];
        const std::string name = refined_phase_file_name(chosen, p, r.phases.size());
        const std::optional<std::string> target = choose_target([&name] { return name; }, "", messages);
        const std::string text = hklf ? hklf4_text(phase)
                                      : refln_cif_text(phase, fs::path(phase.name).stem().string(),
                                                       refined_phase_uncertainties(phase), refined_phase_figures(r, p));
        if (!target || !write_target(*target, text, messages))
            return false;
    }
    return true;
}

bool append_to_brief_listing(Workspace& workspace, const std::string& text, StreamMessages& messages)
{
    if (workspace.model.scratchInMemory) {
        workspace.briefListing += text;
        return true;
    }
    const fs::path path = fs::path(workspace.model.startDirectory) / kShortListingName;
    std::ofstream out(path, std::ios::app | std::ios::binary);
    out << text;
    if (out.flush())
        return true;
    messages.note("Cannot write the refinement into " + path.string());
    return false;
}

namespace {

// The refinement's listing appended to the workspace's fstr.out, and the CIFs and intensities asked for.
bool write_refinement_files(Workspace& workspace, const BatchOptions& options, const RefinementRun& run,
                            StreamMessages& messages)
{
    return append_to_brief_listing(workspace, "\n" + run.listing, messages) &&
           (options.refine.cifFile.empty() || write_refined_cifs(options, run, messages)) &&
           (options.refine.intensitiesFile.empty() || write_extracted_intensities(options, run, messages));
}

}  // namespace

}  // namespace kalidos::batch

namespace kalidos::batch {

int refine_structure(Workspace& workspace, const BatchOptions& options, StreamMessages& messages, RefinementRun& run)
{
    const std::vector<Workspace*> phases{&workspace};
    const std::string name = std::filesystem::path(options.structureFile).filename().string();
    if (!refine_phases(options, phases, {name}, messages, run) || !calculate_refined(options, run, phases, messages))
        return kExitRefused;
    workspace.agreements = {refined_agreement(run, workspace.observed.slots[1])};
    if (!report_agreements(workspace, workspace.agreements, messages))
        return kExitRefused;
    return write_refinement_files(workspace, options, run, messages) ? kExitSuccess : kExitRefused;
}

int refine_cell_phases(Workspace& instrument, const BatchOptions& options, StreamMessages& messages,
                       RefinementRun& run)
{
    if (!refine_phases(options, {}, {}, messages, run, &instrument))
        return kExitRefused;
    // The first cell phase's refined model carries the refined instrument (zero, profile, asymmetry)
    // that --save-instrument writes.
    instrument.model = run.result.phases.front().refined;
    return write_refinement_files(instrument, options, run, messages) ? kExitSuccess : kExitRefused;
}

}  // namespace kalidos::batch
