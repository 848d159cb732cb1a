#include "batch_series.hpp"

#include <charconv>
#include <cmath>
#include <sstream>

#include "batch_calculation.hpp"
#include "batch_mixture.hpp"
#include "batch_refine.hpp"
#include "batch_structure.hpp"
#include "series/series_start.hpp"
#include "series_json.hpp"

namespace kalidos::batch {
namespace {

namespace fs = std::filesystem;

std::string number(double value)
{
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc() ? std::string(text, end) : std::string("?");
}

std::string atom_lists(const std::vector<AtomListOption>& lists)
{
    std::string text;
    for (const AtomListOption& list : lists) {
        text += std::to_string(list.phase) + ":";
        for (const std::string& atom : list.atoms)
            text += atom + ",";
        text += ";";
    }
    return text;
}

// Everything a record depends on, in one text: the settings of the refinement and of the
// calculation that the parameters' start values do not show, the phases and every parameter.
std::string settings_text(const BatchOptions& o, const std::vector<std::unique_ptr<Workspace>>& phases,
                          const std::vector<std::string>& names, const std::vector<RefinementParameter>& parameters)
{
    std::string stages;
    for (const std::vector<std::string>& stage : o.refine.stages) {
        for (const std::string& name : stage)
            stages += name + ",";
        stages += ";";
    }
    std::ostringstream text;
    text << "series " << (o.series.mode == SeriesMode::Sequential ? "sequential" : "independent") << " block "
         << o.series.block << "\nrefine " << stages << "\ncycles " << o.refine.cycles << "\nbackground "
         << o.backgroundOrder << "\nshare-b " << atom_lists(o.refine.sharedB) << "\noccupancy-sum "
         << atom_lists(o.refine.occupancySums) << "\nrange " << number(o.twoTheta1) << ' ' << number(o.twoTheta2)
         << "\nstep " << (o.step ? number(*o.step) : "") << "\nanomalous " << o.anomalous << "\nneutron " << o.neutron
         << "\nsynchrotron " << (o.synchrotron ? number(*o.synchrotron) : "") << "\nspace-group " << o.spaceGroup
         << '\n';
    for (std::size_t p = 0; p < phases.size(); ++p) {
        const WavelengthSet& w = phases[p]->model.wavelengths;
        text << "phase " << names[p] << " wavelengths";
        for (int k = 1; k <= w.count; ++k)
            text << ' ' << number(w.values[k]) << ':' << number(w.weights[k]);
        text << '\n';
    }
    for (const RefinementParameter& p : parameters)
        text << p.name << ' ' << number(p.value) << ' ' << p.refined << ' ' << p.constraint << '\n';
    return text.str();
}

RefinementRequest start_request(const BatchOptions& o, const std::vector<std::unique_ptr<Workspace>>& phases,
                                const std::vector<std::string>& names)
{
    RefinementRequest request = refinement_settings(o);
    for (std::size_t p = 0; p < phases.size(); ++p)
        request.phases.push_back({names[p], phases[p]->model});
    return request;
}

// The values refined against the diagram before put into the calculated phases, which are
// calculated again.
bool start_from(const SeriesRecord& previous, const BatchOptions& options,
                std::vector<std::unique_ptr<Workspace>>& workspaces, StreamMessages& messages)
{
    std::vector<StructureModel*> models;
    for (const auto& workspace : workspaces)
        models.push_back(&workspace->model);
    if (const std::string why = apply_series_values(previous.values, models); !why.empty()) {
        messages.note("cannot start from diagram " + std::to_string(previous.index) + ": " + why);
        return false;
    }
    for (const auto& workspace : workspaces)
        if (calculate_again(*workspace, options, messages) != kExitSuccess)
            return false;
    return true;
}

bool finite_result(const RefinementResult& r)
{
    for (const RefinementParameter& p : r.parameters)
        if (!std::isfinite(p.value) || !std::isfinite(p.su))
            return false;
    return std::isfinite(r.rwp) && std::isfinite(r.chi2);
}

SeriesDone refine_item(const SeriesSetup& setup, const SeriesItem& item, int index, const SeriesRecord* previous)
{
    SeriesDone done;
    SeriesRecord& record = done.record;
    record.index = index;
    record.item = item;
    record.settings = setup.settings;
    record.start = previous ? previous->index : 0;
    std::ostringstream ignored;
    StreamMessages messages(ignored, false);
    RefinementRun run;
    bool ok = item.unreadable.empty();
    try {
        BatchOptions options = setup.options;
        options.observed = {item.file};
        options.scan = item.scan;
        std::vector<const StructureModel*> models;
        for (const StructureModel& model : setup.models)
            models.push_back(&model);
        std::vector<std::unique_ptr<Workspace>> workspaces;
        ok = ok && calculate_models(models, options, setup.data, messages, workspaces) == kExitSuccess;
        ok = ok && (!previous || start_from(*previous, options, workspaces, messages));
        std::vector<Workspace*> phases;
        for (const auto& workspace : workspaces)
            phases.push_back(workspace.get());
        ok = ok && refine_phases(options, phases, setup.names, messages, run);
        if (ok && !finite_result(run.result)) {
            ok = false;
            messages.note("the refinement diverged: a value or a figure is not finite");
        }
    } catch (const std::exception& error) {
        ok = false;
        messages.note(error.what());
    }
    if (ok) {
        fill_series_record(run.result, record);
        ok = record.ok;
    } else {
        record.reason = !item.unreadable.empty()      ? item.unreadable
                        : messages.texts().empty() ? std::string("the refinement was refused")
                                                   : messages.texts().back();
    }
    done.line = series_record_line(record, messages.texts(), ok ? &run.result : nullptr, setup.options.series.curves);
    return done;
}

}  // namespace

bool prepare_series(const BatchOptions& options, const fs::path& data, std::vector<StructureModel> models,
                    std::vector<std::string> names, StreamMessages& messages, SeriesSetup& setup)
{
    setup.options = options;
    setup.options.observed.clear();
    setup.data = data;
    setup.models = std::move(models);
    setup.names = std::move(names);
    std::vector<const StructureModel*> start;
    for (const StructureModel& model : setup.models)
        start.push_back(&model);
    std::vector<std::unique_ptr<Workspace>> phases;
    if (calculate_models(start, setup.options, data, messages, phases) != kExitSuccess)
        return false;
    std::vector<RefinementParameter> parameters;
    if (const std::string why = refinement_parameters(start_request(setup.options, phases, setup.names), parameters);
        !why.empty()) {
        messages.note("The refinement is refused: " + why);
        return false;
    }
    setup.valueNames = series_value_names(parameters, phases.size());
    setup.settings = fingerprint(settings_text(setup.options, phases, setup.names, parameters));
    return true;
}

void run_series_chain(const SeriesSetup& setup, const std::vector<SeriesItem>& items, const std::vector<int>& chain,
                      const std::vector<const SeriesRecord*>& kept, const std::function<void(SeriesDone)>& done)
{
    SeriesRecord last;
    const SeriesRecord* previous = nullptr;
    const bool sequential = setup.options.series.mode == SeriesMode::Sequential;
    for (std::size_t k = 0; k < chain.size(); ++k) {
        if (const SeriesRecord* record = kept.at(k)) {
            if (record->ok)
                last = *record, previous = &last;
            continue;
        }
        SeriesDone refined = refine_item(setup, items.at(static_cast<std::size_t>(chain[k])), chain[k] + 1,
                                         sequential ? previous : nullptr);
        if (refined.record.ok)
            last = refined.record, previous = &last;
        done(std::move(refined));
    }
}

SeriesInputs series_inputs(const BatchOptions& options)
{
    SeriesInputs inputs;
    inputs.paths = options.observed;
    inputs.listFiles = options.series.listFiles;
    inputs.scan = options.scanGiven ? options.scan : 0;
    for (const std::string* output : {&options.jsonFile, &options.series.csvFile})
        if (!output->empty())
            inputs.excluded.push_back(*output);
    inputs.excluded.insert(inputs.excluded.end(), options.structureFiles.begin(), options.structureFiles.end());
    return inputs;
}

int run_series_models(const BatchOptions& options, const fs::path& data, std::vector<StructureModel> models,
                      std::vector<std::string> names, StreamMessages& messages, std::ostream& standardOutput,
                      SeriesTally& tally)
{
    SeriesSetup setup;
    if (!prepare_series(options, data, std::move(models), std::move(names), messages, setup))
        return kExitRefused;
    std::vector<SeriesItem> items;
    if (const std::string why = series_items(series_inputs(options), items, messages); !why.empty()) {
        messages.note("--series: " + why);
        return kExitRefused;
    }
    return run_series_files(setup, items, options.jobs, options.jsonFile, options.series.csvFile, options.overwrite,
                            messages, standardOutput, tally);
}

int run_series(const BatchOptions& options, const fs::path& data, StreamMessages& messages, std::ostream& standardOutput)
{
    std::vector<StructureModel> models;
    std::vector<std::string> names;
    for (std::size_t p = 0; p < options.structureFiles.size(); ++p) {
        BatchOptions phase = options_of_phase(options, p);
        phase.spaceGroup.clear();  // applied to the model as read, with each diagram's calculation
        std::unique_ptr<Workspace> workspace = make_memory_workspace();
        const LoadResult loaded = load_structure(*workspace, phase, data, messages);
        if (loaded != LoadResult::Loaded)
            return loaded == LoadResult::UsageError ? kExitUsage : kExitRefused;
        models.push_back(workspace->model);
        names.push_back(fs::path(options.structureFiles[p]).filename().string());
    }
    SeriesTally tally;
    const int status =
        run_series_models(options, data, std::move(models), std::move(names), messages, standardOutput, tally);
    if (options.jsonFile != "-" && tally.kept + tally.refined > 0)
        standardOutput << options.jsonFile << ": " << tally.kept + tally.refined << " diagrams, " << tally.refined
                       << " refined in this run, " << tally.kept << " from the run before, " << tally.failed
                       << " failed\n";
    return status;
}

}  // namespace kalidos::batch
