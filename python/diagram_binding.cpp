// kalidos.read_diagram: a measured diagram in any format the program reads, at its own resolution.
#include <sstream>

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include "bindings.hpp"
#include "diagram_files/any_diagram_file.hpp"
#include "stream_messages.hpp"

namespace py = pybind11;

namespace kalidos::python {
namespace {

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
    result["start_time"] = scan.startTime;
    result["temperature"] = scan.temperature;
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
        read = read_any_diagram_file(path, diagram, messages);
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
