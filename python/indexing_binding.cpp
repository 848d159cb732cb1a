// kalidos.find_cell: kalidos-batch --find-cell, its JSON report.
#include <sstream>

#include <pybind11/stl.h>

#include "batch_calculation.hpp"
#include "batch_find_cell.hpp"
#include "bindings.hpp"

namespace py = pybind11;

namespace kalidos::python {

void bind_indexing(py::module_& module)
{
    module.def(
        "_find_cell",
        [](const std::vector<std::string>& arguments, const std::string& data) {
            const batch::ParsedCommandLine parsed = batch::parse_command_line(arguments);
            if (!parsed.error.empty())
                throw py::value_error(parsed.error);
            std::ostringstream ignored;
            batch::StreamMessages messages(ignored, false);
            std::string json;
            int status = 0;
            {
                py::gil_scoped_release released;
                status = batch::find_cell(parsed.options, data_directory(data), messages, json);
            }
            if (status != batch::kExitSuccess)
                raise_error(messages.texts(), "The indexing was refused");
            return json;
        },
        py::arg("arguments"), py::arg("data") = "");
}

}  // namespace kalidos::python
