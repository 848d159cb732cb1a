// The calculation run behind the "Calcul." button: from the entries to the listings and the diagram.
#pragma once

#include "computation/calculation_host.hpp"
#include "computation/listing_files.hpp"
#include "computation/structure_factor_engine.hpp"
#include "model/workspace.hpp"
#include "ui/messages.hpp"

#include <memory>

namespace kalidos {

// One run: reads the entries, checks them, runs one pass per wavelength (writing fstr2.out and
// fstr.out in model.startDirectory), merges the weighted reflections by angle, sums the peaks per
// (h k l), synthesises the profile, fills the results list and shows the diagram. Every refusal
// is told through `messages` and ends the run.
void recalcule(Workspace& workspace, CalculationHost& host, Messages& messages);

// The data-entry read through the host, then the checks of the entries, each refused with a beep
// and a message. False = stop.
bool validate_calculation_input(Workspace& workspace, CalculationHost& host, Messages& messages);

// Scales the last observed scan read so that its largest count in [twoTheta1, twoTheta2] is 100;
// a scan with no point (or only zero counts) in range is left as it is.
void normalise_observed_scan(Workspace& workspace);

// Empties the results list and the diagram picture: any change of input invalidates them.
void clear_results(Workspace& workspace, CalculationHost& host);

// What lasts for one run: the listings and the structure-factor sums shared by the passes.
struct CalculationRun {
    ListingFiles files;
    std::unique_ptr<StructureFactorEngine> engine;
};

// One wavelength (results.passIndex, wavelengths.current): on the first pass the site
// multiplicities and the header of fstr2.out, then the X-ray or neutron pass. False = stop.
bool run_wavelength_pass(Workspace& workspace, CalculationRun& run, Messages& messages);

}  // namespace kalidos
