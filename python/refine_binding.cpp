// kalidos.refine: structures refined against a measured diagram as kalidos-batch --refine does it.
#include <sstream>

#include <pybind11/stl.h>

#include "batch_calculation.hpp"
#include "batch_instrument.hpp"
#include "batch_mixture.hpp"
#include "batch_refine.hpp"
#include "bindings.hpp"
#include "refinement_json.hpp"

namespace py = pybind11;

namespace kalidos::python {
namespace {

py::dict curve_arrays(const RefinementCurves& c)
{
    py::list phases;
    for (const std::vector<double>& values : c.phases)
        phases.append(array_of(values));
    return py::dict(py::arg("two_theta") = array_of(c.twoTheta), py::arg("observed") = array_of(c.observed),
                    py::arg("calculated") = array_of(c.calculated), py::arg("background") = array_of(c.background),
                    py::arg("difference") = array_of(c.difference), py::arg("sigma") = array_of(c.sigma),
                    py::arg("phases") = phases);
}

// --brindley, --standard of several phases: each phase's quantities beside its refined fraction.
py::object quantities_of(const batch::BatchOptions& options, const batch::RefinementRun& run,
                         const std::vector<std::unique_ptr<Workspace>>& workspaces,
                         const std::filesystem::path& dataDirectory, batch::StreamMessages& messages, bool& refused)
{
    if (!(options.phases.brindley > 0 || options.phases.standard > 0))
        return py::none();
    std::vector<MixturePhase> phases(workspaces.size());
    for (std::size_t p = 0; p < workspaces.size(); ++p) {
        std::string why;
        if (!make_mixture_phase(*workspaces[p], run.result.phases.at(p).name, run.result.phases.at(p).fraction.value,
                                phases[p], why)) {
            messages.note(why);
            refused = true;
            return py::none();
        }
    }
    PhaseQuantities q;
    if (!batch::mixture_quantities(options, phases, dataDirectory, messages, q)) {
        refused = true;
        return py::none();
    }
    py::dict d;
    if (!q.brindley.empty()) {
        std::vector<double> mu, density;
        for (const PhaseAbsorption& a : q.absorption)
            mu.push_back(a.mu), density.push_back(a.density);
        d["absorption"] = mu, d["density"] = density, d["tau"] = q.tau, d["fraction_brindley"] = q.brindley;
        d["particle_diameter"] = options.phases.brindley, d["mean_absorption"] = q.meanMu;
    }
    if (!q.absolute.empty())
        d["fraction_of_sample"] = q.absolute, d["amorphous"] = q.amorphous;
    d["notes"] = q.notes;
    return d;
}

py::dict refinement_result(const batch::RefinementRun& run, const std::vector<std::unique_ptr<Workspace>>& workspaces,
                           const std::vector<std::string>& messages)
{
    std::string json;
    {
        batch::JsonWriter writer(json);
        writer.begin_object();
        batch::write_refinement(writer, run.result);
        writer.end_object();
    }
    py::dict result = py::module_::import("json").attr("loads")(json)["refinement"];
    result["curves"] = curve_arrays(run.result.curves);
    py::list structures;
    for (const auto& workspace : workspaces) {
        Structure refined;
        *refined.model = workspace->model;
        structures.append(refined);
    }
    result["structures"] = structures;
    result["listing"] = run.listing;
    result["messages"] = messages;
    return result;
}

py::dict refine_structures(const std::vector<Structure>& structures, const std::vector<std::string>& arguments,
                           const std::string& data)
{
    std::vector<std::string> files;
    for (std::size_t p = 0; p < structures.size(); ++p)
        files.push_back("phase" + std::to_string(p + 1));
    batch::BatchOptions options = parse_settings(arguments, files);
    const std::filesystem::path dataDirectory = data_directory(data);
    options.dataDirectory = dataDirectory.string();  // the symmetry files a cell phase's group is read from
    std::ostringstream ignored;
    batch::StreamMessages messages(ignored, false);
    std::vector<std::unique_ptr<Workspace>> workspaces;
    batch::RefinementRun run;
    bool done = false;
    {
        py::gil_scoped_release released;
        std::vector<std::string> names;
        std::vector<Workspace*> phases;
        for (std::size_t p = 0; p < structures.size(); ++p)
            names.push_back(phase_name(structures[p], p));
        if (structures.empty()) {  // cell phases alone
            workspaces.push_back(batch::make_memory_workspace());
            done = batch::prepare_experiment(*workspaces.front(), options, dataDirectory, messages) ==
                       batch::kExitSuccess &&
                   batch::refine_cell_phases(*workspaces.front(), options, messages, run) == batch::kExitSuccess;
        } else {
            done = calculate_phases(structures, options, dataDirectory, messages, workspaces) == batch::kExitSuccess;
            for (const auto& workspace : workspaces)
                phases.push_back(workspace.get());
            done = done && batch::refine_phases(options, phases, names, messages, run) &&
                   batch::calculate_refined(options, run, phases, messages) &&
                   (options.refine.intensitiesFile.empty() || batch::write_extracted_intensities(options, run, messages));
        }
    }
    bool refused = false;
    py::object quantities = done ? quantities_of(options, run, workspaces, dataDirectory, messages, refused) : py::none();
    refused = refused || (done && !options.saveInstrumentFile.empty() &&
                          !batch::save_instrument(workspaces.front()->model, options,
                                                  batch::instrument_comment(options, true), messages));
    if (!done || refused)
        raise_error(messages.texts(), "The refinement was refused");
    py::dict result = refinement_result(run, workspaces, messages.texts());
    result["quantities"] = quantities;
    return result;
}

}  // namespace

void bind_refine(py::module_& module)
{
    module.def("_refine", &refine_structures, py::arg("structures"), py::arg("arguments"), py::arg("data") = "");
}

}  // namespace kalidos::python
