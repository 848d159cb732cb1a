// What the instrument and the specimen's shape do to the intensities beyond the Lorentz factor and
// the tube's polarisation: a crystal monochromator, the absorption of a capillary or of a thin flat
// plate, the surface's roughness and the beam spilling past the specimen at low angles. Every
// default leaves every intensity as it has always been.
#pragma once

#include <string>

namespace kalidos {

// Where the monochromator crystal stands. With its diffraction plane that of the specimen (the usual
// arrangement) both give the same polarisation factor; the place is kept with the instrument.
enum class MonochromatorPlace { Diffracted, Incident };

struct IntensityCorrections {
    double monochromatorTwoTheta = 0;  // 2θ_M of the monochromator's reflection, degrees; 0: none
    MonochromatorPlace monochromatorPlace = MonochromatorPlace::Diffracted;
    double cylinderMuR = 0;     // Debye–Scherrer capillary: μ·R (linear absorption × radius); 0: none
    double plateMuT = 0;        // flat plate in reflection: μ·t (× thickness); 0: infinitely thick
    double roughnessP = 0;      // Suortti's p (0..1), the share of the intensity the roughness leaves
    double roughnessQ = 0;      //   alone, and q, how deep it bites; q = 0 (or p = 1): a smooth surface
    double slitDegrees = 0;     // the fixed divergence slit's aperture, degrees; 0: no overspill
    double sampleLengthMm = 0;  // the specimen's length along the beam, mm (with the slit)

    bool operator==(const IntensityCorrections&) const = default;

    bool roughness() const { return roughnessQ != 0 && roughnessP != 1; }
    bool overspill() const { return slitDegrees > 0 && sampleLengthMm > 0; }
    // Whether any factor of the specimen or the beam's footprint changes an intensity (the
    // monochromator acts in the polarisation factor instead).
    bool specimen() const { return cylinderMuR > 0 || plateMuT > 0 || roughness() || overspill(); }
};

}  // namespace kalidos
