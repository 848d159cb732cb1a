// kalidos.read_diagram: a measured diagram in one of the formats the diagram window opens.
#include <sstream>

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include "batch_observed.hpp"
#include "bindings.hpp"
#include "diagram_files/diagram_import.hpp"  // for diagram_kind_from_extension
#include "diagram_files/diagram_readers.hpp"
#include "stream_messages.hpp"

namespace py = pybind11;

namespace kalidos::python {
namespace {

// The window's readers by extension: .raw and .sim, .rd, .dat, .cpi and .cpd.
bool read_scan(RawScan& scan, int kind, Messages& messages)
{
    switch (kind) {
    case 1:
    case 3: return !lit_raw(scan, messages);
    case 2: return !lit_philips(scan, messages);
    case 4: return !lit_rietveld(scan, messages);
    case 5:
    case 6: return !lit_cpi(scan, messages);
    default: return false;
    }
}

py::dict read_diagram(const std::string& path)
{
    const int kind = diagram_kind_from_extension(path);
    if (kind == 0)
        throw py::value_error("Unknown kind of diagram file (expected .raw, .rd, .sim, .dat, .cpi or .cpd): " + path);
    std::ostringstream ignored;
    batch::StreamMessages messages(ignored, false);
    auto scan = std::make_unique<RawScan>();
    scan->fileName = path;
    bool read = false;
    {
        py::gil_scoped_release released;
        read = read_scan(*scan, kind, messages);
    }
    if (!read)
        raise_error(messages.texts(), "Cannot read " + path);
    py::array_t<double> angles(scan->pointCount), intensities(scan->pointCount);
    auto a = angles.mutable_unchecked<1>();
    auto y = intensities.mutable_unchecked<1>();
    for (int i = 0; i < scan->pointCount; ++i) {
        a(i) = static_cast<double>(scan->angle[i + 1]);
        y(i) = static_cast<double>(scan->intensity[i + 1]);
    }
    py::dict diagram;
    diagram["file"] = path;
    diagram["two_theta"] = angles;
    diagram["intensity"] = intensities;
    diagram["wavelengths"] = py::dict(py::arg("lambda1") = scan->lambda1, py::arg("lambda2") = scan->lambda2,
                                      py::arg("ratio") = scan->ratio, py::arg("anode") = scan->anode);
    diagram["sample"] = scan->sampleIdentification;
    diagram["messages"] = messages.texts();
    return diagram;
}

}  // namespace

void bind_diagram(py::module_& module)
{
    module.def("_read_diagram", &read_diagram, py::arg("path"));
}

}  // namespace kalidos::python
