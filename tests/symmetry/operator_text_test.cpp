#include <gtest/gtest.h>

#include "symmetry/operator_text.hpp"

namespace kalidos {
namespace {

OperatorRow row(double r1, double r2, double r3, double t)
{
    return {{r1, r2, r3}, t};
}

TEST(FormatOperatorRow, DocumentedExamples)
{
    EXPECT_EQ(format_operator_row(row(0, -1, 0, -0.5)), "-Y+1/2");
    EXPECT_EQ(format_operator_row(row(1, -1, 0, 0)), " X-Y");
    EXPECT_EQ(format_operator_row(row(0, 1, -1, 0)), "");
}

TEST(FormatOperatorRow, EveryFormAndTranslation)
{
    EXPECT_EQ(format_operator_row(row(1, 0, 0, 0)), " X");
    EXPECT_EQ(format_operator_row(row(0, 1, 0, 0)), " Y");
    EXPECT_EQ(format_operator_row(row(0, 0, 1, 0)), " Z");
    EXPECT_EQ(format_operator_row(row(-1, 0, 0, 0)), "-X");
    EXPECT_EQ(format_operator_row(row(0, 0, -1, 0)), "-Z");
    EXPECT_EQ(format_operator_row(row(-1, 1, 0, 0)), " Y-X");
    EXPECT_EQ(format_operator_row(row(1, 0, 0, 0.3333333)), " X+1/3");
    EXPECT_EQ(format_operator_row(row(1, 0, 0, 0.6666667)), " X+2/3");
    EXPECT_EQ(format_operator_row(row(1, 0, 0, 0.25)), " X+1/4");
    EXPECT_EQ(format_operator_row(row(1, 0, 0, -0.25)), " X+3/4");
    EXPECT_EQ(format_operator_row(row(1, 0, 0, 0.166667)), " X+1/6");
    EXPECT_EQ(format_operator_row(row(1, 0, 0, 0.83333)), " X+5/6");
    EXPECT_EQ(format_operator_row(row(1, 0, 0, 1.5)), " X+1/2");
    // A translation of exactly 1 (0.5 + centring 0.5) is equivalent to none.
    EXPECT_EQ(format_operator_row(row(1, 0, 0, 1.0)), " X");
    EXPECT_EQ(format_operator_row(row(1, 0, 0, 0.125)), " X");
}

TEST(BuildOperatorTexts, InversionAndTranslatedOperator)
{
    StructureModel model;
    model.operatorCount = 2;
    model.operators[1].m[0][0] = -1;
    model.operators[1].m[1][1] = -1;
    model.operators[1].m[2][2] = -1;
    model.operators[2].m[0][0] = 1;
    model.operators[2].m[0][3] = 0.5;
    model.operators[2].m[1][1] = -1;
    model.operators[2].m[2][2] = 1;
    build_operator_texts(model);
    EXPECT_EQ(model.operatorTexts[1], "-X,-Y,-Z");
    EXPECT_EQ(model.operatorTexts[2], " X+1/2,-Y, Z");

    const TextGrid grid = equivalent_positions_grid(model);
    ASSERT_EQ(grid.rows(), 3);
    EXPECT_EQ(grid.cell(0, 0), "Nb");
    EXPECT_EQ(grid.cell(0, 3), "c");
    EXPECT_EQ(grid.cell(2, 0), "2");
    EXPECT_EQ(grid.cell(2, 1), " X+1/2");
    EXPECT_EQ(grid.cell(2, 2), "-Y");
}

}  // namespace
}  // namespace kalidos
