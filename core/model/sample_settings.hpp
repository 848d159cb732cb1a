// The sample's own effects on the diagram: preferred orientation of the crystallites and the
// choice between anisotropic and isotropic displacement.
#pragma once

namespace kalidos {

// March–Dollase preferred orientation about the reciprocal-lattice direction (h k l):
// P(α) = f·(r² cos²α + sin²α / r)^(-3/2) + (1 − f), α the angle between a reflection's normal
// and (h k l), averaged over every member of the reflection's form. r < 1 describes platelets
// lying on (h k l), r > 1 needles along it; r = 1 (or f = 0) leaves every intensity as it is.
struct PreferredOrientation {
    int h = 0, k = 0, l = 1;
    double ratio = 1;     // r, above 0
    double fraction = 1;  // f, the oriented share of the powder, 0..1

    bool active() const { return ratio != 1 && fraction != 0; }
};

struct SampleSettings {
    PreferredOrientation preferred;
    // True: every atom is calculated with its isotropic B (B_eq for the atoms read with a
    // tensor), as if no anisotropic displacement had been read.
    bool isotropic = false;
};

}  // namespace kalidos
