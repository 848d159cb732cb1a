// Peak search on a diagram of known peaks: Kα1–Kα2 doublets of Gaussian lines on a sloping
// background with Poisson noise.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "peaks/peak_search.hpp"
#include "peaks/resolution_estimate.hpp"

namespace kalidos {
namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kLambda1 = 1.540562, kLambda2 = 1.544390, kRatio = 0.5;

struct Line {
    double twoTheta, height;
};

double alpha2_position(double twoTheta)
{
    return 2 * std::asin(kLambda2 / kLambda1 * std::sin(twoTheta / 2 / kDegreesPerRadian)) * kDegreesPerRadian;
}

MeasuredScan doublet_diagram(const std::vector<Line>& lines, double fwhm, unsigned seed)
{
    MeasuredScan scan;
    std::mt19937 random(seed);
    const double sigma = fwhm / 2.3548200450309493;
    for (double t = 10; t <= 100; t += 0.02) {
        double mean = 200 - t;  // counts of the background
        for (const Line& line : lines)
            for (const auto& [at, height] : {std::pair{line.twoTheta, line.height},
                                             std::pair{alpha2_position(line.twoTheta), kRatio * line.height}})
                mean += height * std::exp(-0.5 * (t - at) * (t - at) / (sigma * sigma));
        scan.twoTheta.push_back(t);
        scan.intensity.push_back(std::poisson_distribution<int>(mean)(random));
    }
    return scan;
}

TEST(PeakSearch, FindsEachLineOnceWithItsPositionHeightAndWidth)
{
    const std::vector<Line> lines = {{20, 3000}, {35.5, 400}, {52, 1500}, {70, 120}, {88, 800}};
    const double fwhm = 0.1;
    PeakSearchSettings settings;
    settings.wavelengths = {kLambda1, kLambda2, kRatio, "Cu"};
    const PeakSearch search = find_peaks(doublet_diagram(lines, fwhm, 7), settings);
    const std::vector<FoundPeak> peaks = primary_peaks(search);
    ASSERT_EQ(peaks.size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].twoTheta < 30) {
            // The doublet is not resolved (0.05° apart): the sum of the two Gaussians peaks 0.013°
            // above Kα1 at 1.295 times its height.
            EXPECT_NEAR(peaks[i].twoTheta, lines[i].twoTheta + 0.013, 0.006) << i;
            EXPECT_NEAR(peaks[i].height, 1.295 * lines[i].height, 0.05 * lines[i].height) << i;
            continue;
        }
        EXPECT_NEAR(peaks[i].twoTheta, lines[i].twoTheta, 0.01) << i;
        EXPECT_NEAR(peaks[i].height, lines[i].height, 0.1 * lines[i].height) << i;  // Kα2 adds 6 % at 35.5°
        if (lines[i].twoTheta > 50) {  // doublets resolved: Kα1's own d and width
            EXPECT_NEAR(peaks[i].d, kLambda1 / (2 * std::sin(lines[i].twoTheta / 2 / kDegreesPerRadian)), 2e-4) << i;
            EXPECT_NEAR(peaks[i].fwhm, fwhm, 0.02) << i;
        }
    }
    EXPECT_EQ(search.peaks.size() - peaks.size(), 3u);  // the Kα2 partners resolved at 52°, 70° and 88°

    // The resolution curve of these widths: the constant half width of 0.05°.
    const Resolution resolution = estimate_resolution(search, settings.wavelengths);
    const double t = std::tan(35 / kDegreesPerRadian);
    EXPECT_NEAR(std::sqrt(resolution.u * t * t + resolution.v * t + resolution.w), fwhm / 2, 0.01);

    // A less sensitive search drops the weakest line (120 counts on a background of 130).
    settings.sensitivity = 1;
    EXPECT_EQ(primary_peaks(find_peaks(doublet_diagram(lines, fwhm, 7), settings)).size(), lines.size() - 1);
}

}  // namespace
}  // namespace kalidos
