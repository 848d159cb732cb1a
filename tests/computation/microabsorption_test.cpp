// The mass attenuation table against the values its generator took from xraylib at the anode lines,
// the linear absorption of corundum worked out by hand, Brindley's τ against an integral over a
// sphere, and the corrected fractions of a two-phase mixture.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "computation/mass_attenuation.hpp"
#include "mixture/microabsorption.hpp"
#include "support/paths.hpp"

namespace kalidos {
namespace {

std::shared_ptr<const MassAttenuationTable> shipped_table()
{
    std::string error;
    auto table = mass_attenuation_table(testing::program_data_dir(), error);
    EXPECT_TRUE(table) << error;
    return table;
}

// τ by summing over a sphere of radius 1 (spherical shells × directions would do; here a cubic grid):
// each point weighs exp(−2x·half-chord), the chord through it along the beam (z).
double tau_by_grid(double x)
{
    const int n = 120;
    double sum = 0, count = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const double px = -1 + (i + 0.5) * 2 / n, py = -1 + (j + 0.5) * 2 / n;
            const double r2 = px * px + py * py;
            if (r2 >= 1)
                continue;
            const double chord = 2 * std::sqrt(1 - r2);  // every point of the column has this chord
            for (int k = 0; k < n; ++k) {
                const double pz = -1 + (k + 0.5) * 2 / n;
                if (r2 + pz * pz < 1)
                    sum += std::exp(-x * chord), count += 1;
            }
        }
    return sum / count;
}

TEST(Microabsorption, TableInterpolatesTheGeneratorsValuesAtTheAnodeLines)
{
    const auto table = shipped_table();
    ASSERT_TRUE(table);
    std::ifstream check(testing::test_data_dir() / "instrument" / "mass_attenuation_check.txt");
    std::string line;
    int checked = 0;
    while (std::getline(check, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        int z = 0;
        double lambda = 0, expected = 0;
        std::istringstream(line) >> z >> lambda >> expected;
        EXPECT_NEAR(mass_attenuation(*table, z, lambda) / expected, 1, 0.005) << "Z " << z << " at " << lambda;
        ++checked;
    }
    EXPECT_EQ(checked, 16 * 7);
    EXPECT_TRUE(std::isnan(mass_attenuation(*table, 29, 10.0)));  // 1.2 keV: below the table
    EXPECT_TRUE(std::isnan(mass_attenuation(*table, 150, 1.5)));
    MassAttenuationTable damaged;
    std::string error;
    EXPECT_FALSE(parse_mass_attenuation("1 H 3\n3 0.5\n2 0.4\n4 0.3\n", damaged, error));
    EXPECT_EQ(error, "line 3: expected 'energy mu' with positive numbers, energies increasing");
    EXPECT_FALSE(parse_mass_attenuation("1 H 99999999\n", damaged, error));
}

// Corundum, Al2O3 (Z = 6, a 4.7589 c 12.991 Å), with Cu Kα1: μ = ρ·(w_Al·(μ/ρ)_Al + w_O·(μ/ρ)_O).
TEST(Microabsorption, CorundumAbsorbsAsItsCompositionSays)
{
    const auto table = shipped_table();
    ASSERT_TRUE(table);
    StructureModel model;
    model.wavelengths.count = 1;
    model.wavelengths.values[1] = 1.54056;
    model.wavelengths.weights[1] = 1;
    CellContent content;
    content.z = 6;
    content.volume = 4.7589 * 4.7589 * 12.991 * std::sqrt(3.0) / 2;
    content.formulaMass = 2 * 26.9815 + 3 * 15.999;
    content.atoms = {{13, 12}, {8, 18}};
    PhaseAbsorption a;
    std::string error;
    ASSERT_TRUE(phase_absorption(model, content, *table, a, error)) << error;
    const double density = 6 * content.formulaMass / 6.02214e23 / (content.volume * 1e-24);
    EXPECT_NEAR(a.density, density, 1e-3 * density);
    EXPECT_NEAR(density, 3.99, 0.01);  // corundum's known density
    const double wAl = 2 * 26.9815 / content.formulaMass;
    const double expected = density * (wAl * 49.457 + (1 - wAl) * 11.424);  // xraylib at 8.048 keV
    EXPECT_NEAR(a.mu, expected, 2e-3 * expected);
    model.radiation = kNeutrons;
    EXPECT_FALSE(phase_absorption(model, content, *table, a, error));
}

TEST(Microabsorption, BrindleyTauFractionsAndAmorphousContent)
{
    for (const double x : {-0.5, -0.1, -0.02, 0.0, 0.004, 0.05, 0.3, 1.0})
        EXPECT_NEAR(brindley_tau(x), tau_by_grid(x), 2e-3 * tau_by_grid(x)) << x;
    EXPECT_NEAR(brindley_tau(0.1), 0.86136, 1e-5);  // 3(2 − e^(−0.2)·2.44)/0.008
    // Equal absorbers: nothing changes. A strong absorber's fraction rises as its τ falls below 1.
    const PhaseAbsorption light{4.0, 120}, heavy{4.0, 300};
    BrindleyResult same = brindley_fractions({{0.3, light}, {0.7, light}}, 20);
    EXPECT_NEAR(same.fractions[0], 0.3, 1e-12);
    EXPECT_NEAR(same.meanMu, 120, 1e-9);
    BrindleyResult mixed = brindley_fractions({{0.9, light}, {0.1, heavy}}, 10);
    EXPECT_GT(mixed.fractions[1], 0.1);
    EXPECT_LT(mixed.tau[1], 1);
    EXPECT_GT(mixed.tau[0], 1);
    // Self-consistent: μ̄ of the corrected fractions (equal densities: weights are volumes), τ of that μ̄.
    const double mean = mixed.fractions[0] * 120 + mixed.fractions[1] * 300;
    EXPECT_NEAR(mixed.meanMu, mean, 1e-9 * mean);
    EXPECT_NEAR(mixed.tau[1], brindley_tau((300 - mean) * 5e-4), 1e-12);
    EXPECT_NEAR(mixed.fractions[1] / mixed.fractions[0], (0.1 / mixed.tau[1]) / (0.9 / mixed.tau[0]), 1e-12);
    // A standard weighed at 20 % found at 25 % of the crystalline phases: a fifth is amorphous.
    EXPECT_NEAR(amorphous_fraction(0.20, 0.25), 0.2, 1e-15);
}

}  // namespace
}  // namespace kalidos
