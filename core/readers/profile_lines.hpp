// The profile's settings one a line ("gauss 0.004 0 0.02 0", "roughness 0.4 0.3"), as the sample and
// profile companion of a .cry file and the instrument file write and read them.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "model/profile_settings.hpp"

namespace kalidos {

// The shortest text that reads back as the same double.
std::string setting_number(double value);

// Reads the numbers after a line's first word into `targets`; false when there are too few or one
// is not a number.
bool read_setting_numbers(const std::vector<std::string>& words, std::initializer_list<double*> targets);

enum class LineRead { Read, Other, Bad };

// Reads a line split into words whose first word is a profile setting: profile, gauss, lorentz,
// size, strain, asymmetry, zero, displacement, transparency, or an intensity correction (monochromator
// 2θ [incident|diffracted], capillary μR, plate μt, roughness p q, overspill slit length). Other: the
// first word is none of them; Bad: too few values or one that is not a number.
LineRead read_profile_line(const std::vector<std::string>& words, ProfileSettings& settings);

// The lines of the corrections switched on, in the order above; empty when there is none.
std::string correction_lines(const IntensityCorrections& corrections);

}  // namespace kalidos
