// The parts of the compiled module _kalidos, each binding one concept.
#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "batch_options.hpp"
#include "model/workspace.hpp"
#include "stream_messages.hpp"
#include "model/structure_model.hpp"

namespace kalidos::python {

// A structure as Python edits it: a model of its own, copied into every calculation.
struct Structure {
    std::shared_ptr<StructureModel> model = std::make_shared<StructureModel>();
    std::vector<std::string> messages;  // what reading it said
    std::string file;                   // the file it was read from; empty when made in Python
};

// A read or a calculation refused: KalidosError in Python, a RuntimeError.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised with the program's own messages, one per line.
[[noreturn]] void raise_error(const std::vector<std::string>& messages, const std::string& fallback);

// The data folder: $KALIDOS_DATA, else the installed one, else the source tree's.
std::filesystem::path data_directory(const std::string& given);

// The settings as kalidos-batch reads them from its command line, with `files` standing for the
// structure files the parser requires: the same checks and defaults. A usage error is a ValueError.
batch::BatchOptions parse_settings(std::vector<std::string> arguments, const std::vector<std::string>& files);

// A numpy array holding a copy of `values`.
template <class Value>
pybind11::array_t<Value> array_of(const std::vector<Value>& values)
{
    return pybind11::array_t<Value>(static_cast<pybind11::ssize_t>(values.size()), values.data());
}

// The phase's name as kalidos-batch gives it: its file without folder ("phase N" without file).
std::string phase_name(const Structure& structure, std::size_t p);

// Each structure calculated in a workspace of its own with the options of its phase (only the first
// reads the observed diagrams). Returns the exit status; the workspaces calculated so far stay.
int calculate_phases(const std::vector<Structure>& structures, const batch::BatchOptions& options,
                     const std::filesystem::path& data, batch::StreamMessages& messages,
                     std::vector<std::unique_ptr<Workspace>>& workspaces);

void bind_structure(pybind11::module_& module);
void bind_calculation(pybind11::module_& module);
void bind_diagram(pybind11::module_& module);
void bind_mixture(pybind11::module_& module);
void bind_cif(pybind11::module_& module);
void bind_refine(pybind11::module_& module);
void bind_series(pybind11::module_& module);
void bind_identification(pybind11::module_& module);
void bind_indexing(pybind11::module_& module);

}  // namespace kalidos::python
