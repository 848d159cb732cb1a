// The reflections of one wavelength pass: every form in range that is not systematically absent.
#pragma once

#include "model/results.hpp"
#include "model/structure_model.hpp"
#include "ui/messages.hpp"

namespace kalidos {

inline constexpr const char* kTooManyReflections = "Too many calculated reflections. Decrease the theta range";

// Index limits |h| <= H, |k| <= K, |l| <= L that hold every reflection with 2 sin θ/λ <= sMax:
// |h| <= sMax·a (a direct length bounds the index along it whatever the cell's obliquity).
// A limit that is not finite or beyond 5000 is -1.
struct IndexLimits {
    int h = 0, k = 0, l = 0;
};
IndexLimits index_limits(const CellParameters& cell, double sMax);

// Fills `list` for the wavelength `current` and the range [enteredTwoTheta1, enteredTwoTheta2]:
// one entry per form (set of reflections related by the rotations and Friedel's law), in
// ascending angle, with multiplicity, d, 2θ, lambda and intensity 1. Sets latticeLetter (the
// symbol's first letter, P in the hexagonal system) and the cell metric.
// Returns false when generation failed: no reflection in range (the caller reports it), or more
// than 9998 forms ("Too many calculated reflections. Decrease the theta range" shown here); the
// list is then empty.
bool generate_reflections(StructureModel& model, CountedTable<Reflection>& list, Messages& messages);

}  // namespace kalidos
