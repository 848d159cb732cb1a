#include "peaks/resolution_estimate.hpp"

#include <algorithm>
#include <cmath>

#include "fitting/least_squares.hpp"

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

// H² = U tan²θ + V tanθ + W at each peak: linear in U, V, W.
class WidthCurve : public LeastSquaresModel {
public:
    explicit WidthCurve(const std::vector<WidthPoint>& points) : points_(points) {}
    bool evaluate(std::span<const double> v, std::span<double> model) override
    {
        for (std::size_t i = 0; i < points_.size(); ++i)
            model[i] = (v[0] * points_[i].tangent + v[1]) * points_[i].tangent + v[2];
        return true;
    }

private:
    const std::vector<WidthPoint>& points_;
};

// U, V, W through the solver; false when the widths do not determine them.
bool fit_width_curve(const std::vector<WidthPoint>& points, std::vector<double>& solution)
{
    std::vector<double> observed, weights;
    for (const WidthPoint& p : points) {
        observed.push_back(p.halfSquared);
        weights.push_back(p.weight);
    }
    WidthCurve curve(points);
    LeastSquaresOptions options;
    options.initialDamping = 0;  // linear: one Gauss-Newton step lands on the minimum
    LeastSquaresResult result;
    if (!solve_least_squares(curve, observed, weights, {{"U", 0}, {"V", 0}, {"W", 0}}, options, result).empty() ||
        std::any_of(result.held.begin(), result.held.end(), [](char h) { return h != 0; }))
        return false;
    solution = result.values;
    return true;
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
    std::vector<double> solution;
    if (!fit_width_curve(points, solution))
        return constant;
    r = Resolution{solution[0], solution[1], solution[2]};
    const double low = std::tan(search.twoTheta.front() / 2 / kDegreesPerRadian);
    const double high = std::tan(search.twoTheta.back() / 2 / kDegreesPerRadian);
    return positive_over(r, low, high) ? r : constant;
}

}  // namespace kalidos
