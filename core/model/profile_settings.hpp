// How peaks are drawn beyond the crystal: profile function, sample broadening, axial divergence, shifts.
#pragma once

#include <string>

namespace kalidos {

enum class ProfileFunction {
    Seed,  // the 50/50 pseudo-Voigt of half width √(U·tan²θ + V·tan θ + W), the main window's U, V, W
    Tch,   // Thompson–Cox–Hastings pseudo-Voigt from the Gaussian and Lorentzian widths below
};

enum class StrainShape { Gaussian, Lorentzian };

// At every default the calculation is the seed profile's alone: no setting below changes it.
struct ProfileSettings {
    ProfileFunction function = ProfileFunction::Seed;
    // Thompson–Cox–Hastings widths, full widths in degrees 2θ:
    // Gaussian FWHM² = U·tan²θ + V·tan θ + W + P/cos²θ, Lorentzian FWHM = X·tan θ + Y/cos θ.
    // The defaults are the seed profile's default curve as a full width (4 × 0.001 and 4 × 0.005).
    double gaussU = 0.004, gaussV = 0, gaussW = 0.02, gaussP = 0;  // degrees²
    double lorentzX = 0, lorentzY = 0;                              // degrees
    double sizeNm = 0;          // crystallite size L, nm; 0: no size broadening
    double scherrerK = 0.9;
    double strainPercent = 0;   // microstrain ε, %
    StrainShape strainShape = StrainShape::Gaussian;
    double axialSL = 0, axialHL = 0;  // axial divergence S/L and H/L; 0 and 0: symmetric peaks
    double transparency = 0;          // 1/(2μR) of the specimen, degrees 2θ; 0: diffracted at its surface
    double zeroShift = 0;             // Z, degrees 2θ
    double displacementMm = 0;        // sample displacement s, mm
    double radiusMm = 240;            // goniometer radius R, mm

    bool operator==(const ProfileSettings&) const = default;
};

inline bool is_default(const ProfileSettings& settings)
{
    return settings == ProfileSettings{};
}

// The ranges the window and kalidos-batch accept.
struct ProfileLimit {
    const char* name;  // as the dialog labels it
    double low, high;
    const char* unit;
};
inline constexpr ProfileLimit kGaussULimit{"U", 0, 10, "deg²"};
inline constexpr ProfileLimit kGaussVLimit{"V", -10, 10, "deg²"};
inline constexpr ProfileLimit kGaussWLimit{"W", 0, 10, "deg²"};
inline constexpr ProfileLimit kGaussPLimit{"P", 0, 10, "deg²"};
inline constexpr ProfileLimit kLorentzXLimit{"X", 0, 10, "deg"};
inline constexpr ProfileLimit kLorentzYLimit{"Y", 0, 10, "deg"};
inline constexpr ProfileLimit kSizeLimit{"Crystallite size", 0, 1e6, "nm"};
inline constexpr ProfileLimit kScherrerLimit{"Scherrer constant K", 0.5, 2, ""};
inline constexpr ProfileLimit kStrainLimit{"Microstrain", 0, 10, "%"};
inline constexpr ProfileLimit kAxialLimit{"S/L, H/L", 0, 0.2, ""};
inline constexpr ProfileLimit kTransparencyLimit{"Specimen transparency", 0, 2, "deg"};
inline constexpr ProfileLimit kZeroLimit{"Zero shift", -5, 5, "deg"};
inline constexpr ProfileLimit kDisplacementLimit{"Sample displacement", -5, 5, "mm"};
inline constexpr ProfileLimit kRadiusLimit{"Goniometer radius", 50, 1000, "mm"};

// The message refusing `value` for `limit`, empty when it lies in the range.
std::string out_of_range_message(const ProfileLimit& limit, double value);

// The first value of `settings` out of its range, as out_of_range_message words it; empty when all are in range.
std::string profile_settings_problem(const ProfileSettings& settings);

}  // namespace kalidos
