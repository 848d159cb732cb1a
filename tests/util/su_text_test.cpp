// The value(su) text, against the IUCr's examples and the edges of its rule.
#include "util/su_text.hpp"

#include <gtest/gtest.h>

namespace kalidos {
namespace {

TEST(SuText, IucrRuleTwoDigitsOnlyWhenTheFirstIsOne)
{
    EXPECT_EQ(value_su_text(4.758203, 0.0000712), "4.75820(7)");
    EXPECT_EQ(value_su_text(12.98953, 0.000213), "12.9895(2)");
    EXPECT_EQ(value_su_text(0.115213, 0.001342), "0.1152(13)");
    EXPECT_EQ(value_su_text(1.23456, 0.0194), "1.235(19)");
    EXPECT_EQ(value_su_text(1.23456, 0.0196), "1.23(2)");  // 19.6 rounds to 20: one digit
    EXPECT_EQ(value_su_text(1234.4, 150), "1230(150)");
    EXPECT_EQ(value_su_text(1234.4, 4.2), "1234(4)");
    EXPECT_EQ(value_su_text(123456, 2300), "123000(2000)");
    EXPECT_EQ(value_su_text(-0.00001, 0.001), "0.0000(10)");
    EXPECT_EQ(value_su_text(0.25, 0, 4), "0.25");
}

}  // namespace
}  // namespace kalidos
