#include "identification/structure_calculation.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "computation/calculation_driver.hpp"
#include "computation/scattering.hpp"
#include "entry/headless_host.hpp"
#include "identification/candidate_score.hpp"
#include "mixture/mixture_phase.hpp"
#include "mixture/phase_calculation.hpp"
#include "model/wavelength_set.hpp"
#include "readers/cif_blocks.hpp"
#include "readers/open_structure_file.hpp"
#include "readers/reader_text.hpp"
#include "readers/structure_format.hpp"

namespace kalidos {
namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kIndexWavelength = 1.5406;  // Å; any would do: the index keeps no Lp
constexpr double kIndexLowestTwoTheta = 1;    // degrees: d up to 88 Å
// Reflections weaker than this share of the strongest m·|F|² are left out: Lp varies by about
// 10³ over a diagram, so none of them can reach a thousandth of the strongest peak.
constexpr double kWeakestKept = 1e-6;
// Reflections whose d agree this closely (relative) are one line in any diagram: 333 and 511 of a
// cubic cell.
constexpr double kSameD = 1e-5;

// Always the block asked for; the file's blocks were counted beforehand.
class FixedBlockChooser : public CifBlockChooser {
public:
    explicit FixedBlockChooser(int block) : block_(block) {}
    int choose_cif_block(const std::vector<CifBlock>& blocks) override
    {
        return block_ <= static_cast<int>(blocks.size()) ? block_ : 0;
    }

private:
    int block_;
};

bool read_block(const std::filesystem::path& file, int block, const std::filesystem::path& dataDirectory,
                StructureModel& model, Messages& messages)
{
    const int format = structure_format_of(file.string());
    if (format == 0) {
        messages.warning(file.filename().string() + " is not a structure file");
        return false;
    }
    model.importFormat = format;
    model.structureFileName = file.string();
    FixedBlockChooser chooser(block);
    const OpenRequest request{format, std::filesystem::absolute(file).string(), dataDirectory};
    if (open_structure_file(model, request, messages, &chooser) != OpenStatus::Read)
        return false;
    return rebuild_element_table(model, messages);
}

std::vector<std::string> formula_elements(const std::string& formula)
{
    std::vector<std::string> elements;
    std::string symbol;
    for (const char c : formula + " ") {
        if (std::isalpha(static_cast<unsigned char>(c))) {
            symbol += c;
            continue;
        }
        if (!symbol.empty() && std::find(elements.begin(), elements.end(), symbol) == elements.end())
            elements.push_back(symbol);
        symbol.clear();
    }
    return elements;
}

// m·|F|² per cell of each reflection of the phase's (single-wavelength) reflections, which are on
// the absolute scale of the cell, those of equal d summed, largest d first.
std::vector<IndexedReflection> unlorentzed_reflections(const MixturePhase& phase)
{
    std::vector<std::pair<double, double>> lines;
    double strongest = 0;
    for (const Reflection& r : phase.reflections) {
        lines.emplace_back(r.d, r.intensity / tube_lp(r.twoTheta));
        strongest = std::max(strongest, lines.back().second);
    }
    std::sort(lines.begin(), lines.end(), [](const auto& x, const auto& y) { return x.first > y.first; });
    std::vector<IndexedReflection> kept;
    for (const auto& [d, intensity] : lines) {
        if (!kept.empty() && std::fabs(kept.back().d - d) < kSameD * d) {
            kept.back().intensity += static_cast<float>(intensity);
            continue;
        }
        kept.push_back({static_cast<float>(d), static_cast<float>(intensity)});
    }
    std::erase_if(kept, [&](const IndexedReflection& r) { return r.intensity < kWeakestKept * strongest; });
    return kept;
}

}  // namespace

std::vector<std::string> structure_blocks(const std::filesystem::path& file, Messages& messages)
{
    const int format = structure_format_of(file.string());
    if (format == 0) {
        messages.warning(file.filename().string() + " is not a structure file");
        return {};
    }
    if (format != kFormatCif)
        return {std::string()};
    const std::optional<TextLines> lines = read_text_lines(file, messages);
    std::vector<std::string> names;
    if (lines)
        for (const CifBlock& block : scan_cif_blocks(*lines))
            names.push_back(block.name);
    return names;
}

std::unique_ptr<Workspace> calculate_structure_block(const std::filesystem::path& file, int block,
                                                     const StructureModel& experiment,
                                                     const std::filesystem::path& dataDirectory, Messages& messages)
{
    std::unique_ptr<Workspace> workspace = make_workspace(experiment.startDirectory);
    workspace->model.scratchInMemory = true;
    workspace->listingsWanted = false;
    if (!read_block(file, block, dataDirectory, workspace->model, messages))
        return nullptr;
    share_experiment(experiment, PhaseSettings{}, workspace->model);
    HeadlessCalculationHost host(workspace->model, messages);
    recalcule(*workspace, host, messages);
    if (!host.completed() || workspace->results.pattern.pointCount == 0)
        return nullptr;
    return workspace;
}

StructureModel index_experiment(double shortestD)
{
    StructureModel model;
    model.radiation = kXrays;
    model.xraySource = kTubeSource;
    set_single_wavelength(model, kIndexWavelength);
    const double highest = 2 * std::asin(std::min(1.0, kIndexWavelength / (2 * shortestD))) * kDegreesPerRadian;
    model.twoTheta1 = model.enteredTwoTheta1 = kIndexLowestTwoTheta;
    model.twoTheta2 = model.enteredTwoTheta2 = highest;
    model.twoThetaWidth = highest - kIndexLowestTwoTheta;
    const auto q = [](double twoTheta) {
        return kFourPi * std::sin(twoTheta / 2 / kDegreesPerRadian) / kIndexWavelength;
    };
    model.q1 = model.enteredQ1 = q(kIndexLowestTwoTheta);
    model.q2 = model.enteredQ2 = q(highest);
    return model;
}

bool library_entry_of(const Workspace& calculated, LibraryEntry& entry, std::string& why)
{
    const StructureModel& model = calculated.model;
    MixturePhase phase;
    if (!make_mixture_phase(calculated, "", 1, phase, why)) {
        why = why.substr(std::min(why.size(), std::size_t{2}));  // without the empty name's ": "
        return false;
    }
    entry.formula = phase.content.formula;
    entry.elements = formula_elements(phase.content.formula);
    entry.zmv = phase.content.zmv();
    const CellParameters& c = model.cell;
    const double cell[6] = {c.a, c.b, c.c, c.alpha, c.beta, c.gamma};
    std::copy(cell, cell + 6, entry.cell);
    entry.group = model.spaceGroupSymbol;
    entry.reflections = unlorentzed_reflections(phase);
    return true;
}

}  // namespace kalidos
