// The measured formats Debian's xylib reads completely, metadata included, read through it.
#pragma once

#include <string>
#include <string_view>

#include "model/measured_diagram.hpp"

namespace kalidos {

// Bruker RAW versions 1 to 3 (xylib's "bruker_raw"): every range, Kα1, Kα2 and their ratio, the
// anode, the time per step. Same contract as the readers of measured_readers.hpp.
bool read_bruker_raw_with_xylib(std::string_view bytes, MeasuredDiagram& diagram, std::string& error);

}  // namespace kalidos
