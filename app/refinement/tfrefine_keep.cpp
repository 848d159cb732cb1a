// The refinement window's results taken out: Keep into the windows, the refined CIF into files.
#include "diagram/phase_mixture.hpp"
#include "diagram_files/save_target.hpp"
#include "refinement/tfrefine.hpp"
#include "refinement_output/refined_cif.hpp"

#include <filesystem>

namespace kalidos::app {
namespace {

StructureUncertainties uncertainties(const RefinedPhase& phase)
{
    StructureUncertainties su;
    for (int i = 0; i < 6; ++i)
        su.cell[static_cast<std::size_t>(i)] = phase.cell[i].su;
    su.volume = phase.volume.su;
    for (const RefinedAtom& atom : phase.atoms) {
        su.atoms.push_back({atom.x.su, atom.y.su, atom.z.su, atom.b.su, atom.occupancy.su});
        su.anisotropic.push_back({atom.u[0].su, atom.u[1].su, atom.u[2].su, atom.u[3].su, atom.u[4].su, atom.u[5].su});
    }
    return su;
}

// The file of phase p: the chosen name alone, or followed by _1, _2, ... with several phases (as
// kalidos-batch --write-cif names them).
std::string phase_file(const std::string& chosen, std::size_t p, std::size_t count)
{
    if (count == 1)
        return chosen;
    const std::filesystem::path path(chosen);
    return (path.parent_path() / (path.stem().string() + "_" + std::to_string(p + 1) + path.extension().string()))
        .string();
}

}  // namespace

void Tfrefine::keep()
{
    if (running() || !result_ || current_.empty())
        return;
    keep_refined_structure(current_.front().model, workspace_.model);
    Messages* messages = services_.messages;
    const std::size_t phases = std::min(current_.size(), mixture_.entries().size());
    for (std::size_t p = 1; p < phases && messages; ++p)
        mixture_.keep_refined(p, current_[p].model, *messages);
    for (std::size_t p = 0; p < phases && current_.size() > 1 && p < result_->phases.size(); ++p)
        if (result_->phases[p].fraction.value > 0)
            mixture_.set_fraction(p, result_->phases[p].fraction.value);
    remember_settings();
    note("Kept: the refined values are the main window's and the Phases window's");
    if (hooks_.kept)
        hooks_.kept();
}

void Tfrefine::save_refined_cif()
{
    if (running() || !result_ || !services_.fileDialogs || !services_.messages)
        return;
    FileRequest request;
    request.title = "Save refined CIF";
    request.filters = {{"Crystallographic Information File (*.cif)", "*.cif"}};
    const auto target = choose_target(
        [&] {
            const auto chosen = services_.fileDialogs->save_file(request);
            return chosen ? chosen->path : std::string();
        },
        ".cif", *services_.messages);
    if (!target)
        return;
    for (std::size_t p = 0; p < result_->phases.size() && p < current_.size(); ++p) {
        const RefinedPhase& phase = result_->phases[p];
        RefinementFigures figures{result_->points, result_->refinedCount, result_->rp, result_->rwp,
                                  result_->rexp, result_->chi2, phase.rBragg};
        const std::string block = std::filesystem::path(current_[p].name).stem().string();
        const std::string file = phase_file(*target, p, result_->phases.size());
        if (!write_target(file, refined_cif_text(phase.refined, block, uncertainties(phase), figures),
                          *services_.messages))
            return;
        note(QString::fromStdString("Written: " + file));
    }
}

}  // namespace kalidos::app
