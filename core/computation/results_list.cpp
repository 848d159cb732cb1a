#include "computation/results_list.hpp"

#include <algorithm>

#include "computation/peak_shape.hpp"
#include "util/pascal_format.hpp"

namespace kalidos {
namespace {

constexpr double kTwoPi = 6.283185307179586;

// 100 / largest, held as the 32-bit value the list shows; 0 for an empty table.
float scale_to_100(double largest)
{
    return largest > 0 ? static_cast<float>(100 / largest) : 0.0f;
}

bool peaks_moved(const ProfileSettings& s)
{
    return s.zeroShift != 0 || s.displacementMm != 0;
}

// With a zero shift or a sample displacement each row also gives where its peak is seen.
void fill_angle_rows(const CalculationResults& res, const ProfileSettings& profile, bool theta,
                     std::vector<std::string>& lines)
{
    const bool moved = peaks_moved(profile);
    double largest = 0;
    for (const Reflection& r : res.merged)
        largest = std::max(largest, r.intensity);
    const float k = scale_to_100(largest);
    lines.push_back("K=" + fmt_fixed(k, 12, 7));
    for (int i = 1; i <= res.merged.count; ++i) {
        const Reflection& r = res.merged[i];
        lines.push_back(fmt_int(i, 3) + fmt_int(r.h, 3) + fmt_int(r.k, 3) + fmt_int(r.l, 3) + fmt_fixed(r.d, 8, 4) +
                        fmt_fixed(theta ? r.twoTheta / 2 : r.twoTheta, 8, 3) + fmt_fixed(k * r.intensity, 6, 1) +
                        fmt_fixed(r.lambda, 8, 5));
        if (moved) {
            const double position = r.twoTheta + peak_shift(profile, r.twoTheta);
            lines.back() += fmt_fixed(theta ? position / 2 : position, 8, 3);
        }
    }
}

void fill_q_rows(const CalculationResults& res, std::vector<std::string>& lines)
{
    double largest = 0;
    for (const PeakEntry& p : res.peaks)
        largest = std::max(largest, p.intensity);
    const float k = scale_to_100(largest);
    lines.push_back("K=" + fmt_fixed(k, 10, 5));
    for (int i = 1; i <= res.peaks.count; ++i) {
        const PeakEntry& p = res.peaks[i];
        lines.push_back(fmt_int(i, 3) + fmt_int(p.h, 3) + fmt_int(p.k, 3) + fmt_int(p.l, 3) +
                        fmt_fixed(kTwoPi / p.q, 8, 4) + fmt_fixed(p.q, 8, 4) + fmt_fixed(k * p.intensity, 8, 2));
    }
}

}  // namespace

void fill_results_list(Workspace& workspace)
{
    std::vector<std::string>& lines = workspace.results.resultsList;
    lines.clear();
    switch (workspace.abscissaMode) {
    case AbscissaMode::Theta: lines.push_back(" Nb. h  k  l   Dhkl   Theta k*Int. lambda"); break;
    case AbscissaMode::TwoTheta: lines.push_back(" Nb. h  k  l   Dhkl  2Theta k*Int. lambda"); break;
    case AbscissaMode::Q: lines.push_back(" NB. h  k  l   Dhkl     Q     k*Int. "); break;
    }
    const ProfileSettings& profile = workspace.model.profile;
    const bool moved = workspace.abscissaMode != AbscissaMode::Q && peaks_moved(profile);
    if (moved)
        lines.back() += "    Peak";
    lines.push_back(std::string(moved ? 57 : 49, '_'));
    if (workspace.abscissaMode == AbscissaMode::Q)
        fill_q_rows(workspace.results, lines);
    else
        fill_angle_rows(workspace.results, profile, workspace.abscissaMode == AbscissaMode::Theta, lines);
}

}  // namespace kalidos
