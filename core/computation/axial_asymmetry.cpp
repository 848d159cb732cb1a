#include "computation/axial_asymmetry.hpp"

#include <algorithm>
#include <cmath>

namespace kalidos {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kRadians = kPi / 180;
constexpr int kMaxCopies = 2000;

double angle_where_h_is(double twoTheta, double h)
{
    return std::acos(std::min(1.0, std::cos(twoTheta) * std::sqrt(1 + h * h)));
}

// Midpoint rule over u in [u0, u1]: copies at 2θ − u², weight·2u·du.
void add_segment(const ProfileTerm& peak, double twoTheta, double sl, double hl, double u0, double u1, int count,
                 double sign, std::vector<ProfileTerm>& out, double& total)
{
    const double du = (u1 - u0) / count;
    for (int k = 0; k < count; ++k) {
        const double u = u0 + (k + 0.5) * du;
        const double delta = twoTheta - u * u;
        const double weight = fcj_weight(delta, twoTheta, sl, hl) * 2 * u * du;
        if (!(weight > 0))
            continue;
        ProfileTerm copy = peak;
        copy.position = peak.position + sign * (delta - twoTheta) / kRadians;
        copy.height = weight;
        out.push_back(copy);
        total += weight;
    }
}

}  // namespace

double fcj_weight(double delta, double twoTheta, double sl, double hl)
{
    const double lowest = fcj_lowest_angle(twoTheta, sl, hl);
    if (!(delta >= lowest && delta < twoTheta))
        return 0;
    const double ratio = std::cos(delta) / std::cos(twoTheta);
    const double h = std::sqrt(std::max(0.0, ratio * ratio - 1));
    if (!(h > 0))
        return 0;
    // Weights relative to the near region's 2·min(S, H), so that as the smaller of the two goes to 0
    // the shape goes over continuously into its limit, 1/h out to h = max(S, H), rather than
    // vanishing (the copies are normalised to the peak's height afterwards).
    const double nearest = 2 * std::min(sl, hl);
    const double inflection = angle_where_h_is(twoTheta, std::fabs(hl - sl));
    const double w = delta < inflection ? (nearest > 0 ? (sl + hl - h) / nearest : 0) : 1;
    return std::max(0.0, w) / (h * std::cos(delta));
}

double fcj_lowest_angle(double twoTheta, double sl, double hl)
{
    return angle_where_h_is(twoTheta, sl + hl);
}

void add_axially_divergent_terms(const ProfileTerm& peak, double sl, double hl, std::vector<ProfileTerm>& out)
{
    const double mirror = peak.position > 90 ? -1 : 1;
    const double twoTheta = (peak.position > 90 ? 180 - peak.position : peak.position) * kRadians;
    if (!(sl + hl > 0) || !(twoTheta > 0) || !(twoTheta < kPi / 2)) {
        out.push_back(peak);
        return;
    }
    const double lowest = fcj_lowest_angle(twoTheta, sl, hl);
    // With S/L = H/L the inflection is 2θ itself, which acos(cos 2θ) may give an ulp beyond 2θ.
    const double inflection = std::clamp(angle_where_h_is(twoTheta, std::fabs(hl - sl)), lowest, twoTheta);
    const double uInflection = std::sqrt(twoTheta - inflection);
    const double uLowest = std::sqrt(twoTheta - lowest);
    // Copies 2u·du apart in 2θ: at most a quarter of the half width everywhere.
    const double spacing = 0.25 * peak.halfWidth * kRadians;
    const auto copies = [&](double u0, double u1) {
        return std::clamp(static_cast<int>(std::ceil(2 * u1 * (u1 - u0) / spacing)), 4, kMaxCopies);
    };
    const std::size_t first = out.size();
    double total = 0;
    add_segment(peak, twoTheta, sl, hl, 0, uInflection, copies(0, uInflection), mirror, out, total);
    if (uLowest > uInflection)
        add_segment(peak, twoTheta, sl, hl, uInflection, uLowest, copies(uInflection, uLowest), mirror, out, total);
    if (!(total > 0)) {
        out.resize(first);
        out.push_back(peak);
        return;
    }
    for (std::size_t i = first; i < out.size(); ++i)
        out[i].height *= peak.height / total;
}

}  // namespace kalidos
