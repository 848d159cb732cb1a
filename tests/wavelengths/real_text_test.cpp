#include "util/real_text.hpp"

#include <gtest/gtest.h>

namespace kalidos {

TEST(ConvertReal, AcceptsDecimalFormsWithBlanksAround)
{
    const std::pair<const char*, double> cases[] = {
        {"1.54056", 1.54056}, {" 0.77028", 0.77028}, {"100 ", 100}, {"-.5", -0.5}, {".5", 0.5},
        {"3.", 3.0}, {"+2", 2}, {"2E-3", 0.002}, {"1.5e+2", 150}, {"0", 0},
    };
    for (const auto& [text, expected] : cases) {
        double value = -99;
        EXPECT_TRUE(convert_real(text, value)) << text;
        EXPECT_DOUBLE_EQ(value, expected) << text;
    }
}

TEST(ConvertReal, RefusesAnythingButOneNumberAndKeepsTheValue)
{
    for (const char* text : {"", "  ", "1,5", "1.5x", "x1", "1 5", ".", "-", "e5", "1e", "1e+", "inf", "nan",
                             "0x10", "1.2.3", "--1", "1e999"}) {
        double value = 7;
        EXPECT_FALSE(convert_real(text, value)) << '"' << text << '"';
        EXPECT_EQ(value, 7) << text;
    }
}

}  // namespace kalidos
