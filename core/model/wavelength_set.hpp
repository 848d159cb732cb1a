// Filling the WavelengthSet: one wavelength of weight 1, or a weighted mixture.
#pragma once

#include "model/structure_model.hpp"

namespace kalidos {

// 4π, for Q = 4π·sin θ/λ.
inline constexpr double kFourPi = 12.566370614359172;

// The set becomes the single wavelength `lambda` (Å) of weight 1; `typedWavelength`,
// `shortest` and `longest` follow. Used by the anode list, the λ edit and the table reading.
void set_single_wavelength(StructureModel& model, double lambda);

// Sets `shortest` and `longest` from values 1..count (both 0 for an empty set).
void update_wavelength_extremes(WavelengthSet& set);

// The anomalous-dispersion rows in use: only the first four wavelengths carry f' and f''.
int anomalous_wavelength_count(const WavelengthSet& set);

}  // namespace kalidos
