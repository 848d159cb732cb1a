#include "indexing/superlattice_check.hpp"

#include <algorithm>
#include <cmath>

namespace kalidos {
namespace {

std::vector<double> line_angles(const CellFit& fit, double qMax, double wavelength)
{
    std::vector<double> angles;
    for (const CalculatedLine& line : calculated_lines(fit.system, terms_of(fit.system, fit.parameters), fit.centring, qMax))
        angles.push_back(two_theta_of_q(line.q, wavelength));
    return angles;
}

bool has_line_near(const std::vector<double>& sorted, double angle, double reach)
{
    const auto at = std::lower_bound(sorted.begin(), sorted.end(), angle - reach);
    return at != sorted.end() && *at <= angle + reach;
}

double primitive_volume(const CellFit& fit) { return volume_of(fit.cell) / centring_multiplicity(fit.centring); }

}  // namespace

bool holds_every_line(const CellFit& large, const CellFit& small, const IndexingLines& lines, double tolerance)
{
    const double ratio = primitive_volume(large) / primitive_volume(small);
    if (!(ratio > 1.5) || std::fabs(ratio - std::round(ratio)) > 0.02 * ratio)
        return false;
    const double qMax = q_of_two_theta(lines.twoTheta.back() + tolerance, lines.wavelength);
    const std::vector<double> wide = line_angles(large, qMax, lines.wavelength);
    const std::vector<double> narrow = line_angles(small, qMax, lines.wavelength);
    return std::all_of(narrow.begin(), narrow.end(), [&](double t) { return has_line_near(wide, t, tolerance / 3); });
}

double chance_of_extra_lines(const CellFit& large, const CellFit& small, const IndexingLines& lines, double tolerance)
{
    const int extra = large.indexedCount - small.indexedCount;
    if (extra <= 0)
        return 1;
    const double first = lines.twoTheta.front(), last = lines.twoTheta.back();
    const double qMax = q_of_two_theta(last + tolerance, lines.wavelength);
    const std::vector<double> narrow = line_angles(small, qMax, lines.wavelength);
    double covered = 0;
    for (const double t : line_angles(large, qMax, lines.wavelength))
        if (t >= first && !has_line_near(narrow, t, tolerance / 3))
            covered += 2 * tolerance;
    const double share = std::min(1.0, covered / std::max(last - first, tolerance));
    const double expected = small.unindexed * share;
    // P(Poisson(expected) ≥ extra).
    double below = 0, term = std::exp(-expected);
    for (int k = 0; k < extra; ++k) {
        below += term;
        term *= expected / (k + 1);
    }
    return std::max(0.0, 1 - below);
}

}  // namespace kalidos
