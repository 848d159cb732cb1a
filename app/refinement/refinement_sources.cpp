#include "refinement/refinement_sources.hpp"

#include "comparison/calculated_points.hpp"
#include "diagram/phase_mixture.hpp"

#include <map>

namespace kalidos::app {
namespace {

bool is_group(const std::string& name)
{
    for (const char* group : kRefinementGroups)
        if (name == group)
            return true;
    return false;
}

}  // namespace

std::string refinement_start(const Workspace& workspace, const PhaseMixture& mixture, RefinementStart& start)
{
    if (workspace.results.pattern.pointCount == 0)
        return "Calculate the structure first: the refinement starts from the calculation";
    const ObservedPattern& observed = workspace.observed;
    if (observed.count == 0 || !observed.slots[1].measured)
        return "Open a measured diagram first: the refinement fits the first one";
    const ObservedSlot& slot = observed.slots[1];
    if (slot.scan < 0 || static_cast<std::size_t>(slot.scan) >= slot.measured->scans.size())
        return "The first observed diagram holds no scan";
    RefinementStart made;
    made.observed = slot.measured->scans[static_cast<std::size_t>(slot.scan)];
    made.observedName = slot.fileName;
    const CalculatedRange range = calculated_range(workspace);  // as kalidos-batch --refine takes it
    made.low = range.low;
    made.high = range.high;
    made.phases.push_back({main_phase_name(workspace.model), workspace.model});
    for (std::size_t p = 1; p < mixture.entries().size(); ++p) {
        const MixturePhase& phase = mixture.entries()[p].phase;
        if (!phase.model)
            continue;
        RefinementPhase& extra = made.phases.emplace_back(RefinementPhase{phase.name, *phase.model});
        extra.model.cell.a *= phase.cellScale;
        extra.model.cell.b *= phase.cellScale;
        extra.model.cell.c *= phase.cellScale;
    }
    start = std::move(made);
    return {};
}

std::vector<std::string> stage_names(const std::vector<RefinementParameter>& parameters,
                                     const std::set<std::string>& checked)
{
    std::map<std::string, std::pair<int, int>> groups;  // group: (free, checked)
    for (const RefinementParameter& p : parameters) {
        if (!p.constraint.empty())
            continue;
        ++groups[p.group].first;
        groups[p.group].second += checked.count(p.name) > 0 ? 1 : 0;
    }
    std::vector<std::string> names;
    for (const char* group : kRefinementGroups) {
        const auto found = groups.find(group);
        if (found != groups.end() && found->second.second > 0 && found->second.first == found->second.second)
            names.push_back(group);
    }
    for (const RefinementParameter& p : parameters) {
        const auto& [free, ticked] = groups[p.group];
        if (p.constraint.empty() && checked.count(p.name) && ticked < free)
            names.push_back(p.name);
    }
    return names;
}

std::string stages_text(const std::vector<std::vector<std::string>>& stages)
{
    std::string text;
    for (const std::vector<std::string>& stage : stages) {
        if (!text.empty())
            text += ';';
        for (std::size_t i = 0; i < stage.size(); ++i)
            text += (i ? "," : "") + stage[i];
    }
    return text;
}

std::set<std::string> released_names(const std::vector<RefinementParameter>& parameters,
                                     const std::vector<std::string>& stage)
{
    std::set<std::string> names;
    for (const std::string& name : stage) {
        if (!is_group(name)) {
            names.insert(name);
            continue;
        }
        for (const RefinementParameter& p : parameters)
            if (p.group == name && p.constraint.empty())
                names.insert(p.name);
    }
    return names;
}

void keep_refined_structure(const StructureModel& refined, StructureModel& target)
{
    target.cell = refined.cell;
    for (int atom = 1; atom <= target.atomCount && atom <= refined.atomCount; ++atom) {
        target.atomX[atom] = refined.atomX[atom];
        target.atomY[atom] = refined.atomY[atom];
        target.atomZ[atom] = refined.atomZ[atom];
        target.atomB[atom] = refined.atomB[atom];
        target.atomPopulation[atom] = refined.atomPopulation[atom];
        target.atomAnisotropic[atom] = refined.atomAnisotropic[atom];
    }
    target.u = refined.u;
    target.v = refined.v;
    target.w = refined.w;
    target.profile = refined.profile;
    target.sample.preferred = refined.sample.preferred;
}

AgreementCurves agreement_curves(const RefinementCurves& c)
{
    return {c.twoTheta, c.observed, c.calculated, c.background, c.sigma, c.sigma};  // weighed as the figures
}

}  // namespace kalidos::app
