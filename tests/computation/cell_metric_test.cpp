#include "computation/cell_metric.hpp"

#include <gtest/gtest.h>

#include <gemmi/unitcell.hpp>

#include <cmath>

#include "gemmi_groups.hpp"

namespace kalidos {
namespace {

TEST(CellMetric, ReciprocalCellOfAHexagonalCell)
{
    StructureModel model;
    testing::set_cell(model, 4.0, 4.0, 6.0, 90, 90, 120);
    EXPECT_NEAR(model.cell.volume, 16 * std::sqrt(3.0) / 2 * 6, 1e-3);
    EXPECT_NEAR(model.cell.aStar, 2 / (4 * std::sqrt(3.0)), 1e-6);
    EXPECT_NEAR(model.cell.cStar, 1 / 6.0, 1e-6);
    EXPECT_NEAR(model.cell.gammaStar, 60, 1e-3);
    EXPECT_NEAR(model.cell.alphaStar, 90, 1e-3);
    // d(1 0 0) = a·√3/2, d(0 0 1) = c, d(1 1 0) = a/2.
    EXPECT_NEAR(1 / std::sqrt(reciprocal_length_squared(model, 1, 0, 0)), 2 * std::sqrt(3.0), 1e-4);
    EXPECT_NEAR(1 / std::sqrt(reciprocal_length_squared(model, 0, 0, 1)), 6.0, 1e-9);
    EXPECT_NEAR(1 / std::sqrt(reciprocal_length_squared(model, 1, 1, 0)), 2.0, 1e-4);
}

TEST(CellMetric, MonoclinicMatrixRowsFollowTheReciprocalAngles)
{
    StructureModel model;
    testing::set_cell(model, 10, 5, 10, 90, 120, 90);
    const double sb = std::sin(120 * kDegreesToRadians);
    EXPECT_NEAR(model.cell.aStar, 1 / (10 * sb), 1e-9);
    EXPECT_NEAR(model.cell.betaStar, 60, 1e-3);
    EXPECT_NEAR(model.cellMatrix[0][2], model.cell.cStar * std::cos(60.0 * M_PI / 180), 1e-5);
    EXPECT_NEAR(model.cellMatrix[2][2], 0.1, 1e-15);
    EXPECT_EQ(model.cellMatrix[1][0], 0);
    // (1 0 1) of this cell: |a* + c*|² = 2a*²(1 + cos 60°).
    const double expected = 2 * model.cell.aStar * model.cell.aStar * 1.5;
    EXPECT_NEAR(reciprocal_length_squared(model, 1, 0, 1), expected, 1e-6);
}

TEST(CellMetric, TheProgramsDegreeFactorMakesRightAnglesSlightlyOblique)
{
    // 0.017453316741046884 is not π/180: a cubic cell acts as one with angles of 90.000125°, so
    // members of one form have spacings differing by parts per million.
    StructureModel model;
    testing::set_cell(model, 5, 5, 5, 90, 90, 90);
    EXPECT_NEAR(model.cell.volume, 125, 1e-6);
    const double d110 = 1 / std::sqrt(reciprocal_length_squared(model, 1, 1, 0));
    const double d1m10 = 1 / std::sqrt(reciprocal_length_squared(model, 1, -1, 0));
    EXPECT_NE(d110, d1m10);
    EXPECT_NEAR(d110 / d1m10, 1, 1e-5);
}

// The one volume formula against gemmi's cell (exact degrees).
TEST(CellMetric, VolumeOfObliqueCellsAsGemmiHasItAndNoneForAnImpossibleCell)
{
    const CellParameters triclinic{5.1, 6.2, 7.3, 80, 95, 110}, monoclinic{9.4, 5.6, 7.1, 90, 104.3, 90};
    for (const CellParameters& cell : {triclinic, monoclinic}) {
        const gemmi::UnitCell reference(cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma);
        EXPECT_NEAR(cell_volume(cell, kExactDegreesToRadians), reference.volume, 1e-10 * reference.volume);
    }
    EXPECT_TRUE(std::isnan(cell_volume(CellParameters{5, 5, 5, 170, 170, 170}, kExactDegreesToRadians)));
}

}  // namespace
}  // namespace kalidos
