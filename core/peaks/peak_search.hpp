// The peaks of a measured diagram: background, smoothing, noise, each peak's position, height and
// width, and the Kα2 partner of a doublet recognised so that it is not taken for a peak of its own.
#pragma once

#include <vector>

#include "model/measured_diagram.hpp"

namespace kalidos {

inline constexpr double kDefaultSensitivity = 5;

struct PeakSearchSettings {
    // 1 to 10: a peak must rise 15/sensitivity standard deviations of the noise above the
    // background (3 at the default 5).
    double sensitivity = kDefaultSensitivity;
    MeasuredWavelengths wavelengths;  // Kα2 partners are looked for when λ2 and the ratio are known
};

struct FoundPeak {
    double twoTheta = 0;  // degrees, of the maximum
    double d = 0;         // Å, at λ1
    double height = 0;    // above the background, in the diagram's unit
    double fwhm = 0;      // degrees 2θ
    bool alpha2 = false;  // the Kα2 partner of a stronger peak
};

struct PeakSearch {
    std::vector<double> twoTheta, background, smoothed;  // at the scan's points, sorted by 2θ
    double noiseFactor = 0;  // σ of a point ≈ noiseFactor·√(background)
    double threshold = 0;    // the smallest height a peak was allowed
    std::vector<FoundPeak> peaks;  // by 2θ; Kα2 partners included and marked
};

// Finds the peaks of `scan` (any order of points; at least 16 of them). An empty list when there
// are fewer points or no peak rises above the noise.
PeakSearch find_peaks(const MeasuredScan& scan, const PeakSearchSettings& settings);

// The peaks that are not Kα2 partners.
std::vector<FoundPeak> primary_peaks(const PeakSearch& search);

}  // namespace kalidos
