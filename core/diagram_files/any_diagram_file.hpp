// Any measured diagram file the program reads, at its own resolution, without a workspace.
#pragma once

#include <string>

#include "model/measured_diagram.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// The described kinds by their extension (.raw and .sim, .rd, .dat, .cpi and .cpd), as the diagram
// window's Open submenu reads them, with the points as read (before the window's scaling to
// 0..100) and the wavelengths the file states; every other file by its content through
// read_measured_file. False, with the reader's message, when no reader takes the file.
bool read_any_diagram_file(const std::string& path, MeasuredDiagram& diagram, Messages& messages);

}  // namespace kalidos
