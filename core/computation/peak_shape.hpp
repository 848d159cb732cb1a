// Where a reflection's peak lies and what shape it has: position, full width, Lorentzian fraction, height.
#pragma once

#include "model/structure_model.hpp"

namespace kalidos {

struct PeakShape {
    double position = 0;  // degrees 2θ: the Bragg angle moved by the zero shift and the sample displacement
    double fwhm = 0;      // degrees 2θ
    double eta = 0;       // Lorentzian fraction: of the height for the seed's 50/50 shape, else TCH's (of the area)
    double height = 0;    // of the symmetric peak
    double heightEta = 0; // Lorentzian fraction of the height, as the curve is drawn
};

// Full width of the Thompson–Cox–Hastings pseudo-Voigt from its Gaussian and Lorentzian full widths,
// and its Lorentzian fraction η.
double tch_fwhm(double gaussian, double lorentzian);
double tch_eta(double lorentzian, double fwhm);

// Δ2θ (degrees) = Z − 2·s·cos θ / R (radians turned into degrees).
double peak_shift(const ProfileSettings& settings, double twoTheta);

// Crystallite-size (Lorentzian) and microstrain full widths, degrees 2θ:
// K·λ / (L·cos θ) and 4·ε·tan θ, both radians turned into degrees.
double size_fwhm(const ProfileSettings& settings, double twoTheta, double lambda);
double strain_fwhm(const ProfileSettings& settings, double twoTheta);

// The peak of a reflection at Bragg angle twoTheta (degrees) with wavelength lambda (Å).
// Seed profile: half width H = √(U·tan²θ + V·tan θ + W), η = 0.5 of the height, height 0.1·intensity;
// with size or strain broadening its 50/50 shape is split into the Gaussian and Lorentzian
// widths of the TCH peak of the same width and area shares, broadened and recombined, keeping the area.
// Thompson–Cox–Hastings: the widths of the settings, area = intensity.
// A width that is not positive gives fwhm ≤ 0 or NaN: the caller refuses the run.
PeakShape peak_shape(const StructureModel& model, double twoTheta, double lambda, double intensity);

// The same, with the refusal message of peak_width_refusal at that angle (nullptr when the width is
// usable), from one computation of the widths.
const char* checked_peak_shape(const StructureModel& model, double twoTheta, double lambda, double intensity,
                               PeakShape& shape);

// The refusal message for the peak at twoTheta, nullptr when its width is usable.
const char* peak_width_refusal(const StructureModel& model, double twoTheta);

// The squared width that must not be negative at twoTheta: the TCH profile's Gaussian FWHM², the
// seed profile's half width²; U·tan²θ + V·tan θ + W and what the sample adds.
double squared_width(const StructureModel& model, double twoTheta);

}  // namespace kalidos
