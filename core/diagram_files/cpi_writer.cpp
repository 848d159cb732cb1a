// The calculated diagram as a CPI text file: ten header lines, then one intensity ×1000 a line.
#include "diagram_files/diagram_writers.hpp"
#include "diagram_files/save_target.hpp"
#include "diagram_files/text_lines.hpp"

namespace kalidos {

std::vector<std::string> cpi_file_lines(const Workspace& workspace)
{
    const WavelengthSet& set = workspace.model.wavelengths;
    const double lambda = set.count > 0 ? set.values[1] : workspace.model.typedWavelength;
    return diagram_text_lines(workspace, anode_or_xx(workspace.model.anodeSymbol),
                              strip_leading_blanks(fmt_fixed(lambda, 8, 5)));
}

bool ecrit_cpi(const Workspace& workspace, Messages& messages, const FileNameChooser& chooseName)
{
    if (!check_calculated_diagram(workspace.results.pattern, messages))
        return false;
    const int n = workspace.model.wavelengths.count;
    if (n > 1)
        messages.warning("Warning! The diagram was calculated with " + std::to_string(n) + " Wavelengths");
    const auto path = choose_target(chooseName, ".cpi", messages);
    return path && write_target(*path, join_lines(cpi_file_lines(workspace)), messages);
}

bool ecrit_cpi(const Workspace& workspace, Messages& messages, const std::string& fileName)
{
    return ecrit_cpi(workspace, messages, [&] { return fileName; });
}

}  // namespace kalidos
