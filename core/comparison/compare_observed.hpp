// The comparison command: every observed diagram against the last calculation.
#pragma once

#include <vector>

#include "comparison/agreement.hpp"
#include "model/workspace.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// Fits each held observed diagram that keeps its own points, in order, against `calculated`
// over the last calculated pattern's range. Everything is computed first; then each refusal
// is told as "<file>: <why>" ("No calculated diagram!" when there is none). Returns the
// agreements made, possibly none; the workspace is not changed.
std::vector<Agreement> compare_observed(const Workspace& workspace, const CalculatedIntensity& calculated,
                                        const AgreementSettings& settings, Messages& messages);

}  // namespace kalidos
