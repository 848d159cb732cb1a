// Workspaces with a known calculated pattern, reflections and observed diagrams, for the drawing tests.
#pragma once

#include "model/workspace.hpp"

#include <filesystem>
#include <memory>
#include <string>

namespace kalidos::testing {

inline constexpr double kSampleLambda = 1.5406; // Å

// 2θ from 10 to 50°, one wavelength, nothing calculated or read.
std::unique_ptr<Workspace> make_empty_workspace();

// Adds a calculated pattern of 1015 points over the 2θ range with Gaussian peaks of the given
// heights at the given angles, and one merged reflection and one PeakTable entry per peak.
void add_calculated_peaks(Workspace& workspace, const std::vector<double>& twoThetas,
                          const std::vector<double>& heights);

// Adds an observed diagram over the 2θ range with one Gaussian peak at `twoTheta`, counts up to `height`.
void add_observed_peak(Workspace& workspace, const std::string& name, double twoTheta, double height);

// Writes the calculated 1015-point pattern as a measured CPI scan (Cu Kα1, 100 + 300·intensity counts)
// named "rock salt", as a user would save a measurement of the same sample.
void write_pattern_as_scan(const CalculatedPattern& pattern, const std::filesystem::path& file);

}  // namespace kalidos::testing
