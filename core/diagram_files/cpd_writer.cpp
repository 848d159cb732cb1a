// The calculated diagram as a CPD text file: the CPI lines with every wavelength and its
// weight on line 6, heaviest first.
#include "diagram_files/diagram_writers.hpp"
#include "diagram_files/save_target.hpp"
#include "diagram_files/text_lines.hpp"

namespace kalidos {
namespace {

constexpr std::size_t kCpdWavelengths = 4;

}  // namespace

// All pairs are ordered (for i < j, swap when wᵢ < wⱼ) before the list is cut to four, so a
// set of more than four keeps its heaviest lines.
std::vector<WeightedWavelength> heaviest_wavelengths(const WavelengthSet& set)
{
    std::vector<WeightedWavelength> pairs;
    for (int i = 1; i <= set.count; ++i)
        pairs.push_back({set.values[i], set.weights[i]});
    for (std::size_t i = 0; i + 1 < pairs.size(); ++i) {
        for (std::size_t j = i + 1; j < pairs.size(); ++j) {
            if (pairs[i].weight < pairs[j].weight)
                std::swap(pairs[i], pairs[j]);
        }
    }
    if (pairs.size() > kCpdWavelengths)
        pairs.resize(kCpdWavelengths);
    return pairs;
}

std::vector<std::string> cpd_file_lines(const Workspace& workspace)
{
    const StructureModel& model = workspace.model;
    std::string line;
    for (const WeightedWavelength& pair : heaviest_wavelengths(model.wavelengths))
        line += fmt_fixed(pair.lambda, 8, 5) + fmt_fixed(pair.weight, 6, 3);
    const std::string anode = model.wavelengths.count >= 2 ? "Xx" : anode_or_xx(model.anodeSymbol);
    return diagram_text_lines(workspace, anode, strip_leading_blanks(line));
}

bool ecrit_cpd(const Workspace& workspace, Messages& messages, const FileNameChooser& chooseName)
{
    if (!check_calculated_diagram(workspace.results.pattern, messages))
        return false;
    const int n = workspace.model.wavelengths.count;
    if (n > static_cast<int>(kCpdWavelengths))
        messages.warning("Warning! The diagram was calculated with " + std::to_string(n) +
                         " Wavelengths: only the four heaviest are written");
    const auto path = choose_target(chooseName, ".cpd", messages);
    return path && write_target(*path, join_lines(cpd_file_lines(workspace)), messages);
}

bool ecrit_cpd(const Workspace& workspace, Messages& messages, const std::string& fileName)
{
    return ecrit_cpd(workspace, messages, [&] { return fileName; });
}

}  // namespace kalidos
