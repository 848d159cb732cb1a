// Typed numbers: the repairs, the strict and the unchecked conversions, the 6-byte rounding.
#include <gtest/gtest.h>

#include "util/number_text.hpp"

namespace kalidos {
namespace {

TEST(NormaliseNumber, RepairsMissingDigitsBesideThePoint)
{
    EXPECT_EQ(normalise_number(""), "0");
    EXPECT_EQ(normalise_number(".5"), ".5");  // converted as is
    EXPECT_EQ(normalise_number(" .5"), "0.5");
    EXPECT_EQ(normalise_number("-.5"), "-0.5");
    EXPECT_EQ(normalise_number("3."), "3.0");
    EXPECT_EQ(normalise_number("3. "), "3.0");
    EXPECT_EQ(*parse_real(normalise_number(".5")), 0.5);
    EXPECT_EQ(*parse_real(normalise_number("-.5")), -0.5);
    EXPECT_EQ(*parse_real(normalise_number("3.")), 3.0);
    EXPECT_EQ(*parse_real(normalise_number(" .5")), 0.5);
}

TEST(ParseReal, WholeTextMustBeANumber)
{
    EXPECT_EQ(*parse_real("  0.50000"), 0.5);
    EXPECT_EQ(*parse_real("1e-3"), 0.001);
    EXPECT_EQ(*parse_real("+2"), 2.0);
    EXPECT_FALSE(parse_real("1,5"));
    EXPECT_FALSE(parse_real("12abc"));
    EXPECT_FALSE(parse_real("-"));
    EXPECT_FALSE(parse_real("."));
    EXPECT_FALSE(parse_real("Multiple"));
    EXPECT_FALSE(parse_real("1e400")) << "beyond a double: no number, not 0";
}

TEST(ParseReal, UncheckedConversionKeepsTheValidBeginning)
{
    EXPECT_EQ(parse_real_prefix("12abc"), 12.0);
    EXPECT_EQ(parse_real_prefix("  5.25xyz"), 5.25);
    EXPECT_EQ(parse_real_prefix("2e"), 2.0);
    EXPECT_EQ(parse_real_prefix("abc"), 0.0);
    EXPECT_FALSE(parse_real_prefix("1e400abc")) << "beyond a double: refused, not read as 0";
}

TEST(Real48, KeepsAboutTwelveDigits)
{
    EXPECT_EQ(to_real48(0.5), 0.5);
    EXPECT_EQ(to_real48(0.125), 0.125);
    const double third = to_real48(1.0 / 3);
    EXPECT_NE(third, 1.0 / 3);
    EXPECT_NEAR(third, 1.0 / 3, 1e-12);
    EXPECT_EQ(fractional_part(1.25), 0.25);
    EXPECT_EQ(fractional_part(-1.25), -0.25);
    EXPECT_EQ(capitalised("FE3+"), "Fe3+");
}

}  // namespace
}  // namespace kalidos
