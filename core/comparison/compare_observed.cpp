#include "comparison/compare_observed.hpp"

#include "comparison/calculated_points.hpp"

namespace kalidos {

std::vector<Agreement> compare_observed(const Workspace& workspace, const CalculatedIntensity& calculated,
                                        const AgreementSettings& settings, Messages& messages)
{
    const CalculatedRange range = calculated_range(workspace);
    if (!range.exists()) {
        beep_and_warn(messages, "No calculated diagram!");
        return {};
    }
    std::vector<Agreement> made;
    std::vector<std::string> refusals;
    const ObservedPattern& observed = workspace.observed;
    for (int k = 1; k <= observed.count; ++k) {
        const ObservedSlot& slot = observed.slots[k];
        if (!slot.measured) {
            refusals.push_back(slot.fileName + ": the diagram's own points are not kept");
            continue;
        }
        Agreement agreement;
        const MeasuredScan& scan = slot.measured->scans.at(static_cast<std::size_t>(slot.scan));
        const std::string why = fit_agreement(scan, range.low, range.high, calculated, settings, agreement);
        if (!why.empty()) {
            refusals.push_back(slot.fileName + ": " + why);
            continue;
        }
        agreement.fileName = slot.fileName;
        agreement.scan = slot.scan;
        made.push_back(std::move(agreement));
    }
    if (observed.count == 0)
        refusals.push_back("No observed diagram to compare with!");
    for (const std::string& text : refusals)
        beep_and_warn(messages, text);
    return made;
}

}  // namespace kalidos
