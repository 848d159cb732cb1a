#include "computation/profile.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "computation/parallel_for.hpp"
#include "computation/peak_shape.hpp"
#include "computation/peak_terms.hpp"
#include "computation/results_list.hpp"

namespace kalidos {
namespace {

constexpr double kStepPerWidth = 0.0009861932938856016;  // 1/1014
constexpr double kHalfDegreesToRadians = 0.008726658370523442;
constexpr double kEta = 0.5;
// Beyond |x| = 34, 2^(-x²) is 0 in double precision (below 2^-1075), so the Gaussian part is
// skipped there without changing any sum.
constexpr double kGaussianReach = 34.0;

struct Peak {
    double position, halfWidth, amplitude;
};

// The contribution of one peak to one point, as the single formula gives it.
inline double shape(double angle, const Peak& p, bool withGaussian)
{
    const double x = (angle - p.position) / p.halfWidth;
    const double lorentz = kEta * 1 / (1 + x * x);
    return withGaussian ? lorentz + (1 - kEta) * std::exp2(-x * x) : lorentz;
}

// Points [begin, end) receive every peak in order, so each point's sum is the same whatever the
// split between threads.
void accumulate_points(CalculatedPattern& pattern, double twoTheta1, const std::vector<Peak>& peaks, int begin,
                       int end)
{
    const double step = pattern.step;
    for (const Peak& p : peaks) {
        const double reach = kGaussianReach * p.halfWidth;
        const double lowIndex = step > 0 ? std::floor((p.position - reach - twoTheta1) / step) - 1 : begin;
        const double highIndex = step > 0 ? std::ceil((p.position + reach - twoTheta1) / step) + 1 : end;
        const int gaussLow = static_cast<int>(std::clamp(lowIndex, double(begin), double(end)));
        const int gaussHigh = static_cast<int>(std::clamp(highIndex, double(begin), double(end)));
        float* intensities = pattern.intensities;
        const float* angles = pattern.angles;
        for (int j = begin; j < gaussLow; ++j)
            intensities[j] = static_cast<float>(intensities[j] + p.amplitude * shape(angles[j], p, false));
        for (int j = gaussLow; j < gaussHigh; ++j)
            intensities[j] = static_cast<float>(intensities[j] + p.amplitude * shape(angles[j], p, true));
        for (int j = gaussHigh; j < end; ++j)
            intensities[j] = static_cast<float>(intensities[j] + p.amplitude * shape(angles[j], p, false));
    }
}

void accumulate(CalculatedPattern& pattern, double twoTheta1, const std::vector<Peak>& peaks)
{
    parallel_for(kPatternPoints, [&](int begin, int end) { accumulate_points(pattern, twoTheta1, peaks, begin, end); });
}

bool monoclinic_q_refused(const Workspace& ws, const CalculationHost& host)
{
    const StructureModel& m = ws.model;
    return ws.abscissaMode == AbscissaMode::Q && !host.catalogue_row_selected() && m.crystalSystem == "MONO" &&
           std::fabs(m.cell.gamma - 90) > 0.1;
}

}  // namespace

void add_peak_profile(CalculatedPattern& pattern, double twoTheta1, double eta, double /*lambda*/, double peak,
                      double halfWidth, double amplitude)
{
    for (int j = 0; j < kPatternPoints; ++j) {
        pattern.angles[j] = static_cast<float>(twoTheta1 + j * pattern.step);
        const double x = (pattern.angles[j] - peak) / halfWidth;
        const double y = eta * 1 / (1 + x * x) + (1 - eta) * std::exp2(-x * x);
        pattern.intensities[j] = static_cast<float>(pattern.intensities[j] + amplitude * y);
    }
}

namespace {

// Scales the points to a maximum of 100 and fills the results list; refused when every point is 0.
bool scale_to_100(Workspace& ws, Messages& messages)
{
    CalculatedPattern& pattern = ws.results.pattern;
    float largest = 0;
    for (const float v : pattern.intensities)
        largest = std::max(largest, v);
    if (!(largest > 0)) {
        messages.warning("The calculated diagram is empty: every intensity is 0!");
        return false;
    }
    const double factor = 100 / static_cast<double>(largest);
    for (float& v : pattern.intensities)
        v = static_cast<float>(v * factor);
    pattern.scale = factor;
    pattern.pointCount = kPatternPoints;
    fill_results_list(ws);
    return true;
}

// The picture with the profile settings: the peaks of profile_terms on the 1015 points.
bool synthesise_shaped_profile(Workspace& ws, const CalculationHost& host, Messages& messages)
{
    CalculatedPattern& pattern = ws.results.pattern;
    for (const Reflection& r : ws.results.merged) {
        const char* refusal = peak_width_refusal(ws.model, r.twoTheta);
        if (!refusal && monoclinic_q_refused(ws, host))
            refusal = "The unique axis cannot be parallel to C axis!";
        if (refusal) {
            messages.warning(refusal);
            return false;
        }
    }
    const std::vector<double> angles(pattern.angles, pattern.angles + kPatternPoints);
    const std::vector<double> values = evaluate_profile_terms(profile_terms(ws), angles);
    for (int j = 0; j < kPatternPoints; ++j)
        pattern.intensities[j] = static_cast<float>(values[static_cast<std::size_t>(j)]);
    return scale_to_100(ws, messages);
}

}  // namespace

bool synthesise_profile(Workspace& ws, const CalculationHost& host, Messages& messages)
{
    const StructureModel& m = ws.model;
    CalculatedPattern& pattern = ws.results.pattern;
    ws.results.grid = {};
    pattern.step = (m.twoTheta2 - m.twoTheta1) * kStepPerWidth;
    for (int j = 0; j < kPatternPoints; ++j) {
        pattern.angles[j] = static_cast<float>(m.twoTheta1 + j * pattern.step);
        pattern.intensities[j] = 0;
    }
    if (!is_default(m.profile))
        return synthesise_shaped_profile(ws, host, messages);
    std::vector<Peak> peaks;
    const char* refusal = nullptr;
    for (const Reflection& r : ws.results.merged) {
        const float t = static_cast<float>(std::tan(r.twoTheta * kHalfDegreesToRadians));
        const double c = m.u * t * t + m.v * t + m.w;
        if (c < 0 || c == 0 || std::isnan(c)) {
            refusal = c == 0 ? "Bad u,v,w values (angular width = 0!)" : "Bad u,v,w values (angular width < 0!)";
            break;
        }
        if (monoclinic_q_refused(ws, host)) {
            refusal = "The unique axis cannot be parallel to C axis!";
            break;
        }
        peaks.push_back({r.twoTheta, std::sqrt(c), 0.1 * r.intensity});
    }
    accumulate(pattern, m.twoTheta1, peaks);
    if (refusal) {
        messages.warning(refusal);
        return false;
    }
    return scale_to_100(ws, messages);
}

}  // namespace kalidos
