// What a refinement in the windows works on: the calculated phases (the main window's structure
// and the Phases window's extra phases) and the first observed diagram; the stages as kalidos-batch
// names them; and the refined values written back into a structure.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "model/workspace.hpp"
#include "refinement/refinement.hpp"

namespace kalidos::app {

class PhaseMixture;

struct RefinementStart {
    std::vector<RefinementPhase> phases;
    MeasuredScan observed;
    std::string observedName;  // the file, without folder
    double low = 0, high = 0;  // the calculated diagram's first and last 2θ: the points refined
};

// The main window's calculated structure as the first phase, the mixture's extra phases after it
// (their cell scales applied), and the first observed diagram's scan. Empty, or why there is
// nothing to refine.
std::string refinement_start(const Workspace& workspace, const PhaseMixture& mixture, RefinementStart& start);

// The checked parameters as one stage: a group's name where every parameter of the group that can
// be released is checked, the parameters' names otherwise.
std::vector<std::string> stage_names(const std::vector<RefinementParameter>& parameters,
                                     const std::set<std::string>& checked);

// "scale,background;zero,cell" (as parse_refinement_stages reads it).
std::string stages_text(const std::vector<std::vector<std::string>>& stages);

// The names a stage releases, every group spelled out as its parameters that can be released.
std::set<std::string> released_names(const std::vector<RefinementParameter>& parameters,
                                     const std::vector<std::string>& stage);

// The refined cell, atoms (positions, B, occupancies, tensors), U V W, profile and preferred
// orientation of `refined` written into `target`, as the main window's entries hold them.
void keep_refined_structure(const StructureModel& refined, StructureModel& target);

// The refined curves as the comparison picture draws them (calculated with the background).
AgreementCurves agreement_curves(const RefinementCurves& curves);

}  // namespace kalidos::app
