// The JSON document of a mixture: its phases, their reflections, the pattern and the fit.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "mixture/mixture.hpp"
#include "mixture/phase_quantities.hpp"
#include "mixture/phase_fit.hpp"
#include "model/workspace.hpp"
#include "phase_options.hpp"
#include "refinement/refinement.hpp"

namespace kalidos::batch {

struct MixtureRun {
    std::vector<std::unique_ptr<Workspace>> workspaces;  // one per phase, calculated
    std::vector<MixturePhase> phases;
    std::vector<double> scales;
    MixtureCurves curves;
    std::optional<PhaseFit> fit;
    std::optional<RefinementResult> refinement;  // --refine: the fractions come from its scales
    std::string refinementListing;               // appended to fstr.out
    std::filesystem::path data;                  // the data folder (the mass attenuation table)
    std::optional<PhaseQuantities> quantities;   // --brindley, --standard
};

void write_mixture_json(std::ostream& out, const MixtureRun& run, const std::vector<std::string>& messages,
                        const PhaseOptions& options);

}  // namespace kalidos::batch
