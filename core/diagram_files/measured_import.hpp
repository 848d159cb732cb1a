// A diagram read at its own resolution (any format) joining the observed diagrams.
#pragma once

#include <memory>

#include "diagram_files/diagram_import.hpp"
#include "model/measured_diagram.hpp"

namespace kalidos {

// Adds scan `scanIndex` (0-based) of `diagram` as the next observed diagram, as
// range_diagramme does for the described formats: the RawScan takes the file's header (name,
// wavelengths, limits; its point tables stay empty), the slot its 1015 points resampled and
// scaled to 0..100 and the diagram itself. Refused with a message, changing nothing, when the
// scan does not exist, has no points, or every intensity is the same; range_diagramme's own
// refusals apply. A diagram that states no wavelength must have been given one first
// (give_wavelengths).
ImportResult add_measured_diagram(Workspace& workspace, Messages& messages, std::shared_ptr<MeasuredDiagram> diagram,
                                  int scanIndex);

// The wavelengths of the "Lambda missing" dialog (or the batch's first wavelength) for a
// diagram whose file states none.
void give_wavelengths(MeasuredDiagram& diagram, const ScanWavelengths& given);

// The mean wavelength of a diagram: the Kα1/Kα2 mean by their ratio, or the one λ it states.
double mean_wavelength(const MeasuredWavelengths& wavelengths);

}  // namespace kalidos
