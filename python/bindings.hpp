// The parts of the compiled module _kalidos, each binding one concept.
#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <pybind11/pybind11.h>

#include "model/structure_model.hpp"

namespace kalidos::python {

// A structure as Python edits it: a model of its own, copied into every calculation.
struct Structure {
    std::shared_ptr<StructureModel> model = std::make_shared<StructureModel>();
    std::vector<std::string> messages;  // what reading it said
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

void bind_structure(pybind11::module_& module);
void bind_calculation(pybind11::module_& module);
void bind_diagram(pybind11::module_& module);
void bind_identification(pybind11::module_& module);

}  // namespace kalidos::python
