// Niggli reduction against cells reduced by hand, and the lattice comparison built on it.
#include <gtest/gtest.h>

#include <Eigen/LU>

#include <algorithm>
#include <cmath>
#include <vector>

#include "indexing/niggli_reduction.hpp"

namespace kalidos {
namespace {

void expect_cell(const UnitCell& found, const UnitCell& expected, double lengths, double angles)
{
    EXPECT_NEAR(found.a, expected.a, lengths);
    EXPECT_NEAR(found.b, expected.b, lengths);
    EXPECT_NEAR(found.c, expected.c, lengths);
    EXPECT_NEAR(found.alpha, expected.alpha, angles);
    EXPECT_NEAR(found.beta, expected.beta, angles);
    EXPECT_NEAR(found.gamma, expected.gamma, angles);
}

// The lengths of the three shortest lattice vectors that are not coplanar, found by trying every
// combination of the basis with coefficients -4..4: in three dimensions the Niggli cell's edges.
std::vector<double> successive_minima(const UnitCell& cell)
{
    const Eigen::Matrix3d g = direct_metric(cell);
    std::vector<std::pair<double, Eigen::Vector3d>> vectors;
    for (int h = -4; h <= 4; ++h)
        for (int k = -4; k <= 4; ++k)
            for (int l = -4; l <= 4; ++l)
                if (h || k || l) {
                    const Eigen::Vector3d v(h, k, l);
                    vectors.emplace_back(v.dot(g * v), v);
                }
    std::sort(vectors.begin(), vectors.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<Eigen::Vector3d> basis;
    std::vector<double> lengths;
    for (const auto& [squared, v] : vectors) {
        Eigen::Matrix3d m = Eigen::Matrix3d::Zero();
        for (std::size_t i = 0; i < basis.size(); ++i)
            m.col(static_cast<long>(i)) = basis[i];
        m.col(static_cast<long>(basis.size())) = v;
        if (Eigen::FullPivLU<Eigen::Matrix3d>(m).rank() == static_cast<long>(basis.size()) + 1) {
            basis.push_back(v);
            lengths.push_back(std::sqrt(squared));
        }
        if (basis.size() == 3)
            break;
    }
    return lengths;
}

void expect_minima(const UnitCell& reduced, const UnitCell& original)
{
    const std::vector<double> minima = successive_minima(original);
    EXPECT_NEAR(reduced.a, minima[0], 1e-9);
    EXPECT_NEAR(reduced.b, minima[1], 1e-9);
    EXPECT_NEAR(reduced.c, minima[2], 1e-9);
    EXPECT_NEAR(volume_of(reduced), volume_of(original), 1e-9 * volume_of(original));
    // Type I (all angles below 90°) or type II (none).
    const int acute = (reduced.alpha < 90) + (reduced.beta < 90) + (reduced.gamma < 90);
    EXPECT_TRUE(acute == 0 || acute == 3) << reduced.alpha << " " << reduced.beta << " " << reduced.gamma;
}

TEST(NiggliReduction, CentredCubicLatticesReduceToTheirKnownCells)
{
    // Face-centred a = 5.463: the primitive rhombohedron a/√2 = 3.86293 Å at 60° (type I).
    expect_cell(niggli_reduce(primitive_cell({5.463, 5.463, 5.463, 90, 90, 90}, 'F')).cell,
                {3.862929, 3.862929, 3.862929, 60, 60, 60}, 1e-5, 1e-6);
    // Body-centred a = 4: a√3/2 = 3.46410 Å at arccos(−1/3) = 109.4712° (type II).
    expect_cell(niggli_reduce(primitive_cell({4, 4, 4, 90, 90, 90}, 'I')).cell,
                {3.464102, 3.464102, 3.464102, 109.471221, 109.471221, 109.471221}, 1e-5, 1e-5);
    // Hexagonal R obverse (corundum, a = 4.7602, c = 12.9933): the rhombohedron of 5.1295 Å at 55.29°
    // is not reduced (an angle under 60°); the edges are the lattice's shortest vectors.
    const UnitCell corundum = primitive_cell({4.7602, 4.7602, 12.9933, 90, 90, 120}, 'R');
    expect_cell(corundum, {5.129483, 5.129483, 5.129483, 55.291548, 55.291548, 55.291548}, 1e-6, 1e-5);
    expect_minima(niggli_reduce(corundum).cell, corundum);
}

TEST(NiggliReduction, SkewedBasesOfOneLatticeReduceToItsCell)
{
    // A Niggli cell of type II (A ≤ B ≤ C, |ξ| ≤ B, |η| ≤ A, |ζ| ≤ A, |ξ| + |η| + |ζ| ≤ A + B)...
    const UnitCell reduced{3, 4, 5, 100, 95, 92};
    Eigen::Matrix3d skew;
    skew << 1, 1, 2, 0, 1, 1, 0, 0, 1;  // a' = a, b' = a + b, c' = 2a + b + c
    const ReducedCell fromSkew = niggli_reduce(transformed_cell(reduced, skew));
    expect_cell(fromSkew.cell, reduced, 1e-9, 1e-7);
    // ...and the transformation found takes the skewed basis to it, with determinant 1.
    EXPECT_EQ(fromSkew.transform.cast<double>().determinant(), 1);
    expect_cell(transformed_cell(transformed_cell(reduced, skew), fromSkew.transform.cast<double>()), reduced, 1e-9, 1e-7);
    // Permuted and with a flipped axis.
    Eigen::Matrix3d permute;
    permute << 0, 0, -1, 1, 0, 0, 0, -1, 0;
    expect_cell(niggli_reduce(transformed_cell(reduced, permute)).cell, reduced, 1e-9, 1e-7);
    // A cell far from reduced: its reduction has the lattice's three shortest vectors as edges.
    const UnitCell oblique{3, 5.196, 2, 103.55, 109.28, 134.53};
    expect_minima(niggli_reduce(oblique).cell, oblique);
}

TEST(NiggliReduction, SameLatticeToleratesMeasurementButNotADifferentLattice)
{
    const UnitCell fcc = primitive_cell({5.463, 5.463, 5.463, 90, 90, 90}, 'F');
    // The same lattice as the conventional I-tetragonal cell a/√2, a.
    EXPECT_TRUE(same_lattice(fcc, primitive_cell({3.862929, 3.862929, 5.463, 90, 90, 90}, 'I'), 0.003));
    // Measured 0.05 % longer.
    EXPECT_TRUE(same_lattice(fcc, primitive_cell({5.4657, 5.4657, 5.4657, 90, 90, 90}, 'F'), 0.003));
    EXPECT_FALSE(same_lattice(fcc, primitive_cell({5.50, 5.50, 5.50, 90, 90, 90}, 'F'), 0.003));
    // Equal volume, different lattice.
    EXPECT_FALSE(same_lattice({4, 4, 4, 90, 90, 90}, {2, 4, 8, 90, 90, 90}, 0.003));
    // A cell at 90.2° reduces on either side of 90°: still one lattice.
    EXPECT_TRUE(same_lattice({3, 4, 5, 90.1, 90, 90}, {3, 4, 5, 89.9, 90, 90}, 0.01));
}

}  // namespace
}  // namespace kalidos
