#include "indexing/superlattice_check.hpp"

#include <algorithm>
#include <cmath>

namespace kalidos {
namespace {

bool has_line_near(const std::vector<double>& sorted, double angle, double reach)
{
    const auto at = std::lower_bound(sorted.begin(), sorted.end(), angle - reach);
    return at != sorted.end() && *at <= angle + reach;
}

}  // namespace

std::vector<double> calculated_angles(const CellFit& fit, const IndexingLines& lines, double tolerance)
{
    const double qMax = q_of_two_theta(lines.twoTheta.back() - fit.zero + tolerance, lines.wavelength);
    std::vector<double> angles;
    for (const CalculatedLine& line : calculated_lines(fit.system, terms_of(fit.system, fit.parameters), fit.centring, qMax))
        angles.push_back(two_theta_of_q(line.q, lines.wavelength) + fit.zero);
    return angles;
}

bool holds_every_line(const std::vector<double>& wide, const std::vector<double>& narrow, double tolerance)
{
    return std::all_of(narrow.begin(), narrow.end(), [&](double t) { return has_line_near(wide, t, tolerance); });
}

double chance_of_extra_lines(const CellFit& wideFit, const std::vector<double>& wide, const CellFit& narrowFit,
                             const std::vector<double>& narrow, const IndexingLines& lines, double tolerance)
{
    const int extra = wideFit.indexedCount - narrowFit.indexedCount;
    if (extra <= 0)
        return 1;
    const double first = lines.twoTheta.front(), last = lines.twoTheta.back();
    double covered = 0;
    for (const double t : wide)
        if (t >= first - tolerance && !has_line_near(narrow, t, tolerance))
            covered += 2 * tolerance;
    const double share = std::min(1.0, covered / std::max(last - first, tolerance));
    const double expected = narrowFit.unindexed * share;
    // P(Poisson(expected) ≥ extra).
    double below = 0, term = std::exp(-expected);
    for (int k = 0; k < extra; ++k) {
        below += term;
        term *= expected / (k + 1);
    }
    return std::max(0.0, 1 - below);
}

}  // namespace kalidos
