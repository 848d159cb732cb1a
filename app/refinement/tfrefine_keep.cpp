// The refinement window's results taken out: Keep into the windows, the refined CIF into files.
#include "diagram/phase_mixture.hpp"
#include "diagram_files/save_target.hpp"
#include "refinement/tfrefine.hpp"
#include "refinement_output/refined_cif.hpp"
#include "refinement_output/refined_phase_files.hpp"

#include <filesystem>

namespace kalidos::app {
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
    request.defaultExtension = "cif";
    // corundum.cif refined: corundum_refined.cif beside it.
    const StructureModel& model = workspace_.model;
    const std::filesystem::path opened = model.openedFileName.empty() ? model.structureFileName : model.openedFileName;
    const std::string stem = opened.stem().string();
    request.fileName = (stem.empty() ? std::string("structure") : stem) + "_refined.cif";
    request.directory = opened.parent_path().string();
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
        const RefinementFigures figures = refined_phase_figures(*result_, p);
        const std::string block = std::filesystem::path(current_[p].name).stem().string();
        const std::string file = refined_phase_file_name(*target, p, result_->phases.size());
        if (!write_target(file, refined_cif_text(phase.refined, block, refined_phase_uncertainties(phase), figures),
                          *services_.messages))
            return;
        note(QString::fromStdString("Written: " + file));
    }
}

}  // namespace kalidos::app
