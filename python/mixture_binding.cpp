// kalidos.calculate of several structures: the phases of one sample, as kalidos-batch calculates
// them with --fractions or --fit-fractions.
#include <sstream>

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include "batch_calculation.hpp"
#include "batch_instrument.hpp"
#include "batch_mixture.hpp"
#include "bindings.hpp"

namespace py = pybind11;

namespace kalidos::python {
namespace {

using batch::BatchOptions;
using batch::MixtureRun;
using batch::StreamMessages;

py::dict phase_dict(const MixtureRun& run, std::size_t p)
{
    const MixturePhase& phase = run.phases[p];
    py::dict d;
    d["phase"] = p + 1, d["file"] = phase.name, d["title"] = run.workspaces[p]->model.title;
    d["formula"] = phase.content.formula, d["z"] = phase.content.z, d["formula_mass"] = phase.content.formulaMass;
    d["volume"] = phase.content.volume * phase.cellScale * phase.cellScale * phase.cellScale;
    d["fraction"] = phase.fraction, d["scale"] = run.scales[p];
    if (run.fit) {
        const FittedPhase& f = run.fit->phases[p];
        d["fraction_su"] = f.fraction.su, d["scale_su"] = f.scale.su;
        d["size"] = f.sizeNm.value, d["size_su"] = f.sizeNm.su;
        d["cell_scale"] = f.cellScale.value, d["cell_scale_su"] = f.cellScale.su;
        d["contributes"] = f.contributes;
    }
    if (run.quantities) {
        const PhaseQuantities& q = *run.quantities;
        if (!q.brindley.empty()) {
            d["absorption"] = q.absorption[p].mu, d["density"] = q.absorption[p].density;
            d["tau"] = q.tau[p], d["fraction_brindley"] = q.brindley[p];
        }
        if (!q.absolute.empty())
            d["fraction_of_sample"] = q.absolute[p];
    }
    return d;
}

py::dict reflection_arrays(const MixtureRun& run)
{
    std::vector<double> d, twoTheta, lambda, absolute, mixture;
    std::vector<int> phase, h, k, l, multiplicity;
    for (std::size_t p = 0; p < run.phases.size(); ++p) {
        const double toPattern = run.curves.factor > 0 ? run.scales[p] / run.curves.factor : 0.0;
        const double cellScale = run.phases[p].cellScale;
        for (const Reflection& r : run.phases[p].reflections) {
            phase.push_back(static_cast<int>(p + 1));
            h.push_back(r.h), k.push_back(r.k), l.push_back(r.l), multiplicity.push_back(r.multiplicity);
            lambda.push_back(r.lambda), d.push_back(r.d * cellScale);
            twoTheta.push_back(scaled_two_theta(r, cellScale));
            absolute.push_back(r.intensity), mixture.push_back(r.intensity * toPattern);
        }
    }
    return py::dict(py::arg("phase") = array_of(phase), py::arg("h") = array_of(h), py::arg("k") = array_of(k),
                    py::arg("l") = array_of(l), py::arg("multiplicity") = array_of(multiplicity),
                    py::arg("wavelength") = array_of(lambda), py::arg("d") = array_of(d),
                    py::arg("two_theta") = array_of(twoTheta), py::arg("absolute_intensity") = array_of(absolute),
                    py::arg("mixture_intensity") = array_of(mixture));
}

py::dict pattern_dict(const MixtureCurves& curves)
{
    py::list phases;
    for (const std::vector<double>& values : curves.phases)
        phases.append(array_of(values));
    return py::dict(py::arg("two_theta") = array_of(curves.twoTheta), py::arg("intensity") = array_of(curves.total),
                    py::arg("phases") = phases);
}

py::dict fit_dict(const PhaseFit& fit)
{
    const Agreement& a = fit.agreement;
    std::vector<double> background;
    for (const FittedValue& c : a.background)
        background.push_back(c.value);
    py::list phaseCurves;
    for (const std::vector<double>& values : fit.phaseCurves)
        phaseCurves.append(array_of(values));
    py::dict d;
    d["points"] = a.points, d["parameters"] = a.parameters;
    d["rp"] = a.rp, d["rwp"] = a.rwp, d["rexp"] = a.rexp, d["chi2"] = a.chi2;
    d["zero_shift"] = py::make_tuple(a.zeroShift.value, a.zeroShift.su);
    d["background"] = background;
    d["cycles"] = fit.cycles, d["converged"] = fit.converged, d["notes"] = fit.notes;
    d["two_theta"] = array_of(a.curves.twoTheta), d["observed"] = array_of(a.curves.observed);
    d["calculated"] = array_of(a.curves.calculated), d["background_curve"] = array_of(a.curves.background);
    d["phase_curves"] = phaseCurves;
    return d;
}

py::dict mixture_result(const MixtureRun& run, const std::vector<std::string>& messages, bool listings)
{
    py::dict result;
    py::list phases, structures;
    for (std::size_t p = 0; p < run.phases.size(); ++p) {
        phases.append(phase_dict(run, p));
        Structure calculated;
        *calculated.model = run.workspaces[p]->model;
        structures.append(calculated);
    }
    result["phases"] = phases;
    result["structures"] = structures;
    result["reflections"] = reflection_arrays(run);
    result["pattern"] = pattern_dict(run.curves);
    const StructureModel& first = run.workspaces.front()->model;
    py::list wavelengths;
    for (int i = 1; i <= first.wavelengths.count; ++i)
        wavelengths.append(py::make_tuple(first.wavelengths.values[i], first.wavelengths.weights[i]));
    result["wavelengths"] = wavelengths;
    result["fit"] = run.fit ? py::object(fit_dict(*run.fit)) : py::object(py::none());
    result["quantities"] = py::none();
    if (run.quantities) {
        py::dict q;
        q["mean_absorption"] = run.quantities->meanMu, q["notes"] = run.quantities->notes;
        if (!run.quantities->absolute.empty())
            q["amorphous"] = run.quantities->amorphous;
        result["quantities"] = q;
    }
    result["messages"] = messages;
    if (listings) {
        const batch::MixtureListings texts = batch::mixture_listings(run);
        result["listings"] = py::dict(py::arg("fstr.out") = texts.brief, py::arg("fstr2.out") = texts.detailed);
    } else {
        result["listings"] = py::none();
    }
    return result;
}

py::dict calculate_mixture(const std::vector<Structure>& structures, const std::vector<std::string>& arguments,
                           bool listings, const std::string& data)
{
    std::vector<std::string> files;
    for (std::size_t p = 0; p < structures.size(); ++p)
        files.push_back("phase" + std::to_string(p + 1));
    const BatchOptions options = parse_settings(arguments, files);
    if (!options.phases.mixture())
        throw py::value_error("several structures need fractions or fit_fractions");
    const std::filesystem::path dataDirectory = data_directory(data);
    std::ostringstream ignored;
    StreamMessages messages(ignored, false);
    MixtureRun run;
    run.data = dataDirectory;
    bool done = false;
    {
        py::gil_scoped_release released;
        std::vector<std::string> names;
        for (std::size_t p = 0; p < structures.size(); ++p)
            names.push_back(phase_name(structures[p], p));
        done = calculate_phases(structures, options, dataDirectory, messages, run.workspaces) == batch::kExitSuccess &&
               batch::complete_mixture(options, names, messages, run) &&
               (options.saveInstrumentFile.empty() ||
                batch::save_instrument(run.workspaces.front()->model, options,
                                       batch::instrument_comment(options, options.refine.active()), messages));
    }
    if (!done)
        raise_error(messages.texts(), "The calculation was refused");
    return mixture_result(run, messages.texts(), listings);
}

}  // namespace

// The phase's name as kalidos-batch gives it: its file without folder.
std::string phase_name(const Structure& structure, std::size_t p)
{
    const std::string name = std::filesystem::path(structure.file).filename().string();
    return name.empty() ? "phase " + std::to_string(p + 1) : name;
}

int calculate_phases(const std::vector<Structure>& structures, const batch::BatchOptions& options,
                     const std::filesystem::path& data, batch::StreamMessages& messages,
                     std::vector<std::unique_ptr<Workspace>>& workspaces)
{
    std::vector<const StructureModel*> models;
    for (const Structure& structure : structures)
        models.push_back(structure.model.get());
    return batch::calculate_models(models, options, data, messages, workspaces);
}

void bind_mixture(py::module_& module)
{
    module.def("_calculate_mixture", &calculate_mixture, py::arg("structures"), py::arg("arguments"),
               py::arg("listings") = false, py::arg("data") = "");
}

}  // namespace kalidos::python
