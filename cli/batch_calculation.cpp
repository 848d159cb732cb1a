#include "batch_calculation.hpp"

#include "batch_observed.hpp"
#include "batch_radiation.hpp"
#include "batch_structure.hpp"
#include "computation/calculation_driver.hpp"
#include "computation/pattern_grid.hpp"
#include "entry/headless_host.hpp"

namespace kalidos::batch {
namespace {

int exit_status(SetupResult result)
{
    switch (result) {
    case SetupResult::Done: return kExitSuccess;
    case SetupResult::Refused: return kExitRefused;
    case SetupResult::UsageError: return kExitUsage;
    }
    return kExitRefused;
}

// "Calcul.": complete when every pass ran and the profile was drawn.
bool calculate(Workspace& workspace, StreamMessages& messages)
{
    HeadlessCalculationHost host(workspace.model, messages);
    recalcule(workspace, host, messages);
    return host.completed() && workspace.results.pattern.pointCount > 0;
}

}  // namespace

std::unique_ptr<Workspace> make_memory_workspace()
{
    std::unique_ptr<Workspace> workspace = make_workspace("");
    workspace->model.scratchInMemory = true;
    return workspace;
}

int prepare_experiment(Workspace& workspace, const BatchOptions& options, const std::filesystem::path& dataDirectory,
                       StreamMessages& messages)
{
    int status = exit_status(set_radiation_and_range(workspace, options, messages));
    if (status == kExitSuccess && !options.anomalous.empty())
        status = exit_status(read_anomalous_table(workspace, options.anomalous, dataDirectory, messages));
    for (const std::string& file : options.observed)
        if (status == kExitSuccess && !read_observed_diagram(workspace, file, options.scan, messages))
            status = kExitRefused;
    return status;
}

int calculate_loaded(Workspace& workspace, const BatchOptions& options, const std::filesystem::path& dataDirectory,
                     StreamMessages& messages)
{
    const int status = prepare_experiment(workspace, options, dataDirectory, messages);
    return status == kExitSuccess ? calculate_again(workspace, options, messages) : status;
}

int calculate_again(Workspace& workspace, const BatchOptions& options, StreamMessages& messages)
{
    if (!calculate(workspace, messages))
        return kExitRefused;
    if (options.step && !fill_pattern_grid(workspace, *options.step)) {
        messages.note("The step gives no point in the 2-theta range");
        return kExitRefused;
    }
    return kExitSuccess;
}

int load_and_calculate(Workspace& workspace, const BatchOptions& options, const std::filesystem::path& dataDirectory,
                       StreamMessages& messages)
{
    const LoadResult loaded = load_structure(workspace, options, dataDirectory, messages);
    if (loaded != LoadResult::Loaded)
        return loaded == LoadResult::UsageError ? kExitUsage : kExitRefused;
    return calculate_loaded(workspace, options, dataDirectory, messages);
}

}  // namespace kalidos::batch
