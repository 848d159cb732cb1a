// The cells of higher symmetry a reduced cell's metric allows, and a triclinic lattice found from
// its lines by the zones (the dichotomy of six terms would not reach it in the time).
#include <gtest/gtest.h>

#include <Eigen/LU>

#include <algorithm>
#include <cmath>
#include <vector>

#include "indexing/cell_indexing.hpp"
#include "indexing/lattice_settings.hpp"
#include "indexing/niggli_reduction.hpp"

namespace kalidos {
namespace {

struct Centred {
    LatticeSystem system;
    char centring;
    UnitCell cell;
};

// Each centred lattice, given as its reduced primitive cell, comes back in its conventional cell:
// its system with the centring, the conventional volume, the same lattice.
TEST(LatticeSettings, EachCentredLatticeIsGivenItsConventionalCell)
{
    for (const Centred& k : {Centred{LatticeSystem::Monoclinic, 'C', {9.263, 5.351, 15.04, 90, 96.86, 90}},
                             Centred{LatticeSystem::Orthorhombic, 'F', {5.1, 7.3, 11.9, 90, 90, 90}},
                             Centred{LatticeSystem::Tetragonal, 'I', {4.2, 4.2, 11.3, 90, 90, 90}},
                             Centred{LatticeSystem::Hexagonal, 'R', {4.7602, 4.7602, 12.9933, 90, 90, 120}},
                             Centred{LatticeSystem::Cubic, 'F', {5.4309, 5.4309, 5.4309, 90, 90, 90}}}) {
        const UnitCell primitive = primitive_cell(k.cell, k.centring);
        const std::vector<ConventionalSetting> settings = conventional_settings(niggli_reduce(primitive).cell, 0.1);
        const auto it = std::find_if(settings.begin(), settings.end(),
                                     [&](const ConventionalSetting& s) { return s.system == k.system; });
        ASSERT_NE(it, settings.end()) << system_name(k.system, k.centring);
        // A lower-symmetry cell of the same lattice may use another centring (I for C); the
        // system's own, highest-symmetry setting has the lattice's.
        if (k.system != LatticeSystem::Monoclinic) {
            EXPECT_EQ(it->centring, k.centring) << system_name(k.system, k.centring);
        }
        EXPECT_NEAR(volume_of(it->cell), volume_of(k.cell), 1e-6 * volume_of(k.cell)) << system_name(k.system, k.centring);
        EXPECT_TRUE(same_lattice(primitive_cell(it->cell, it->centring), primitive, 1e-6));
        // Nothing of higher symmetry than the lattice has.
        EXPECT_TRUE(std::none_of(settings.begin(), settings.end(), [&](const ConventionalSetting& s) {
            return parameter_count(s.system) < parameter_count(k.system);
        })) << system_name(k.system, k.centring);
    }
}

// The 22 first lines of a triclinic cell (V = 418 Å³) at Cu Kα1, each moved by up to 0.01°, all
// by a zero error of 0.04°, and two impurity lines: its lattice first, within the survey's 1 %
// (about 8 s of processor time).
TEST(ZoneSearch, ATriclinicLatticeIsFoundFromItsLines)
{
    const UnitCell truth{6.2555, 7.9296, 9.3275, 105.83, 107.16, 101.011};
    constexpr double kLambda = 1.540593, kDegrees = 57.29577951308232;
    // 1/d² = hᵀ G⁻¹ h, the metric written out here.
    const double ca = std::cos(truth.alpha / kDegrees), cb = std::cos(truth.beta / kDegrees),
                 cg = std::cos(truth.gamma / kDegrees);
    Eigen::Matrix3d g;
    g << truth.a * truth.a, truth.a * truth.b * cg, truth.a * truth.c * cb, truth.a * truth.b * cg, truth.b * truth.b,
        truth.b * truth.c * ca, truth.a * truth.c * cb, truth.b * truth.c * ca, truth.c * truth.c;
    const Eigen::Matrix3d gStar = g.inverse();
    std::vector<double> angles;
    for (int h = -8; h <= 8; ++h)
        for (int k = -8; k <= 8; ++k)
            for (int l = -8; l <= 8; ++l) {
                const Eigen::Vector3d v(h, k, l);
                const double q = v.dot(gStar * v);
                if (q > 0 && std::sqrt(q) * kLambda / 2 < std::sin(35 / kDegrees))
                    angles.push_back(2 * std::asin(std::sqrt(q) * kLambda / 2) * kDegrees);
            }
    std::sort(angles.begin(), angles.end());
    std::vector<double> distinct;
    for (const double t : angles)
        if (distinct.empty() || t - distinct.back() > 0.05)
            distinct.push_back(t);
    distinct.resize(22);
    IndexingLines lines;
    lines.wavelength = kLambda;
    for (std::size_t i = 0; i < distinct.size(); ++i)
        lines.twoTheta.push_back(distinct[i] + 0.04 + 0.005 * static_cast<double>(static_cast<int>(i * 7 % 5) - 2));
    for (const std::size_t at : {std::size_t{6}, std::size_t{14}})
        lines.twoTheta.push_back((distinct[at] + distinct[at + 1]) / 2 + 0.04);
    std::sort(lines.twoTheta.begin(), lines.twoTheta.end());
    lines.intensity.assign(lines.twoTheta.size(), 100.0);
    // The orthorhombic and monoclinic searches still run after the zones' triclinic cell (a cell of
    // more free terms does not bound them): their shares of a limit end them.
    IndexingSettings settings;
    settings.timeLimit = 10;
    const IndexingResult found = find_cells(lines, settings);
    ASSERT_FALSE(found.cells.empty());
    EXPECT_TRUE(same_lattice(found.cells.front().reduced, niggli_reduce(truth).cell, 0.01))
        << found.cells.front().fit.cell.a << " " << found.cells.front().fit.cell.b << " " << found.cells.front().fit.cell.c;
}

}  // namespace
}  // namespace kalidos
