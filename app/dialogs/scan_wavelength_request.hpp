// Asks the "Lambda missing" dialog for the wavelengths of a diagram file that does not state them.
#pragma once

#include <optional>

#include "diagram_files/diagram_import.hpp"  // for ScanWavelengths

namespace kalidos::app {

class Tflilambda;

// Shows the dialog and waits until it is closed: the wavelengths typed or chosen when OK was
// accepted, nothing when the user closed it. The import then reads its file again itself.
std::optional<ScanWavelengths> ask_scan_wavelengths(Tflilambda& dialog);

}  // namespace kalidos::app
