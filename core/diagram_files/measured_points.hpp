// The one way the readers of today's measured formats store a scan's points: counts, finite
// values and the 2 million point ceiling are checked here, once for every format.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "model/measured_diagram.hpp"

namespace kalidos {

// False, with `error` set, unless 1 <= count <= kMaxMeasuredPoints.
bool check_measured_count(std::size_t count, std::string& error);

// Points on a grid: 2θ_i = start + i·step (i from 0), the step's sign kept for downward scans.
// `sigma` is empty or holds one value per intensity.
bool store_grid_points(MeasuredScan& scan, double start, double step, std::vector<double> intensity,
                       std::vector<double> sigma, std::string& error);

// Points as the file lists them, one 2θ per intensity.
bool store_listed_points(MeasuredScan& scan, std::vector<double> twoTheta, std::vector<double> intensity,
                         std::vector<double> sigma, std::string& error);

// False, with `error` naming the point, when listed 2θ values turn back: a scan runs one way
// (equal neighbours allowed, as printing with few digits makes them).
bool check_monotonic(const std::vector<double>& twoTheta, std::string& error);

// What every reader's result must satisfy: at least one scan, each with 1..kMaxMeasuredPoints
// points, as many 2θ (finite, within ±180°) as intensities (finite), σ empty or one per point and
// either NaN (the file marks that point's σ unknown) or finite and not negative, and finite,
// non-negative wavelengths and counting times.
bool check_measured_diagram(const MeasuredDiagram& diagram, std::string& error);

}  // namespace kalidos
