#include "mixture/phase_calculation.hpp"

#include "anomalous/anomalous_reading.hpp"
#include "computation/calculation_driver.hpp"
#include "computation/scattering.hpp"
#include "entry/headless_host.hpp"
#include "readers/open_structure_file.hpp"
#include "readers/structure_format.hpp"

namespace kalidos {
namespace {

// Reads the structure as File › Open does, without a block choice (the first block of a CIF).
bool read_phase_structure(const std::filesystem::path& file, const std::filesystem::path& dataDirectory,
                          StructureModel& model, Messages& messages)
{
    const int format = structure_format_of(file.string());
    if (format == 0) {
        messages.warning("No structure read from " + file.filename().string() +
                         ": KALIDOS reads structures from .cry, .ins, .inp, .res, .cel, .lzy and .cif files");
        return false;
    }
    model.importFormat = format;
    model.structureFileName = file.string();
    const OpenRequest request{format, std::filesystem::absolute(file).string(), dataDirectory};
    if (open_structure_file(model, request, messages, nullptr) != OpenStatus::Read)
        return false;
    return rebuild_element_table(model, messages);
}

}  // namespace

void share_experiment(const StructureModel& main, const PhaseSettings& own, StructureModel& model)
{
    model.radiation = main.radiation;
    model.xraySource = main.xraySource;
    model.polarisation = main.polarisation;
    model.wavelengths = main.wavelengths;
    model.typedWavelength = main.typedWavelength;
    model.anodeSymbol = main.anodeSymbol;
    // The range the main structure was calculated over, whatever part of it the window shows.
    model.twoTheta1 = model.enteredTwoTheta1 = main.enteredTwoTheta1;
    model.twoTheta2 = model.enteredTwoTheta2 = main.enteredTwoTheta2;
    model.twoThetaWidth = model.twoTheta2 - model.twoTheta1;
    model.q1 = model.enteredQ1 = main.enteredQ1;
    model.q2 = model.enteredQ2 = main.enteredQ2;
    model.u = main.u;
    model.v = main.v;
    model.w = main.w;
    model.profile = main.profile;
    model.profile.sizeNm = own.sizeNm;
    model.profile.strainPercent = own.strainPercent;
    model.sample.isotropic = main.sample.isotropic;
    model.sample.preferred = own.preferred;
}

std::unique_ptr<Workspace> calculate_phase_file(const std::filesystem::path& file, const StructureModel& main,
                                                const PhaseSettings& own, const std::filesystem::path& dataDirectory,
                                                Messages& messages)
{
    StructureModel structure;
    structure.startDirectory = main.startDirectory;
    structure.scratchInMemory = true;
    if (!read_phase_structure(file, dataDirectory, structure, messages))
        return nullptr;
    return calculate_phase_structure(structure, main, own, messages);
}

std::unique_ptr<Workspace> calculate_phase_structure(const StructureModel& structure, const StructureModel& main,
                                                     const PhaseSettings& own, Messages& messages)
{
    std::unique_ptr<Workspace> workspace = make_workspace(main.startDirectory);
    workspace->model = structure;
    workspace->model.startDirectory = main.startDirectory;
    workspace->model.scratchInMemory = true;
    share_experiment(main, own, workspace->model);
    if (main.anomalousRecords)  // the main calculation's table, for this phase's own elements
        apply_anomalous_records(*main.anomalousRecords, workspace->model);
    HeadlessCalculationHost host(workspace->model, messages);
    recalcule(*workspace, host, messages);
    if (!host.completed() || workspace->results.pattern.pointCount == 0)
        return nullptr;
    return workspace;
}

bool calculate_mixture_phase(const std::filesystem::path& file, const StructureModel& main, const PhaseSettings& own,
                             const std::filesystem::path& dataDirectory, double fraction, Messages& messages,
                             MixturePhase& phase)
{
    const std::unique_ptr<Workspace> workspace = calculate_phase_file(file, main, own, dataDirectory, messages);
    if (!workspace)
        return false;
    std::string why;
    if (make_mixture_phase(*workspace, file.filename().string(), fraction, phase, why))
        return true;
    messages.warning(why);
    return false;
}

}  // namespace kalidos
