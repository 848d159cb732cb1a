// Structures and diagrams the refinement tests share: small CIFs of their own, calculated with the
// program's own calculation, and synthetic measurements made from those calculations.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/workspace.hpp"
#include "refinement/refinement.hpp"
#include "refinement_structures.hpp"  // for the CIFs the tests refine

namespace kalidos::testing {

struct Experiment {
    int radiation = kXrays;
    std::vector<double> wavelengths{1.5406};
    std::vector<double> weights{1};
    double low = 15, high = 120;
    ProfileSettings profile;  // TCH with moderate widths unless changed
    Experiment();
};

// The workspace of `cifText` (written to a scratch file named `name`.cif) after a complete
// calculation with the experiment; fails the test when the calculation is refused.
std::unique_ptr<Workspace> calculated_cif(const std::string& name, const std::string& cifText,
                                          const Experiment& experiment);

// A measured scan of the workspace's calculation on a uniform grid: counts = peakCounts at the
// calculated diagram's maximum plus `background`, with Poisson noise when `noise` (the draw `seed`).
MeasuredScan synthetic_scan(const Workspace& calculated, double step, double peakCounts, double background,
                            bool noise, unsigned seed = 3);

}  // namespace kalidos::testing
