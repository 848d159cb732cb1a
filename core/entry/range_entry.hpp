// The angular range as typed in theta, 2-theta or Q, and its display in the chosen unit.
#pragma once

#include <optional>

#include "entry/entry_form.hpp"
#include "model/structure_model.hpp"

namespace kalidos {

// Degrees to radians as the calculation converts them (computation/cell_metric.hpp).
inline constexpr double kDegToRad = 0.0174533167;
// 360/pi: arcsin in radians to 2-theta in degrees.
inline constexpr double kTwoThetaPerRadian = 114.5914;

struct RangeLimit {
    double twoTheta = 0;  // degrees
    double q = 0;         // Å⁻¹
};

// A limit typed as v in `mode` at wavelength lambda (Å): both units. Nothing when a Q has no angle
// (Q·lambda/4pi above 1).
std::optional<RangeLimit> convert_limit(double v, AbscissaMode mode, double lambda);

// Writes lambda ("Multiple" for a mixture) and the shown limits into the form.
void show_range(EntryForm& form, const StructureModel& model, AbscissaMode mode);

}  // namespace kalidos
