// The instrument's resolution curve estimated from the peaks of a measured diagram, so that the
// candidates' calculated diagrams have the widths of the measured peaks before any fit.
#pragma once

#include "peaks/peak_search.hpp"

namespace kalidos {

// U, V, W of the seed profile's half width H² = U·tan²θ + V·tan θ + W (degrees² of 2θ).
struct Resolution {
    double u = 0.001, v = 0, w = 0.005;  // the program's defaults
};

// Least squares of (FWHM/2)² over the peaks (Kα2 partners left out) of at least a tenth of the
// strongest height, each weighed by its height; the Kα1–Kα2 splitting an unresolved doublet adds to
// the width is taken off first. A constant width (the median) when fewer than six peaks qualify or
// the curve would not stay positive over the diagram; the defaults without peaks.
Resolution estimate_resolution(const PeakSearch& search, const MeasuredWavelengths& wavelengths);

}  // namespace kalidos
