#include "batch_compare.hpp"

#include <algorithm>
#include <vector>

#include "comparison/agreement_report.hpp"
#include "comparison/calculated_points.hpp"
#include "comparison/column_export.hpp"
#include "comparison/compare_observed.hpp"
#include "diagram_files/save_target.hpp"

namespace kalidos::batch {

bool compare_with_observed(Workspace& workspace, const BatchOptions& options, StreamMessages& messages)
{
    AgreementSettings settings;
    settings.backgroundOrder = options.backgroundOrder;
    settings.fitZeroShift = std::find(options.fit.begin(), options.fit.end(), "zero") != options.fit.end();
    std::vector<Agreement> made = compare_observed(workspace, calculated_intensity(workspace), settings, messages);
    if (made.empty())
        return false;
    workspace.agreements = std::move(made);
    return report_agreements(workspace, workspace.agreements, messages);
}

bool export_columns(const Workspace& workspace, const std::string& file, StreamMessages& messages)
{
    const std::optional<ColumnLayout> layout = column_layout(file);
    if (!layout || !check_calculated_diagram(workspace.results.pattern, messages))
        return false;
    const std::optional<std::string> target = choose_target([&file] { return file; }, "", messages);
    if (!target)
        return false;
    if (!workspace.agreements.empty())
        return write_target(*target, agreement_columns(*layout, workspace.agreements.front()), messages);
    const GridPattern& grid = workspace.results.grid;  // --step: the user's grid
    if (!grid.twoTheta.empty())
        return write_target(*target, pattern_columns(*layout, grid.twoTheta, grid.intensity), messages);
    const CalculatedPattern& pattern = workspace.results.pattern;
    const std::vector<double> twoTheta(pattern.angles, pattern.angles + pattern.pointCount);
    const std::vector<double> intensity(pattern.intensities, pattern.intensities + pattern.pointCount);
    return write_target(*target, pattern_columns(*layout, twoTheta, intensity), messages);
}

}  // namespace kalidos::batch
