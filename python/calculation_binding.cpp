// kalidos.calculate and kalidos.record: a calculation with the settings of kalidos-batch's options.
#include <sstream>

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include "batch_calculation.hpp"
#include "batch_compare.hpp"
#include "batch_many.hpp"
#include "batch_structure.hpp"
#include "bindings.hpp"
#include "computation/cell_metric.hpp"
#include "computation/peak_shape.hpp"  // for the reflections' position, fwhm and eta
#include "computation/preferred_orientation.hpp"
#include "result_json.hpp"

namespace py = pybind11;

namespace kalidos::python {

batch::BatchOptions parse_settings(std::vector<std::string> arguments, const std::vector<std::string>& files)
{
    arguments.push_back("--");
    arguments.insert(arguments.end(), files.begin(), files.end());
    const batch::ParsedCommandLine parsed = batch::parse_command_line(arguments);
    if (!parsed.error.empty())
        throw py::value_error(parsed.error);
    return parsed.options;
}

namespace {

using batch::BatchOptions;
using batch::StreamMessages;

template <class Record, class Value>
py::array_t<Value> column(const CountedTable<Record>& table, Value (*get)(const Record&))
{
    py::array_t<Value> values(table.count);
    auto out = values.template mutable_unchecked<1>();
    for (int i = 0; i < table.count; ++i)
        out(i) = get(table.begin()[i]);
    return values;
}

py::dict reflection_arrays(const StructureModel& model, const CalculationResults& results)
{
    using R = Reflection;
    py::dict r;
    r["h"] = column<R, int>(results.merged, [](const R& x) { return static_cast<int>(x.h); });
    r["k"] = column<R, int>(results.merged, [](const R& x) { return static_cast<int>(x.k); });
    r["l"] = column<R, int>(results.merged, [](const R& x) { return static_cast<int>(x.l); });
    r["multiplicity"] = column<R, int>(results.merged, [](const R& x) { return static_cast<int>(x.multiplicity); });
    r["wavelength"] = column<R, double>(results.merged, [](const R& x) { return x.lambda; });
    r["d"] = column<R, double>(results.merged, [](const R& x) { return x.d; });
    r["two_theta"] = column<R, double>(results.merged, [](const R& x) { return x.twoTheta; });
    r["intensity"] = column<R, double>(results.merged, [](const R& x) { return x.intensity; });
    const PreferredOrientationFactors preferred(model);
    const auto n = static_cast<py::ssize_t>(results.merged.count);
    py::array_t<double> factors(n), positions(n), widths(n), etas(n);
    auto factor = factors.mutable_unchecked<1>();
    auto position = positions.mutable_unchecked<1>();
    auto width = widths.mutable_unchecked<1>();
    auto eta = etas.mutable_unchecked<1>();
    for (py::ssize_t i = 0; i < n; ++i) {
        const Reflection& x = results.merged.begin()[i];
        factor(i) = preferred(x.h, x.k, x.l);
        // The peak as kalidos-batch lists it: its shifted position, FWHM and Lorentzian share.
        const PeakShape peak = peak_shape(model, x.twoTheta, x.lambda, x.intensity);
        position(i) = peak.position;
        width(i) = peak.fwhm;
        eta(i) = peak.eta;
    }
    r["po_factor"] = factors;
    r["position"] = positions;
    r["fwhm"] = widths;
    r["eta"] = etas;
    return r;
}

py::dict peak_arrays(const CalculationResults& results)
{
    using P = PeakEntry;
    py::dict p;
    p["h"] = column<P, int>(results.peaks, [](const P& x) { return static_cast<int>(x.h); });
    p["k"] = column<P, int>(results.peaks, [](const P& x) { return static_cast<int>(x.k); });
    p["l"] = column<P, int>(results.peaks, [](const P& x) { return static_cast<int>(x.l); });
    p["q"] = column<P, double>(results.peaks, [](const P& x) { return x.q; });
    p["intensity"] = column<P, double>(results.peaks, [](const P& x) { return x.intensity; });
    return p;
}

py::dict pattern_arrays(const CalculatedPattern& pattern)
{
    py::array_t<double> angles(pattern.pointCount), intensities(pattern.pointCount);
    auto a = angles.mutable_unchecked<1>();
    auto y = intensities.mutable_unchecked<1>();
    for (int i = 0; i < pattern.pointCount; ++i) {
        a(i) = static_cast<double>(pattern.angles[i]);
        y(i) = static_cast<double>(pattern.intensities[i]);
    }
    py::dict p;
    p["two_theta"] = angles;
    p["intensity"] = intensities;
    return p;
}

py::list agreement_dicts(const std::vector<Agreement>& agreements)
{
    py::list list;
    for (const Agreement& a : agreements) {
        py::dict d;
        d["file"] = a.fileName, d["scan"] = a.scan + 1, d["points"] = a.points;
        d["scale"] = py::make_tuple(a.scale.value, a.scale.su);
        d["zero_shift"] = py::make_tuple(a.zeroShift.value, a.zeroShift.su);
        d["rp"] = a.rp, d["rwp"] = a.rwp, d["rexp"] = a.rexp, d["chi2"] = a.chi2;
        d["two_theta"] = array_of(a.curves.twoTheta);
        d["observed"] = array_of(a.curves.observed);
        d["calculated"] = array_of(a.curves.calculated);
        d["background"] = array_of(a.curves.background);
        list.append(d);
    }
    return list;
}

py::dict result_of(const Workspace& workspace, const std::vector<std::string>& messages, bool listings)
{
    py::dict result;
    result["reflections"] = reflection_arrays(workspace.model, workspace.results);
    result["peaks"] = peak_arrays(workspace.results);
    if (workspace.results.grid.twoTheta.empty()) {
        result["pattern"] = pattern_arrays(workspace.results.pattern);
    } else {
        const GridPattern& grid = workspace.results.grid;  // the pattern on the step asked for
        result["pattern"] = py::dict(py::arg("two_theta") = array_of(grid.twoTheta),
                                     py::arg("intensity") = array_of(grid.intensity));
    }
    py::list wavelengths;
    for (int i = 1; i <= workspace.model.wavelengths.count; ++i)
        wavelengths.append(py::make_tuple(workspace.model.wavelengths.values[i], workspace.model.wavelengths.weights[i]));
    result["wavelengths"] = wavelengths;
    result["messages"] = messages;
    result["agreements"] = agreement_dicts(workspace.agreements);
    Structure calculated;
    *calculated.model = workspace.model;
    result["structure"] = calculated;
    if (listings)
        result["listings"] = py::dict(py::arg("fstr.out") = workspace.briefListing,
                                      py::arg("fstr2.out") = workspace.detailedListing);
    else
        result["listings"] = py::none();
    return result;
}

py::dict calculate(const Structure& structure, const std::vector<std::string>& arguments, bool listings,
                   const std::string& data)
{
    const BatchOptions options = parse_settings(arguments, {"structure"});
    const std::filesystem::path dataDirectory = data_directory(data);
    std::ostringstream ignored;
    StreamMessages messages(ignored, false);
    std::unique_ptr<Workspace> workspace = batch::make_memory_workspace();
    workspace->model = *structure.model;
    workspace->model.scratchInMemory = true;
    workspace->model.startDirectory.clear();
    workspace->listingsWanted = listings;
    int status = batch::kExitSuccess;
    {
        py::gil_scoped_release released;
        compute_cell_metric(workspace->model);
        if (!options.spaceGroup.empty() &&
            !batch::apply_space_group(workspace->model, options.spaceGroup, dataDirectory, messages))
            status = batch::kExitRefused;
        if (status == batch::kExitSuccess)
            status = batch::calculate_loaded(*workspace, options, dataDirectory, messages);
        if (status == batch::kExitSuccess && options.compare &&
            !batch::compare_with_observed(*workspace, options, messages))
            status = batch::kExitRefused;
    }
    if (status != batch::kExitSuccess)
        raise_error(messages.texts(), "The calculation was refused");
    return result_of(*workspace, messages.texts(), listings);
}

std::string record(const std::string& path, const std::vector<std::string>& arguments, const std::string& data)
{
    const BatchOptions options = parse_settings(arguments, {path});
    const std::filesystem::path dataDirectory = data_directory(data);
    batch::StructureRecord calculated;
    {
        py::gil_scoped_release released;
        calculated = batch::calculate_record(options, path, dataDirectory, {});
    }
    return calculated.line;
}

}  // namespace

void bind_calculation(py::module_& module)
{
    module.def("_calculate", &calculate, py::arg("structure"), py::arg("arguments"), py::arg("listings") = false,
               py::arg("data") = "");
    module.def("_record", &record, py::arg("path"), py::arg("arguments"), py::arg("data") = "",
               "The JSON Lines record kalidos-batch writes for `path` calculated with `arguments`.");
    module.def(
        "_check_arguments", [](const std::vector<std::string>& arguments, int structures) {
            parse_settings(arguments, std::vector<std::string>(static_cast<std::size_t>(structures), "x.cif"));
        },
        py::arg("arguments"), py::arg("structures") = 1);
}

}  // namespace kalidos::python
