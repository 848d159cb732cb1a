#include "drawing/display_values.hpp"

#include <algorithm>
#include <cmath>

namespace kalidos::drawing {
namespace {

// The scale of the calculated pattern and of the sticks, brought back to 0..100.
double scaled_to_hundred(double v, IntensityScale scale)
{
    switch (scale) {
    case IntensityScale::Linear:
        return v;
    case IntensityScale::Logarithmic:
        return std::log10(v) * 100 / std::log10(101.0);
    case IntensityScale::SquareRoot:
        break;
    }
    return std::sqrt(v) * 100 / std::sqrt(101.0);
}

}  // namespace

std::vector<double> calculated_display_values(const CalculatedPattern& pattern, IntensityScale scale)
{
    return curve_display_values(std::vector<double>(pattern.intensities, pattern.intensities + pattern.pointCount),
                                scale);
}

std::vector<double> curve_display_values(const std::vector<double>& intensity, IntensityScale scale)
{
    std::vector<double> values;
    values.reserve(intensity.size());
    for (const double v : intensity)
        values.push_back(scale == IntensityScale::Logarithmic ? scaled_to_hundred(v + 1, scale)
                                                              : scaled_to_hundred(v, scale));
    return values;
}

double stick_display_value(double percent, IntensityScale scale)
{
    return scaled_to_hundred(std::max(percent, 1.0), scale);
}

std::vector<double> stick_display_values(const CalculationResults& results, IntensityScale scale)
{
    std::vector<double> values;
    for (const PeakEntry& peak : results.peaks) {
        const double v = results.largestPeakSum > 0 ? peak.intensity * 100 / results.largestPeakSum : 0.0;
        values.push_back(stick_display_value(v, scale));
    }
    return values;
}

std::vector<double> observed_display_values(const ObservedSlot& slot, IntensityScale scale)
{
    std::vector<double> values(kPatternPoints);
    double largest = 0;
    for (int i = 1; i <= kPatternPoints; ++i) {
        const double intensity = slot.points[i].intensity;
        double v = intensity;
        if (scale == IntensityScale::Logarithmic)
            v = std::log10(intensity + 1);
        else if (scale == IntensityScale::SquareRoot)
            v = std::sqrt(std::max(intensity, 0.0));
        values[static_cast<std::size_t>(i - 1)] = v;
        largest = std::max(largest, v);
    }
    if (largest > 0)
        for (double& v : values)
            v *= 100 / largest;
    return values;
}

}  // namespace kalidos::drawing
