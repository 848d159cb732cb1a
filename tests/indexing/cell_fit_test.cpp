// The refinement of a trial cell with the zero error, and de Wolff's M20 and Smith & Snyder's F_N
// computed again here from their definitions.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "indexing/cell_fit.hpp"

namespace kalidos {
namespace {

constexpr double kLambda = 1.5406;
constexpr double kDegrees = 57.29577951308232;

double two_theta_of(double s, double a) { return 2 * std::asin(kLambda * std::sqrt(s) / (2 * a)) * kDegrees; }

// h² + k² + l² takes every value but those of the form 4^m (8n + 7).
bool sum_of_three_squares(int s)
{
    while (s > 0 && s % 4 == 0)
        s /= 4;
    return s % 8 != 7;
}

struct Figures {
    double m20, fn;
};

// M20 = Q20 / (2 ε N20) and F_N = N / (|Δ2θ| N_poss) of a cubic cell a, zero z, lines indexed by `s`.
Figures figures_by_hand(const std::vector<double>& twoTheta, const std::vector<int>& s, double a, double zero,
                        bool faceCentred)
{
    const auto q = [](double t) { return std::pow(2 * std::sin(t / 2 / kDegrees) / kLambda, 2); };
    const auto calculated = [&](int up) {
        int n = 0;
        for (int v = 1; v <= up; ++v)  // F: h k l all odd (s ≡ 3 mod 8) or all even (s ≡ 0 mod 4)
            n += sum_of_three_squares(v) && (!faceCentred || v % 8 == 3 || v % 4 == 0);
        return n;
    };
    double epsilon = 0, delta = 0;
    for (std::size_t i = 0; i < twoTheta.size(); ++i) {
        const double observed = twoTheta[i] - zero;
        delta += std::fabs(observed - two_theta_of(s[i], a));
        if (i < 20)
            epsilon += std::fabs(q(observed) - s[i] / (a * a));
    }
    // Q20: the 20th line's, or its reflection's when larger (as N20 counts the reflection itself).
    const double q20 = std::max(q(twoTheta[19] - zero), s[19] / (a * a));
    const double n = static_cast<double>(twoTheta.size());
    return {q20 / (2 * epsilon / 20 * calculated(s[19])), n / (delta / n * calculated(s.back()))};
}

IndexingLines lines_of(const std::vector<int>& s, double a, double zero)
{
    IndexingLines lines;
    lines.wavelength = kLambda;
    for (std::size_t i = 0; i < s.size(); ++i) {
        lines.twoTheta.push_back(two_theta_of(s[i], a) + zero + (i % 3 == 0 ? 0.008 : i % 3 == 1 ? -0.005 : 0.0));
        lines.intensity.push_back(1);
    }
    return lines;
}

TEST(CellFit, ZeroErrorAndCellRefinedAndFiguresAsDefined)
{
    const std::vector<int> s = {1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 16, 17, 18, 19, 20, 21, 22, 24, 25};
    const IndexingLines lines = lines_of(s, 4.0, 0.04);
    FitSettings settings;
    settings.zeroRange = 0.1;
    CellFit fit;
    // From a start within the tolerance, as the search gives it.
    ASSERT_TRUE(fit_cell(LatticeSystem::Cubic, 'P', {1 / (4.0002 * 4.0002)}, 0.035, lines, settings, fit));
    EXPECT_EQ(fit.unindexed, 0);
    EXPECT_NEAR(fit.cell.a, 4.0, 2e-4);
    EXPECT_NEAR(fit.zero, 0.04, 0.004);
    for (std::size_t i = 0; i < s.size(); ++i)
        EXPECT_EQ(fit.hkl[i].h * fit.hkl[i].h + fit.hkl[i].k * fit.hkl[i].k + fit.hkl[i].l * fit.hkl[i].l, s[i]);
    const Figures hand = figures_by_hand(lines.twoTheta, s, fit.cell.a, fit.zero, false);
    EXPECT_NEAR(fit.m20, hand.m20, 1e-6 * hand.m20);
    EXPECT_EQ(fit.m20Calculated, 20);  // s = 1..22 without 7 and 15
    EXPECT_NEAR(fit.fn, hand.fn, 1e-6 * hand.fn);
    EXPECT_EQ(fit.fnPossible, 22);     // s = 1..25 without 7, 15 and 23

    // A zero error beyond the range allowed is not refined to: the lines stay off by 0.035°.
    settings.zeroRange = 0.005;
    EXPECT_FALSE(fit_cell(LatticeSystem::Cubic, 'P', {1 / (4.0002 * 4.0002)}, 0.035, lines, settings, fit));
}

TEST(CellFit, CentringCountsOnlyTheLinesItAllows)
{
    // Face-centred: all-odd or all-even indices.
    const std::vector<int> s = {3, 4, 8, 11, 12, 16, 19, 20, 24, 27, 32, 35, 36, 40, 43, 44, 48, 51, 52, 56};
    const IndexingLines lines = lines_of(s, 8.0, 0);
    FitSettings settings;
    CellFit primitive, faceCentred;
    ASSERT_TRUE(fit_cell(LatticeSystem::Cubic, 'P', {1 / 64.0}, 0, lines, settings, primitive));
    ASSERT_TRUE(fit_cell(LatticeSystem::Cubic, 'F', {1 / 64.0}, 0, lines, settings, faceCentred));
    const Figures hand = figures_by_hand(lines.twoTheta, s, faceCentred.cell.a, 0, true);
    EXPECT_NEAR(faceCentred.m20, hand.m20, 1e-6 * hand.m20);
    EXPECT_EQ(faceCentred.m20Calculated, 20);
    EXPECT_GT(primitive.m20Calculated, 2 * faceCentred.m20Calculated);
    // A line the centring forbids is not indexed: (1 0 0) at s = 1.
    IndexingLines withForbidden = lines;
    withForbidden.twoTheta.insert(withForbidden.twoTheta.begin(), two_theta_of(1, 8.0));
    withForbidden.intensity.push_back(1);
    settings.allowedMissing = 1;
    ASSERT_TRUE(fit_cell(LatticeSystem::Cubic, 'F', {1 / 64.0}, 0, withForbidden, settings, faceCentred));
    EXPECT_EQ(faceCentred.unindexed, 1);
    EXPECT_FALSE(faceCentred.indexed[0]);
}

// The tolerance bounds every line's distance: when a cell and zero place each line within it, the
// fit finds them though the least squares' centre leaves a line beyond it; when none does, the
// line stays unindexed.
TEST(CellFit, ALineWithinTheToleranceOfSomeCellIsNotLostToTheLeastSquares)
{
    const std::vector<int> s = {1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 16, 17, 18, 19, 20, 21, 22, 24, 25};
    FitSettings settings;
    settings.zeroRange = 0.1;
    // Every line 0.02° low but one in the middle: their spread (0.055°, then 0.065°) against the
    // tolerance's two sides (0.06°).
    for (const double outlier : {0.035, 0.045}) {
        IndexingLines lines;
        lines.wavelength = kLambda;
        for (std::size_t i = 0; i < s.size(); ++i) {
            lines.twoTheta.push_back(two_theta_of(s[i], 4.0) + (i == 10 ? outlier : -0.02));
            lines.intensity.push_back(1);
        }
        CellFit fit;
        const bool placed = fit_cell(LatticeSystem::Cubic, 'P', {1 / 16.0}, 0, lines, settings, fit);
        EXPECT_EQ(placed, outlier < 0.04) << outlier;
        if (!placed)
            continue;
        EXPECT_EQ(fit.unindexed, 0);
        for (std::size_t i = 0; i < s.size(); ++i)
            EXPECT_LE(std::fabs(lines.twoTheta[i] - fit.zero - fit.twoThetaCalculated[i]), settings.tolerance) << i;
    }
}

}  // namespace
}  // namespace kalidos
