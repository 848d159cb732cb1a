// The listing of a Rietveld refinement: per stage and cycle the figures and each refined parameter's
// value, shift and su; then the final values, the figures, each phase's R_Bragg and fraction, and the
// strong correlations.
#pragma once

#include <string>
#include <vector>

#include "refinement/refinement.hpp"

namespace kalidos {

// One refined parameter after a cycle.
struct ParameterState {
    std::string name;
    double value = 0, shift = 0, su = 0;
    bool held = false;
};

// Where a refinement stood after one finished cycle.
struct CycleRecord {
    int stage = 0, cycle = 0;  // 1-based
    double rp = 0, rwp = 0, chi2 = 0;
    std::vector<ParameterState> parameters;  // the refined ones
};

// The record of the cycle `result` has just finished, to be kept from the refinement's progress report.
CycleRecord cycle_record(const RefinementResult& result);

// The text of the listing (lines ending in '\n'): `title` first ("Rietveld refinement against
// file.rd (scan 1)"), then the stages with their cycles from `cycles` (as many as were recorded),
// then the result.
std::string refinement_listing(const std::string& title, const RefinementResult& result,
                               const std::vector<CycleRecord>& cycles);

}  // namespace kalidos
