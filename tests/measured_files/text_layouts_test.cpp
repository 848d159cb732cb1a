// Text layouts no real file here shows: decimal commas, powder CIF, CONST FXYE banks, UXD ranges
// of intensities only, several RAS scans; and the refusals that go with them.
#include <cmath>

#include "measured_support.hpp"

namespace kalidos {
namespace {

using namespace testing;

std::string refusal(MeasuredReader reader, std::string_view text)
{
    MeasuredDiagram diagram;
    std::string error;
    EXPECT_FALSE(reader(text, diagram, error)) << text;
    EXPECT_FALSE(error.empty());
    return error;
}

TEST(MeasuredTextLayouts, ColumnsWithCommasReadWhereUnambiguous)
{
    const auto decimal = read_or_fail(read_xy_text, "2theta intensity\n10,5 1234,5\n10,6\t1300\n", "decimal comma");
    EXPECT_EQ(decimal.scans[0].twoTheta, (std::vector<double>{10.5, 10.6}));
    EXPECT_EQ(decimal.scans[0].intensity, (std::vector<double>{1234.5, 1300}));
    const auto semicolon = read_or_fail(read_xy_text, "10,5;1234,5;3,5\r\n10,6;1300;4\r\n", "semicolons");
    EXPECT_EQ(semicolon.scans[0].sigma, (std::vector<double>{3.5, 4}));
    const auto csv = read_or_fail(read_xy_text, "# x,y\n10.5,1234\n10.6, 1300\n", "comma separated");
    EXPECT_EQ(csv.scans[0].intensity, (std::vector<double>{1234, 1300}));

    EXPECT_NE(refusal(read_xy_text, "10,5,1234,5\n10,6,1300,5\n").find("line 1"), std::string::npos);
    EXPECT_NE(refusal(read_xy_text, "1 2 3 4\n2 3 4 5\n").find("more than three"), std::string::npos);
    EXPECT_NE(refusal(read_xy_text, "10 1\n11 2\n12 x\n").find("line 3"), std::string::npos);
    EXPECT_NE(refusal(read_xy_text, "10 1\n11 2\n10.5 3\n").find("turns back"), std::string::npos);
    refusal(read_xy_text, "10 nan\n11 2\n");  // an intensity must be a number; a σ may be NaN
}

TEST(MeasuredTextLayouts, PowderCifMeasuredAndProcessedLoops)
{
    const char* listed = "data_scan1\n_diffrn_radiation_wavelength 1.5406\n_pd_meas_step_count_time 2.5\n"
                         "loop_ _pd_meas_2theta_scan _pd_meas_counts_total\n10.00 100(10)\n10.02 121(11)\n10.04 4(2)\n";
    const auto a = read_or_fail(read_powder_cif, listed, "listed 2θ");
    EXPECT_EQ(a.scans[0].name, "scan1");
    EXPECT_EQ(a.scans[0].twoTheta, (std::vector<double>{10.0, 10.02, 10.04}));
    EXPECT_EQ(a.scans[0].sigma, (std::vector<double>{10, 11, 2}));
    EXPECT_EQ(a.scans[0].unit, "counts");
    EXPECT_EQ(a.scans[0].countingTime, 2.5);
    EXPECT_EQ(a.wavelengths.lambda1, 1.5406);

    const char* ranged = "data_x\nloop_ _diffrn_radiation_wavelength _diffrn_radiation_wavelength_wt\n"
                         "1.540598 1.0\n1.544426 0.5\n_pd_meas_2theta_range_min 5.0\n_pd_meas_2theta_range_max 5.2\n"
                         "_pd_meas_2theta_range_inc 0.1\nloop_ _pd_proc_intensity_total\n1.25(5)\n2.5e1(3)\n3.0\n";
    const auto b = read_or_fail(read_powder_cif, ranged, "2θ range");
    ASSERT_EQ(b.scans[0].twoTheta.size(), 3u);
    EXPECT_NEAR(b.scans[0].twoTheta[2], 5.2, 1e-12);
    EXPECT_NEAR(b.scans[0].sigma[0], 0.05, 1e-15);
    EXPECT_NEAR(b.scans[0].sigma[1], 3, 1e-12);  // 2.5e1(3): the su in units of the last mantissa digit
    EXPECT_TRUE(std::isnan(b.scans[0].sigma[2]));
    EXPECT_EQ(b.wavelengths.ratio, 0.5);

    refusal(read_powder_cif, "data_t\nloop_ _pd_meas_time_of_flight _pd_meas_counts_total\n1000 5\n1010 6\n");
    refusal(read_powder_cif, "data_t\nloop_ _pd_meas_2theta_scan _pd_meas_counts_total\n10 5\n10.1\n");  // cut short
    refusal(read_powder_cif, "data_s\n_cell_length_a 5.43\n");
}

TEST(MeasuredTextLayouts, GsasConstantFxyeUxdIntensitiesAndSeveralRasScans)
{
    const auto fxye = read_or_fail(read_gsas_raw,
                                   "title\nBANK 1 3 3 CONST 1000 1 0 0 FXYE\n1000 5 2\n1001 6 2.5\n1002 7 2.6\n", "FXYE");
    EXPECT_EQ(fxye.scans[0].twoTheta, (std::vector<double>{10.0, 10.01, 10.02}));
    EXPECT_EQ(fxye.scans[0].sigma[1], 2.5);
    const std::string record = "     100     200     300     400     500     600     700     800     900    1000\n";
    EXPECT_NE(refusal(read_gsas_raw, "title\nBANK 1 20 2 CONST 1000 1 0 0 STD\n" + record).find("ends after 10"),
              std::string::npos);

    const auto uxd = read_or_fail(read_uxd,
                                  "_WL1=1.54056\n_DRIVE='2THETA'\n_START=20\n_STEPSIZE=0.5\n_COUNTS\n1 2 3\n4\n"
                                  "_DRIVE='COUPLED'\n_START=30\n_STEPSIZE=1\n_CPS\n7 8\n",
                                  "UXD");
    ASSERT_EQ(uxd.scans.size(), 2u);
    EXPECT_EQ(uxd.scans[0].twoTheta, (std::vector<double>{20, 20.5, 21, 21.5}));
    EXPECT_EQ(uxd.scans[1].unit, "cps");
    EXPECT_NE(refusal(read_uxd, "_DRIVE='OMEGA'\n_START=1\n_STEPSIZE=1\n_COUNTS\n1 2\n").find("not 2θ"),
              std::string::npos);

    const std::string scan = "*RAS_HEADER_START\n*MEAS_SCAN_AXIS_X_INTERNAL \"TwoTheta\"\n*RAS_HEADER_END\n"
                             "*RAS_INT_START\n10 5 1\n11 6 2\n*RAS_INT_END\n";
    const auto ras = read_or_fail(read_ras, "*RAS_DATA_START\n" + scan + scan + "*RAS_DATA_END\n", "RAS");
    ASSERT_EQ(ras.scans.size(), 2u);
    EXPECT_EQ(ras.scans[1].intensity, (std::vector<double>{5, 12}));  // times the attenuator factor
    EXPECT_NE(refusal(read_ras, "*RAS_DATA_START\n" + scan).find("cut short"), std::string::npos);
}

}  // namespace
}  // namespace kalidos

namespace kalidos {
namespace {

// Two million points read; one more is refused with the limit named.
TEST(MeasuredTextLayouts, TwoMillionPointsAndNoMore)
{
    std::string text;
    text.reserve(2'000'001 * 14);
    for (std::size_t i = 0; i < kMaxMeasuredPoints; ++i)
        text += std::to_string(static_cast<double>(i) * 5e-5) + " 1\n";
    EXPECT_EQ(testing::read_or_fail(read_xy_text, text, "2 million rows").scans[0].twoTheta.size(), kMaxMeasuredPoints);
    text += "100.1 1\n";
    EXPECT_NE(refusal(read_xy_text, text).find("2000000"), std::string::npos);
}

}  // namespace
}  // namespace kalidos
