// The specimen's and the beam's factors on the intensity of a reflection, as the settings ask for them.
#pragma once

#include "model/profile_settings.hpp"

namespace kalidos {

// The product of the capillary's absorption, the thin plate's, the surface roughness and the share
// of the beam on the specimen at the Bragg angle `twoTheta` (degrees); 1 when the settings ask for
// none of them (IntensityCorrections::specimen()). The goniometer radius is the settings' own.
double specimen_intensity_factor(const ProfileSettings& settings, double twoTheta);

}  // namespace kalidos
