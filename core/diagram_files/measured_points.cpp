#include "diagram_files/measured_points.hpp"

#include <cmath>

namespace kalidos {
namespace {

// 2θ of a real scan lies within ±180 degrees; anything else is a damaged file or another axis.
constexpr double kLargestAngle = 180.0;

std::string point_text(std::size_t index) { return "point " + std::to_string(index + 1); }

bool check_angles(const std::vector<double>& twoTheta, std::string& error)
{
    for (std::size_t i = 0; i < twoTheta.size(); ++i) {
        if (!std::isfinite(twoTheta[i]) || std::fabs(twoTheta[i]) > kLargestAngle) {
            error = "the 2θ of " + point_text(i) + " is not an angle between -180 and 180 degrees";
            return false;
        }
    }
    return true;
}

bool check_values(const MeasuredScan& scan, std::string& error)
{
    const std::size_t n = scan.intensity.size();
    if (!check_measured_count(n, error))
        return false;
    if (scan.twoTheta.size() != n) {
        error = "the scan has " + std::to_string(n) + " intensities for " + std::to_string(scan.twoTheta.size()) +
                " positions";
        return false;
    }
    if (!scan.sigma.empty() && scan.sigma.size() != n) {
        error = "the scan has " + std::to_string(scan.sigma.size()) + " uncertainties for " + std::to_string(n) +
                " intensities";
        return false;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (!std::isfinite(scan.intensity[i])) {
            error = "the intensity of " + point_text(i) + " is not a number";
            return false;
        }
    }
    for (std::size_t i = 0; i < scan.sigma.size(); ++i) {
        if (scan.sigma[i] < 0 || std::isinf(scan.sigma[i])) {
            error = "the uncertainty of " + point_text(i) + " is negative or infinite";
            return false;
        }
    }
    if (!std::isfinite(scan.countingTime) || scan.countingTime < 0) {
        error = "the counting time is not a usable number";
        return false;
    }
    return check_angles(scan.twoTheta, error);
}

bool check_wavelengths(const MeasuredWavelengths& waves, std::string& error)
{
    for (const double value : {waves.lambda1, waves.lambda2, waves.ratio}) {
        if (!std::isfinite(value) || value < 0) {
            error = "a wavelength or the Kα2/Kα1 ratio is not a usable number";
            return false;
        }
    }
    return true;
}

}  // namespace

bool check_measured_count(std::size_t count, std::string& error)
{
    if (count == 0) {
        error = "the scan holds no points";
        return false;
    }
    if (count > kMaxMeasuredPoints) {
        error = std::to_string(count) + " points, more than the " + std::to_string(kMaxMeasuredPoints) +
                " a diagram may hold";
        return false;
    }
    return true;
}

bool store_grid_points(MeasuredScan& scan, double start, double step, std::vector<double> intensity,
                       std::vector<double> sigma, std::string& error)
{
    if (!std::isfinite(start) || !std::isfinite(step) || step == 0) {
        error = "the start angle or the step of the scan is not a usable number";
        return false;
    }
    if (!check_measured_count(intensity.size(), error))
        return false;
    std::vector<double> twoTheta(intensity.size());
    for (std::size_t i = 0; i < twoTheta.size(); ++i)
        twoTheta[i] = start + static_cast<double>(i) * step;
    return store_listed_points(scan, std::move(twoTheta), std::move(intensity), std::move(sigma), error);
}

bool store_listed_points(MeasuredScan& scan, std::vector<double> twoTheta, std::vector<double> intensity,
                         std::vector<double> sigma, std::string& error)
{
    scan.twoTheta = std::move(twoTheta);
    scan.intensity = std::move(intensity);
    scan.sigma = std::move(sigma);
    return check_values(scan, error);
}

bool check_monotonic(const std::vector<double>& twoTheta, std::string& error)
{
    int direction = 0;
    for (std::size_t i = 1; i < twoTheta.size(); ++i) {
        const double step = twoTheta[i] - twoTheta[i - 1];
        const int sign = (step > 0) - (step < 0);
        if (sign != 0 && direction != 0 && sign != direction) {
            error = "the 2θ of " + point_text(i) + " turns back from the direction of the scan";
            return false;
        }
        if (direction == 0)
            direction = sign;
    }
    return true;
}

bool check_measured_diagram(const MeasuredDiagram& diagram, std::string& error)
{
    if (diagram.scans.empty()) {
        error = "the file holds no scan";
        return false;
    }
    for (std::size_t s = 0; s < diagram.scans.size(); ++s) {
        if (!check_values(diagram.scans[s], error)) {
            if (diagram.scans.size() > 1)
                error = "scan " + std::to_string(s + 1) + ": " + error;
            return false;
        }
    }
    return check_wavelengths(diagram.wavelengths, error);
}

}  // namespace kalidos
