#include <gtest/gtest.h>

#include "symmetry/cif_coordinate.hpp"

namespace kalidos {
namespace {

void expect_row(const std::string& text, double r1, double r2, double r3, double t)
{
    const CifCoordinate c = parse_cif_coordinate(text);
    ASSERT_TRUE(c.ok) << text << ": " << c.message;
    EXPECT_DOUBLE_EQ(c.row.r[0], r1) << text;
    EXPECT_DOUBLE_EQ(c.row.r[1], r2) << text;
    EXPECT_DOUBLE_EQ(c.row.r[2], r3) << text;
    EXPECT_DOUBLE_EQ(c.row.t, t) << text;
}

TEST(CifCoordinate, DocumentedExamples)
{
    expect_row("-X+1/2", -1, 0, 0, 0.5);
    expect_row("1/2+X-Y", 1, -1, 0, 0.5);
    expect_row("Z-1/4", 0, 0, 1, -0.25);
}

TEST(CifCoordinate, HexagonalRowsInEitherOrder)
{
    expect_row("X-Y", 1, -1, 0, 0);
    expect_row("Y-X", -1, 1, 0, 0);
    expect_row("-X+Y", -1, 1, 0, 0);
    expect_row("-Y+X", 1, -1, 0, 0);
    expect_row("X+Y", 1, 1, 0, 0);
    // Orders a fixed pattern list would misread.
    expect_row("Y+X", 1, 1, 0, 0);
    expect_row("-X-Y", -1, -1, 0, 0);
}

TEST(CifCoordinate, DecimalTranslationsBlanksAndCase)
{
    expect_row(" x + 0.5 ", 1, 0, 0, 0.5);
    expect_row("-Y+.25", 0, -1, 0, 0.25);
    expect_row("+Z", 0, 0, 1, 0);
    expect_row("2/3+X", 1, 0, 0, 2.0 / 3.0);
    expect_row("-1/6-Z", 0, 0, -1, -1.0 / 6.0);
}

TEST(CifCoordinate, FailuresCarryTheMessageAndTheText)
{
    const CifCoordinate noAxis = parse_cif_coordinate("1/2");
    EXPECT_FALSE(noAxis.ok);
    EXPECT_EQ(noAxis.message, "cannot decode position1/2");

    const CifCoordinate letter = parse_cif_coordinate("Q+1/2");
    EXPECT_FALSE(letter.ok);
    EXPECT_EQ(letter.message, "Cannot decode translationQ");

    const CifCoordinate badNumber = parse_cif_coordinate("X+A");
    EXPECT_FALSE(badNumber.ok);
    EXPECT_EQ(badNumber.message, "Cannot decode translation+A");

    const CifCoordinate badFraction = parse_cif_coordinate("X+1.5/2");
    EXPECT_FALSE(badFraction.ok);
    EXPECT_EQ(badFraction.message, "Cannot decode translation+1.5/2");

    EXPECT_FALSE(parse_cif_coordinate("X+1/0").ok);
    EXPECT_FALSE(parse_cif_coordinate("2X").ok);
    EXPECT_FALSE(parse_cif_coordinate("").ok);
}

}  // namespace
}  // namespace kalidos
