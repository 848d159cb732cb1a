#include "batch_mixture.hpp"

#include <algorithm>
#include <fstream>

#include "batch_calculation.hpp"
#include "batch_compare.hpp"
#include "batch_instrument.hpp"
#include "batch_refine.hpp"
#include "batch_structure.hpp"
#include "computation/cell_metric.hpp"
#include "comparison/calculated_points.hpp"
#include "computation/pattern_grid.hpp"
#include "mixture_json.hpp"
#include "util/pascal_format.hpp"

namespace kalidos::batch {
namespace {

namespace fs = std::filesystem;

bool calculate_phases(const BatchOptions& options, const fs::path& data, StreamMessages& messages, MixtureRun& run)
{
    for (std::size_t i = 0; i < options.structureFiles.size(); ++i) {
        auto workspace = make_memory_workspace();
        if (load_and_calculate(*workspace, options_of_phase(options, i), data, messages) != kExitSuccess)
            return false;
        run.workspaces.push_back(std::move(workspace));
    }
    return true;
}

bool make_phases(const BatchOptions& options, const std::vector<std::string>& names, StreamMessages& messages,
                 MixtureRun& run)
{
    for (std::size_t i = 0; i < run.workspaces.size(); ++i) {
        const double fraction = options.phases.fractions.empty() ? 1.0 : options.phases.fractions[i];
        MixturePhase phase;
        std::string why;
        if (!make_mixture_phase(*run.workspaces[i], names[i], fraction, phase, why)) {
            messages.note(why);
            return false;
        }
        if (run.refinement)
            phase.fraction = run.refinement->phases.at(i).fraction.value;
        run.phases.push_back(std::move(phase));
    }
    normalise_fractions(run.phases);
    return true;
}

// --refine: the phases refined together and calculated again; the fit reported as a comparison of
// the first phase's workspace, whose columns --export-xy writes.
bool refine_mixture(const BatchOptions& options, const std::vector<std::string>& names, StreamMessages& messages,
                    MixtureRun& run)
{
    std::vector<Workspace*> phases;
    for (const auto& workspace : run.workspaces)
        phases.push_back(workspace.get());
    RefinementRun refinement;
    if (!refine_phases(options, phases, names, messages, refinement) ||
        !calculate_refined(options, refinement, phases, messages))
        return false;
    Workspace& first = *run.workspaces.front();
    first.agreements = {refined_agreement(refinement, first.observed.slots[1])};
    run.refinement = refinement.result;
    run.refinementListing = refinement.listing;
    if (!options.refine.intensitiesFile.empty() && !write_extracted_intensities(options, refinement, messages))
        return false;
    if (!options.refine.cifFile.empty() && !write_refined_cifs(options, refinement, messages))
        return false;
    return options.exportXy.empty() || export_columns(first, options.exportXy, messages);
}

bool fit_fractions(const BatchOptions& options, StreamMessages& messages, MixtureRun& run)
{
    const Workspace& first = *run.workspaces.front();
    const ObservedSlot& slot = first.observed.slots[1];
    if (first.observed.count < 1 || !slot.measured) {
        messages.note("--fit-fractions: the observed diagram keeps no points of its own to fit");
        return false;
    }
    PhaseFitSettings settings;
    settings.backgroundOrder = options.backgroundOrder;
    const auto asked = [&](const char* name) { return std::count(options.fit.begin(), options.fit.end(), name) > 0; };
    settings.fitSize = asked("size");
    settings.fitCell = asked("cell");
    const CalculatedRange range = calculated_range(first);
    PhaseFit fit;
    const std::string why = fit_phases(slot.measured->scans.at(static_cast<std::size_t>(slot.scan)), range.low,
                                       range.high, run.phases, settings, fit);
    if (!why.empty()) {
        messages.note(slot.fileName + ": " + why);
        return false;
    }
    for (std::size_t p = 0; p < run.phases.size(); ++p) {
        run.phases[p].fraction = fit.phases[p].fraction.value;
        run.phases[p].sizeNm = fit.phases[p].sizeNm.value;
        run.phases[p].cellScale = fit.phases[p].cellScale.value;
    }
    for (const std::string& note : fit.notes)
        messages.note(note);
    run.fit = std::move(fit);
    return true;
}

}  // namespace

bool mixture_quantities(const BatchOptions& options, const std::vector<MixturePhase>& phases,
                        const fs::path& dataDirectory, StreamMessages& messages, PhaseQuantities& quantities)
{
    const QuantitySettings settings{options.phases.brindley, options.phases.standard - 1,
                                    options.phases.standardPercent / 100};
    std::shared_ptr<const MassAttenuationTable> table;
    std::string error;
    if (settings.particleDiameter > 0 && !(table = mass_attenuation_table(dataDirectory, error))) {
        messages.note("--brindley: " + error);
        return false;
    }
    const std::string why = phase_quantities(phases, settings, table.get(), quantities);
    if (!why.empty()) {
        messages.note("--brindley, --standard: " + why);
        return false;
    }
    for (const std::string& note : quantities.notes)
        messages.note(note);
    return true;
}

namespace {

// --brindley and --standard: the fractions corrected for microabsorption and the amorphous content.
bool work_out_quantities(const BatchOptions& options, StreamMessages& messages, MixtureRun& run)
{
    PhaseQuantities quantities;
    if (!mixture_quantities(options, run.phases, run.data, messages, quantities))
        return false;
    run.quantities = std::move(quantities);
    return true;
}

std::vector<double> pattern_angles(const BatchOptions& options, const Workspace& first)
{
    if (options.step)
        return uniform_grid(first.model.twoTheta1, first.model.twoTheta2, *options.step);
    const CalculatedPattern& pattern = first.results.pattern;
    return std::vector<double>(pattern.angles, pattern.angles + pattern.pointCount);
}

bool write_listings(const MixtureRun& run, const fs::path& listings, StreamMessages& messages)
{
    const MixtureListings texts = mixture_listings(run);
    std::ofstream detailed(listings / "fstr2.out", std::ios::binary), brief(listings / "fstr.out", std::ios::binary);
    detailed << texts.detailed;
    brief << texts.brief;
    if (detailed.flush() && brief.flush())
        return true;
    messages.note("Cannot write the listings fstr.out and fstr2.out in " + listings.string());
    return false;
}

void print_table(const MixtureRun& run, std::ostream& out)
{
    out << "phase  file                            fraction\n";
    for (std::size_t p = 0; p < run.phases.size(); ++p) {
        std::string name = run.phases[p].name.substr(0, 30);
        name.resize(30, ' ');
        out << fmt_fixed(static_cast<double>(p + 1), 5, 0) << "  " << name << "  " << fmt_fixed(run.phases[p].fraction, 0, 4);
        if (run.fit)
            out << " +- " << fmt_fixed(run.fit->phases[p].fraction.su, 0, 4);
        if (run.refinement)
            out << " +- " << fmt_fixed(run.refinement->phases.at(p).fraction.su, 0, 4);
        if (run.quantities && !run.quantities->brindley.empty())
            out << "  Brindley " << fmt_fixed(run.quantities->brindley[p], 0, 4);
        if (run.quantities && !run.quantities->absolute.empty())
            out << "  of the sample " << fmt_fixed(run.quantities->absolute[p], 0, 4);
        out << '\n';
    }
    if (run.quantities && !run.quantities->absolute.empty())
        out << "amorphous " << fmt_fixed(run.quantities->amorphous, 0, 4) << '\n';
    const Agreement* figures = run.fit ? &run.fit->agreement
                               : run.refinement ? &run.workspaces.front()->agreements.front()
                                                : nullptr;
    if (figures)
        out << "Rwp " << fmt_fixed(100 * figures->rwp, 0, 2) << " %  Rexp " << fmt_fixed(100 * figures->rexp, 0, 2)
            << " %  chi2 " << fmt_fixed(figures->chi2, 0, 3) << '\n';
}

bool write_json_to(const std::string& target, const BatchOptions& options, const MixtureRun& run,
                   StreamMessages& messages, std::ostream& standardOutput)
{
    if (target == "-") {
        write_mixture_json(standardOutput, run, messages.texts(), options.phases);
        return static_cast<bool>(standardOutput.flush());
    }
    std::ofstream file(target, std::ios::binary);
    if (file)
        write_mixture_json(file, run, messages.texts(), options.phases);
    if (file && file.flush())
        return true;
    messages.note("Cannot write " + target);
    return false;
}

}  // namespace

BatchOptions options_of_phase(const BatchOptions& o, std::size_t i)
{
    BatchOptions p = o;
    p.structureFile = o.structureFiles[i];
    p.structureFiles = {p.structureFile};
    p.phases = {};
    if (i != 0)
        p.observed.clear();
    if (!o.phases.sizes.empty())
        p.profile.sizeNm = o.phases.sizes[i];
    if (!o.phases.strains.empty())
        p.profile.strainPercent = o.phases.strains[i];
    for (const auto& [phase, preferred] : o.phases.preferred)
        if (phase == static_cast<int>(i + 1))
            p.sample.preferred = preferred;
    return p;
}

int calculate_models(const std::vector<const StructureModel*>& models, const BatchOptions& options,
                     const fs::path& data, StreamMessages& messages, std::vector<std::unique_ptr<Workspace>>& workspaces)
{
    for (std::size_t p = 0; p < models.size(); ++p) {
        std::unique_ptr<Workspace> workspace = make_memory_workspace();
        workspace->model = *models[p];
        workspace->model.scratchInMemory = true;
        workspace->model.startDirectory.clear();
        compute_cell_metric(workspace->model);
        if (!options.spaceGroup.empty() && !apply_space_group(workspace->model, options.spaceGroup, data, messages))
            return kExitRefused;
        const int status = calculate_loaded(*workspace, options_of_phase(options, p), data, messages);
        if (status != kExitSuccess)
            return status;
        workspaces.push_back(std::move(workspace));
    }
    return kExitSuccess;
}

bool complete_mixture(const BatchOptions& options, const std::vector<std::string>& names, StreamMessages& messages,
                      MixtureRun& run)
{
    if (options.refine.active() && !refine_mixture(options, names, messages, run))
        return false;
    if (!make_phases(options, names, messages, run))
        return false;
    if (options.phases.fitFractions && !fit_fractions(options, messages, run))
        return false;
    if ((options.phases.brindley > 0 || options.phases.standard > 0) && !work_out_quantities(options, messages, run))
        return false;
    run.scales = hill_howard_scales(run.phases);
    run.curves = mixture_curves(run.phases, run.scales, pattern_angles(options, *run.workspaces.front()));
    return true;
}

// The table of fstr.out after the phases' listings: absorption, τ and the corrected fractions.
std::string quantities_listing(const MixtureRun& run)
{
    const PhaseQuantities& q = *run.quantities;
    std::string text = "\nWeight fractions beside the phases' absorption\n";
    text += "Phase  mu (1/cm)  density   tau     fraction  Brindley  of sample\n";
    for (std::size_t p = 0; p < run.phases.size(); ++p) {
        const bool brindley = !q.brindley.empty();
        text += fmt_fixed(static_cast<double>(p + 1), 5, 0) +
                (brindley ? fmt_fixed(q.absorption[p].mu, 11, 2) + fmt_fixed(q.absorption[p].density, 9, 3) +
                                fmt_fixed(q.tau[p], 8, 4)
                          : std::string(28, ' ')) +
                fmt_fixed(run.phases[p].fraction, 10, 4) + (brindley ? fmt_fixed(q.brindley[p], 10, 4) : std::string(10, ' ')) +
                (q.absolute.empty() ? std::string() : fmt_fixed(q.absolute[p], 11, 4)) + "\n";
    }
    if (!q.brindley.empty())
        text += "Mean absorption of the solid " + fmt_fixed(q.meanMu, 0, 2) + " 1/cm\n";
    if (!q.absolute.empty())
        text += "Amorphous (or unseen) " + fmt_fixed(q.amorphous, 0, 4) + "\n";
    return text;
}

MixtureListings mixture_listings(const MixtureRun& run)
{
    MixtureListings texts;
    for (std::size_t p = 0; p < run.phases.size(); ++p) {
        const std::string heading = "Phase " + std::to_string(p + 1) + ": " + run.phases[p].name + "\n";
        texts.detailed += heading + run.workspaces[p]->detailedListing + '\n';
        texts.brief += heading + run.workspaces[p]->briefListing + '\n';
    }
    texts.brief += run.refinementListing;
    if (run.quantities)
        texts.brief += quantities_listing(run);
    return texts;
}

int run_mixture(const BatchOptions& options, const fs::path& dataDirectory, const fs::path& listings,
                StreamMessages& messages, std::ostream& standardOutput)
{
    MixtureRun run;
    run.data = dataDirectory;
    std::vector<std::string> names;
    for (const std::string& file : options.structureFiles)
        names.push_back(fs::path(file).filename().string());
    if (!calculate_phases(options, dataDirectory, messages, run) || !complete_mixture(options, names, messages, run))
        return kExitRefused;
    int status = write_listings(run, listings, messages) ? kExitSuccess : kExitRefused;
    if (status == kExitSuccess && !options.saveInstrumentFile.empty() &&
        !save_instrument(run.workspaces.front()->model, options, instrument_comment(options, options.refine.active()),
                         messages))
        status = kExitRefused;
    if (options.jsonFile.empty())
        print_table(run, standardOutput);
    else if (!write_json_to(options.jsonFile, options, run, messages, standardOutput))
        status = kExitRefused;
    return status;
}

}  // namespace kalidos::batch
