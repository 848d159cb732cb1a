// Writers of the calculated diagram: .sim (the RAW2 layout), .cpi and .cpd text files.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/workspace.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// Runs the save dialog and returns the chosen name; an empty name means cancelled.
using FileNameChooser = std::function<std::string()>;

// Each writer refuses an empty calculated diagram ("No calculated diagram!"), then asks for
// the name, appends its extension unless the name holds it anywhere, asks before replacing
// an existing file, and writes. Returns true when a file was written. Nothing else changes.
bool export_diag_sim(const Workspace& workspace, Messages& messages, const FileNameChooser& chooseName);
bool ecrit_cpi(const Workspace& workspace, Messages& messages, const FileNameChooser& chooseName);
bool ecrit_cpd(const Workspace& workspace, Messages& messages, const FileNameChooser& chooseName);

// The same with the name already chosen.
bool export_diag_sim(const Workspace& workspace, Messages& messages, const std::string& fileName);
bool ecrit_cpi(const Workspace& workspace, Messages& messages, const std::string& fileName);
bool ecrit_cpd(const Workspace& workspace, Messages& messages, const std::string& fileName);

// The contents written, for a calculated diagram of at least one point.
std::string sim_file_bytes(const Workspace& workspace);
std::vector<std::string> cpi_file_lines(const Workspace& workspace);
std::vector<std::string> cpd_file_lines(const Workspace& workspace);

// The wavelengths of the set as (λ, weight) pairs, heaviest first, at most four.
struct WeightedWavelength {
    double lambda = 0;  // Å
    double weight = 0;
};
std::vector<WeightedWavelength> heaviest_wavelengths(const WavelengthSet& set);

// `name` with `extension` (".sim") appended unless it already holds it somewhere.
std::string with_extension(const std::string& name, const std::string& extension);

}  // namespace kalidos
