#include "computation/specimen_transparency.hpp"

#include <algorithm>
#include <cmath>

namespace kalidos {
namespace {

constexpr double kRadians = 3.141592653589793 / 180;
constexpr int kMaxCopies = 2000;
constexpr double kReach = 12;  // the tail is followed to 12 lengths (e^-12 ≈ 6e-6); the rest lies at the end

struct TailPart {
    double mass = 0;      // share of the area
    double centroid = 0;  // below the term, degrees
};

// The exponential tail's share and centroid over [a, b] (b infinite for the last part).
TailPart tail_part(double a, double b, double length)
{
    const double ea = std::exp(-a / length);
    if (std::isinf(b))
        return {ea, a + length};
    const double eb = std::exp(-b / length);
    const double mass = ea - eb;
    return {mass, mass > 0 ? length + (a * ea - b * eb) / mass : 0.5 * (a + b)};
}

}  // namespace

double transparency_tail_length(double twoTheta, double transparency)
{
    return transparency * std::sin(twoTheta * kRadians);
}

void add_transparency_tail(std::span<const ProfileTerm> terms, double length, std::vector<ProfileTerm>& out)
{
    if (terms.empty())
        return;
    if (!(length > 0)) {
        out.insert(out.end(), terms.begin(), terms.end());
        return;
    }
    const double spacing = 0.25 * terms.front().halfWidth;
    const int parts = std::clamp(static_cast<int>(std::ceil(kReach * length / spacing)), 1, kMaxCopies);
    std::vector<TailPart> tail;
    for (int k = 0; k < parts; ++k)
        tail.push_back(tail_part(k * spacing, k + 1 < parts ? (k + 1) * spacing : INFINITY, length));
    double top = terms.front().position, bottom = top;
    for (const ProfileTerm& t : terms)
        top = std::max(top, t.position), bottom = std::min(bottom, t.position);
    const double lowest = bottom - tail.back().centroid;
    const std::size_t nodes = static_cast<std::size_t>(std::ceil((top - lowest) / spacing)) + 2;
    std::vector<double> grid(nodes, 0.0);
    for (const ProfileTerm& t : terms) {
        ProfileTerm near = t;
        near.position -= tail[0].centroid;
        near.height *= tail[0].mass;
        out.push_back(near);
        for (std::size_t k = 1; k < tail.size(); ++k) {
            const double at = (top - (t.position - tail[k].centroid)) / spacing;
            const std::size_t node = std::min(static_cast<std::size_t>(at), nodes - 2);
            const double beyond = at - static_cast<double>(node);
            grid[node] += t.height * tail[k].mass * (1 - beyond);
            grid[node + 1] += t.height * tail[k].mass * beyond;
        }
    }
    for (std::size_t j = 0; j < nodes; ++j)
        if (grid[j] > 0)
            out.push_back({top - static_cast<double>(j) * spacing, terms.front().halfWidth, terms.front().eta, grid[j]});
}

}  // namespace kalidos
