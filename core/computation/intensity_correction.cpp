#include "computation/intensity_correction.hpp"

#include <numbers>

#include "computation/beam_overspill.hpp"
#include "computation/cylinder_absorption.hpp"
#include "computation/plate_thickness.hpp"
#include "computation/surface_roughness.hpp"

namespace kalidos {

double specimen_intensity_factor(const ProfileSettings& s, double twoTheta)
{
    const IntensityCorrections& c = s.corrections;
    const double theta = twoTheta * std::numbers::pi / 360;
    double factor = 1;
    if (c.cylinderMuR > 0)
        factor *= cylinder_transmission(c.cylinderMuR, theta);
    if (c.plateMuT > 0)
        factor *= thin_plate_factor(c.plateMuT, theta);
    if (c.roughness())
        factor *= surface_roughness(c.roughnessP, c.roughnessQ, theta);
    if (c.overspill())
        factor *= beam_on_specimen(theta, c.slitDegrees, s.radiusMm, c.sampleLengthMm);
    return factor;
}

}  // namespace kalidos
