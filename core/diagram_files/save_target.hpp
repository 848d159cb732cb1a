// The steps the diagram writers share: the empty-diagram refusal, the name and its extension,
// the overwrite question and writing the file.
#pragma once

#include <optional>
#include <string>

#include "diagram_files/diagram_writers.hpp"

namespace kalidos {

// Beep and "No calculated diagram!" when the calculated diagram holds no point.
bool check_calculated_diagram(const CalculatedPattern& pattern, Messages& messages);

// The name to write: chosen, with its extension, and confirmed when it names an existing file.
std::optional<std::string> choose_target(const FileNameChooser& chooseName, const std::string& extension,
                                         Messages& messages);

// Creates or truncates the file and writes `contents`; false, with a message, on failure.
bool write_target(const std::string& path, const std::string& contents, Messages& messages);

// The date-and-time text written into the files: the workspace's clock.
std::string file_time_text(const Workspace& workspace);

}  // namespace kalidos
