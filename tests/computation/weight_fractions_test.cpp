// Hill and Howard's weight fractions and their su, against the closed form of two phases.
#include "computation/weight_fractions.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace kalidos {
namespace {

TEST(WeightFractions, TwoPhasesMatchTheClosedFormAndTheScalesGoBack)
{
    // A = Z·M·V of each phase, S its scale: w1 = S1·A1/(S1·A1 + S2·A2) = 0.4/0.7.
    const double a1 = 2, a2 = 3, s1 = 0.2, s2 = 0.1;
    const double c11 = 1e-4, c22 = 4e-4, c12 = -5e-5;
    const auto covariance = [&](std::size_t i, std::size_t j) { return i != j ? c12 : i == 0 ? c11 : c22; };
    const std::vector<FittedValue> w = weight_fractions(std::vector{a1, a2}, std::vector{s1, s2}, covariance);
    ASSERT_EQ(w.size(), 2u);
    EXPECT_DOUBLE_EQ(w[0].value, 4.0 / 7);
    EXPECT_DOUBLE_EQ(w[1].value, 3.0 / 7);
    // ∂w1/∂S1 = A1·S2·A2/Σ², ∂w1/∂S2 = −A2·S1·A1/Σ² (the quotient rule); w2 = 1 − w1 has the same su.
    const double sum = s1 * a1 + s2 * a2, d1 = a1 * s2 * a2 / (sum * sum), d2 = -a2 * s1 * a1 / (sum * sum);
    const double su = std::sqrt(d1 * d1 * c11 + 2 * d1 * d2 * c12 + d2 * d2 * c22);
    EXPECT_NEAR(w[0].su, su, 1e-15);
    EXPECT_NEAR(w[1].su, su, 1e-15);

    const std::vector<double> zmv{2, 5}, fractions{0.3, 0.7};
    const std::vector<double> scales{hill_howard_scale(fractions[0], zmv[0]), hill_howard_scale(fractions[1], zmv[1])};
    const std::vector<FittedValue> back = weight_fractions(zmv, scales);
    EXPECT_DOUBLE_EQ(back[0].value, 0.3);
    EXPECT_DOUBLE_EQ(back[1].value, 0.7);
    EXPECT_EQ(back[0].su, 0);  // no covariance given
    EXPECT_EQ(hill_howard_scale(0.5, 0), 0);
    EXPECT_EQ(weight_fractions(zmv, std::vector{0.0, 0.0})[1].value, 0);
}

}  // namespace
}  // namespace kalidos
