// The anisotropic displacement of one atom, as a structure file gives it.
#pragma once

namespace kalidos {

// U^ij in Å² on the reciprocal axes scaled to unit length (the convention of CIF and ShelX):
// the factor of the reflection h is exp(−2π² Σij U^ij a*_i a*_j h_i h_j). `present` is false for
// an atom described by its isotropic B alone.
struct AnisotropicDisplacement {
    bool present = false;
    double u[6] = {};  // U11, U22, U33, U12, U13, U23

    bool operator==(const AnisotropicDisplacement&) const = default;
};

}  // namespace kalidos
