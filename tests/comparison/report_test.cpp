// How the figures of a comparison are written: uncertainties in parentheses and the columns.
#include <gtest/gtest.h>

#include "comparison/agreement_report.hpp"
#include "comparison/column_export.hpp"
#include "util/su_text.hpp"

namespace kalidos {
namespace {

TEST(AgreementReport, ValuesCarryTheirUncertaintyByTheIucrRule)
{
    EXPECT_EQ(value_su_text(0.97553, 0.0037756), "0.976(4)");
    EXPECT_EQ(value_su_text(-0.061052, 0.00039), "-0.0611(4)");
    EXPECT_EQ(value_su_text(1234.5, 150), "1230(150)");
    EXPECT_EQ(value_su_text(3.7, 0), "3.7");
}

TEST(AgreementReport, ColumnsAfterAComparisonAndOfTheCalculationAlone)
{
    Agreement a;
    a.curves = {{20, 20.5}, {110, 90}, {100, 95}, {10, 11}, {3, 2}, {4, 5}};
    EXPECT_EQ(agreement_columns(ColumnLayout::Csv, a), "two_theta,observed,calculated,background,difference,sigma_fit,"
                                                       "sigma_obs\n20,110,100,10,10,3,4\n20.5,90,95,11,-5,2,5\n");
    const std::vector<double> t = {10, 10.25}, y = {4, 0.5};
    EXPECT_EQ(pattern_columns(ColumnLayout::Xye, t, y), "two_theta calculated sigma\n10 4 2\n10.25 0.5 0.7071067811865476\n");
    EXPECT_EQ(column_layout("out/A.XYE"), ColumnLayout::Xye);
    EXPECT_FALSE(column_layout("out.xy/file"));
}

}  // namespace
}  // namespace kalidos
