#include "refinement_output/refined_phase_files.hpp"

#include <filesystem>

namespace kalidos {

StructureUncertainties refined_phase_uncertainties(const RefinedPhase& phase)
{
    StructureUncertainties su;
    for (std::size_t k = 0; k < 6; ++k)
        su.cell[k] = phase.cell[k].su;
    su.volume = phase.volume.su;
    if (static_cast<int>(phase.atoms.size()) != phase.refined.atomCount)
        return su;
    for (const RefinedAtom& a : phase.atoms) {
        su.atoms.push_back({a.x.su, a.y.su, a.z.su, a.b.su, a.occupancy.su});
        su.anisotropic.push_back({a.u[0].su, a.u[1].su, a.u[2].su, a.u[3].su, a.u[4].su, a.u[5].su});
    }
    return su;
}

RefinementFigures refined_phase_figures(const RefinementResult& r, std::size_t p)
{
    RefinementFigures figures{r.points, r.refinedCount, r.rp, r.rwp, r.rexp, r.chi2, r.phases.at(p).rBragg, {}};
    figures.notes.push_back(std::string("Refinement ") + outcome_text(r.outcome));
    figures.notes.insert(figures.notes.end(), r.notes.begin(), r.notes.end());
    for (const RefinementStage& stage : r.stages)
        figures.notes.insert(figures.notes.end(), stage.notes.begin(), stage.notes.end());
    return figures;
}

std::string refined_phase_file_name(const std::string& chosen, std::size_t p, std::size_t count)
{
    if (count == 1)
        return chosen;
    const std::filesystem::path path(chosen);
    return (path.parent_path() / (path.stem().string() + "_" + std::to_string(p + 1) + path.extension().string()))
        .string();
}

}  // namespace kalidos
