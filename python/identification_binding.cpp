// kalidos.index and kalidos.identify: kalidos-batch --index and --identify, their JSON reports.
#include <sstream>

#include <pybind11/stl.h>

#include "batch_calculation.hpp"
#include "batch_identify.hpp"
#include "bindings.hpp"

namespace py = pybind11;

namespace kalidos::python {
namespace {

// Runs one of the two with the options of its command line; the report's JSON text, or the
// program's messages raised.
std::string run(const std::vector<std::string>& arguments, const std::string& data, bool indexing)
{
    const batch::ParsedCommandLine parsed = batch::parse_command_line(arguments);
    if (!parsed.error.empty())
        throw py::value_error(parsed.error);
    std::ostringstream ignored;
    batch::StreamMessages messages(ignored, false);
    std::string json, summary;
    int status = 0;
    {
        py::gil_scoped_release released;
        status = indexing ? batch::index_library(parsed.options, data_directory(data), messages, false, json, summary)
                          : batch::identify_diagram(parsed.options, data_directory(data), messages, json);
    }
    if (status != batch::kExitSuccess)
        raise_error(messages.texts(), indexing ? "The index was refused" : "The identification was refused");
    return json;
}

}  // namespace

void bind_identification(py::module_& module)
{
    module.def(
        "_index", [](const std::vector<std::string>& arguments, const std::string& data) { return run(arguments, data, true); },
        py::arg("arguments"), py::arg("data") = "");
    module.def(
        "_identify",
        [](const std::vector<std::string>& arguments, const std::string& data) { return run(arguments, data, false); },
        py::arg("arguments"), py::arg("data") = "");
}

}  // namespace kalidos::python
