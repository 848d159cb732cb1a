// A flat specimen of finite thickness in symmetric reflection (Bragg–Brentano).
#pragma once

namespace kalidos {

// The share of an infinitely thick specimen's intensity that a plate of thickness t diffracts:
// the layers below depth z add exp(−2μz/sin θ), so 1 − exp(−2μt/sin θ). High angles reach deeper
// and lose more to the plate's back. `theta` in radians.
double thin_plate_factor(double muT, double theta);

}  // namespace kalidos
