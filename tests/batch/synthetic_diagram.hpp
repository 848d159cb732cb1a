// Diagrams made from known values: a structure file written, its pattern calculated by
// kalidos-batch, counted with Poisson noise.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kalidos::testing {

// Rutile with the given cell and oxygen x (P 42/m n m, O on x, x, 0) and the oxygen's B.
void write_rutile(const std::filesystem::path& path, double a, double c, double x, double b);

// The pattern kalidos-batch calculates with `arguments` in `dir`: 2θ and intensity (largest 100).
void calculated_pattern(const std::vector<std::string>& arguments, const std::filesystem::path& dir,
                        std::vector<double>& twoTheta, std::vector<double>& intensity);

// background + peak·intensity/100 at each point, drawn from a Poisson distribution when `seed`.
std::vector<double> counts_of(const std::vector<double>& intensity, double background, double peak, unsigned seed);

// The pattern of `arguments` as counts (30 + peak·pattern/100) in the two-column file dir/file.
void write_counts(const std::vector<std::string>& arguments, const std::filesystem::path& dir,
                  const std::filesystem::path& file, double peak, unsigned seed);

}  // namespace kalidos::testing
