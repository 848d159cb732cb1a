// One calculated phase of a mixture: its reflections on the absolute scale and its cell's content.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "computation/cell_content.hpp"
#include "computation/pattern_grid.hpp"
#include "model/workspace.hpp"

namespace kalidos {

inline constexpr int kMaxPhases = 16;

struct MixturePhase {
    std::string name;         // the structure file, without folder
    CellContent content;
    double fraction = 0;      // weight fraction
    double sizeNm = 0;        // crystallite size of the peak widths; 0: none
    double cellScale = 1;     // factor on a, b and c; the fit refines it within ±1 %
    bool shown = true;        // the diagram window draws its own curve
    // The calculation's model (radiation, profile, sample) and its merged reflections, whose
    // intensities are m·|F|²·Lp·(wavelength weight) per unit cell: electrons² for X-rays, fm² for
    // neutrons, before any scaling to 100.
    std::shared_ptr<const StructureModel> model;
    std::vector<Reflection> reflections;

    double zmv() const { return content.zmv() * cellScale * cellScale * cellScale; }
};

// The phase of a workspace after a complete calculation; false with the reason when its cell
// content cannot be known.
bool make_mixture_phase(const Workspace& calculated, const std::string& name, double fraction,
                        MixturePhase& phase, std::string& why);

// The phase's peaks on the absolute scale, drawn with its model's profile, its size and cell scale.
std::vector<ProfileTerm> phase_terms(const MixturePhase& phase);

// The reflections' 2θ for the phase's cell scale (unchanged at 1).
double scaled_two_theta(const Reflection& reflection, double cellScale);

}  // namespace kalidos
