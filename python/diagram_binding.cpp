// kalidos.read_diagram: a measured diagram in any format the program reads, at its own resolution.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include "bindings.hpp"
#include "diagram_files/diagram_import.hpp"  // for described_diagram_kind, describe_scan_wavelengths
#include "diagram_files/diagram_readers.hpp"
#include "diagram_files/measured_readers.hpp"
#include "diagram_files/scan_reading.hpp"
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

// A described kind through its own reader: the points as read (before the window's scaling to
// 0..100) and the wavelengths the file states.
bool read_described(const std::string& path, int kind, MeasuredDiagram& diagram, Messages& messages)
{
    auto scan = std::make_unique<RawScan>();
    scan->fileName = path;
    if (!read_scan(*scan, kind, messages) || !scan->measured)
        return false;
    diagram = *scan->measured;
    describe_scan_wavelengths(*scan, diagram);
    diagram.fileName = path;
    std::string format = std::filesystem::path(path).extension().string().substr(1);
    std::transform(format.begin(), format.end(), format.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    diagram.format = format;
    diagram.scans[0].name = scan->sampleIdentification;
    return true;
}

// The described kinds by their extension, as the window's Open submenu reads them; every other
// file by its content through the readers of today's formats.
bool read_any(const std::string& path, MeasuredDiagram& diagram, Messages& messages)
{
    if (const int kind = described_diagram_kind(path))
        return read_described(path, kind, diagram, messages);
    return read_measured_file(path, diagram, messages);
}

py::array_t<double> array_of(const std::vector<double>& values)
{
    return py::array_t<double>(static_cast<py::ssize_t>(values.size()), values.data());
}

py::dict diagram_dict(const MeasuredDiagram& diagram, std::size_t index, const std::vector<std::string>& messages)
{
    const MeasuredScan& scan = diagram.scans[index];
    py::list names;
    for (const MeasuredScan& s : diagram.scans)
        names.append(s.name);
    const MeasuredWavelengths& w = diagram.wavelengths;
    py::dict result;
    result["file"] = diagram.fileName;
    result["format"] = diagram.format;
    result["scan"] = index + 1;
    result["scans"] = names;
    result["two_theta"] = array_of(scan.twoTheta);
    result["intensity"] = array_of(scan.intensity);
    result["su"] = scan.sigma.empty() ? py::object(py::none()) : py::object(array_of(scan.sigma));
    result["unit"] = scan.unit;
    result["counting_time"] = scan.countingTime;
    result["wavelengths"] = py::dict(py::arg("lambda1") = w.lambda1, py::arg("lambda2") = w.lambda2,
                                     py::arg("ratio") = w.ratio, py::arg("anode") = w.anode);
    result["sample"] = scan.name;
    result["messages"] = messages;
    return result;
}

py::dict read_diagram(const std::string& path, int scan)
{
    std::ostringstream ignored;
    batch::StreamMessages messages(ignored, false);
    MeasuredDiagram diagram;
    bool read = false;
    {
        py::gil_scoped_release released;
        read = read_any(path, diagram, messages);
    }
    if (!read || diagram.scans.empty())
        raise_error(messages.texts(), "Cannot read " + path);
    if (scan < 1 || static_cast<std::size_t>(scan) > diagram.scans.size())
        throw py::value_error("scan: the file holds " + std::to_string(diagram.scans.size()) + " scan(s), not a scan " +
                              std::to_string(scan));
    return diagram_dict(diagram, static_cast<std::size_t>(scan - 1), messages.texts());
}

}  // namespace

void bind_diagram(py::module_& module)
{
    module.def("_read_diagram", &read_diagram, py::arg("path"), py::arg("scan") = 1);
}

}  // namespace kalidos::python
