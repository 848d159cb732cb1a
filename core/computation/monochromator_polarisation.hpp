// The polarisation factor of a tube's beam reflected by a crystal monochromator and by the specimen.
#pragma once

namespace kalidos {

// An unpolarised beam reflected at 2θ_M by a mosaic monochromator crystal and at 2θ by the specimen,
// the two diffraction planes parallel: of its component normal to the planes all is reflected, of
// the one in them cos²2θ_M·cos²2θ, so P = (1 + cos²2θ_M·cos²2θ)/(1 + cos²2θ_M), normalised to the
// incident beam. The crystal before or after the specimen gives the same factor; 2θ_M = 0 gives the
// plain tube's (1 + cos²2θ)/2. `theta` is the specimen's Bragg angle in radians, 2θ_M in degrees
// (graphite 002 for Cu Kα: 26.6°).
double monochromator_polarisation(double theta, double monochromatorTwoThetaDegrees);

}  // namespace kalidos
