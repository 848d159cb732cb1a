// What the refinement window was told last for a structure: the parameters checked, the stages
// refined one after the other, and the cycles, damping and background order. Kept with the
// structure (in the companion file beside a .cry) so that a refinement can be started again.
#pragma once

#include <string>
#include <vector>

namespace kalidos {

struct RefinementSettings {
    std::vector<std::string> released;  // the parameters' stable names (refinement/refinement.hpp)
    std::string stages;                 // as kalidos-batch --refine writes them: "scale,background;zero,cell"
    int cycles = 20;                    // at most, per stage: the engine's default
    double damping = 1e-3;              // Marquardt λ of a stage's first cycle: the engine's default
    int backgroundOrder = 3;            // Chebyshev T_0 … T_order

    bool operator==(const RefinementSettings&) const = default;
};

inline bool is_default(const RefinementSettings& settings)
{
    return settings == RefinementSettings{};
}

}  // namespace kalidos
