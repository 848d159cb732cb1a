// The radiation a measured-diagram file states, read before the diagram is opened.
#pragma once

#include <string>

#include "model/measured_diagram.hpp"

namespace kalidos {

struct StatedRadiation {
    MeasuredWavelengths wavelengths;  // not stated() when the file states none or cannot be read
    std::string format;               // as MeasuredDiagram::format names it
};

// Reads `fileName` as the diagram window's Open or kalidos-batch --observed would (the described
// kinds by extension, any other file by its content) and keeps only its wavelengths. Nothing is
// told: a file that cannot be read is refused with its reason when it is opened.
StatedRadiation stated_radiation(const std::string& fileName);

}  // namespace kalidos
