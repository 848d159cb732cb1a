#include "util/pascal_format.hpp"

#include <gtest/gtest.h>

namespace kalidos {

TEST(PascalFormat, FixedFieldsRoundTiesAwayFromZeroAndPad)
{
    EXPECT_EQ(fmt_fixed(0.125, 8, 2), "    0.13");
    EXPECT_EQ(fmt_fixed(-0.125, 6, 2), " -0.13");
    EXPECT_EQ(fmt_fixed(2.675, 0, 2), "2.67");  // 2.675 is 2.67499999... in binary
    EXPECT_EQ(fmt_fixed(1.5, 9, 5), "  1.50000");
    EXPECT_EQ(fmt_fixed(99.999, 6, 2), "100.00");  // wider than asked: written whole
    EXPECT_EQ(fmt_fixed(2.5, 3, 0), "  3");
    EXPECT_EQ(fmt_fixed(9.96, 4, 1), "10.0");
}

TEST(PascalFormat, ExponentFieldHasThirteenCharacters)
{
    EXPECT_EQ(fmt_exp13(100.0 / 40000.0), " 2.5000E-0003");
    EXPECT_EQ(fmt_exp13(0.0123), " 1.2300E-0002");
    EXPECT_EQ(fmt_exp13(-12345.0), "-1.2345E+0004");
    EXPECT_EQ(fmt_exp13(0.0), " 0.0000E+0000");
    EXPECT_EQ(fmt_exp13(9.99996), " 1.0000E+0001");
    EXPECT_EQ(fmt_exp13(1000.0), " 1.0000E+0003");
    EXPECT_EQ(fmt_exp13(1e-300).size(), 13u);
}

TEST(PascalFormat, IntegersAndTextsAreRightAligned)
{
    EXPECT_EQ(fmt_int(-3, 3), " -3");
    EXPECT_EQ(fmt_int(12345, 3), "12345");
    EXPECT_EQ(fmt_text("O", 2), " O");
    EXPECT_EQ(fmt_text("Fe3+", 2), "Fe3+");
}

}  // namespace kalidos
