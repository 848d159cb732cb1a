#include "identification/resolution_estimate.hpp"

#include <algorithm>
#include <cmath>

#include "comparison/normal_equations.hpp"

namespace kalidos {
namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kLeastShare = 0.1;
constexpr std::size_t kFewestForCurve = 6;

struct WidthPoint {
    double tangent = 0;
    double halfSquared = 0;  // degrees²
    double weight = 0;
};

// The width of the Kα1 line alone: the doublet's splitting, when smaller than the peak, widens it by
// about its intensity-weighted share.
double alpha1_width(const FoundPeak& peak, const MeasuredWavelengths& w)
{
    if (!(w.lambda2 > w.lambda1 && w.ratio > 0))
        return peak.fwhm;
    const double theta = peak.twoTheta / 2 / kDegreesPerRadian;
    const double splitting = 2 * std::tan(theta) * (w.lambda2 - w.lambda1) / w.lambda1 * kDegreesPerRadian;
    if (splitting >= peak.fwhm)
        return peak.fwhm;
    return std::max(0.5 * peak.fwhm, peak.fwhm - splitting * w.ratio / (1 + w.ratio));
}

std::vector<WidthPoint> width_points(const PeakSearch& search, const MeasuredWavelengths& wavelengths)
{
    const std::vector<FoundPeak> peaks = primary_peaks(search);
    double strongest = 0;
    for (const FoundPeak& p : peaks)
        strongest = std::max(strongest, p.height);
    std::vector<WidthPoint> points;
    for (const FoundPeak& p : peaks) {
        if (p.height < kLeastShare * strongest)
            continue;
        const double half = alpha1_width(p, wavelengths) / 2;
        points.push_back({std::tan(p.twoTheta / 2 / kDegreesPerRadian), half * half, p.height});
    }
    return points;
}

bool positive_over(const Resolution& r, double lowTangent, double highTangent)
{
    for (int i = 0; i <= 20; ++i) {
        const double t = lowTangent + (highTangent - lowTangent) * i / 20;
        if (!(r.u * t * t + r.v * t + r.w > 0))
            return false;
    }
    return true;
}

}  // namespace

Resolution estimate_resolution(const PeakSearch& search, const MeasuredWavelengths& wavelengths)
{
    std::vector<WidthPoint> points = width_points(search, wavelengths);
    Resolution r;
    if (points.empty())
        return r;
    std::sort(points.begin(), points.end(), [](const WidthPoint& a, const WidthPoint& b) { return a.halfSquared < b.halfSquared; });
    const Resolution constant{0, 0, points[points.size() / 2].halfSquared};
    if (points.size() < kFewestForCurve)
        return constant;
    NormalEquations equations(3);
    for (const WidthPoint& p : points) {
        const double row[3] = {p.tangent * p.tangent, p.tangent, 1};
        equations.add(row, p.weight, p.halfSquared);
    }
    std::vector<double> solution, inverse;
    if (!equations.solve(solution, inverse))
        return constant;
    r = Resolution{solution[0], solution[1], solution[2]};
    const double low = std::tan(search.twoTheta.front() / 2 / kDegreesPerRadian);
    const double high = std::tan(search.twoTheta.back() / 2 / kDegreesPerRadian);
    return positive_over(r, low, high) ? r : constant;
}

}  // namespace kalidos
