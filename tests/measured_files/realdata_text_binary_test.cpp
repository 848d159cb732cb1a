// The real RAW4, RAS, plain-column, GSAS and UXD files: point for point as xylib reads them where
// xylib is right, else against the vendors' own exports and the figures recorded with the files.
#include <cmath>

#include "measured_support.hpp"

namespace kalidos {
namespace {

using namespace testing;

MeasuredDiagram read_real(MeasuredReader reader, const std::string& relative)
{
    return read_or_fail(reader, file_bytes(real_file(relative)), relative);
}

#ifdef KALIDOS_HAVE_XYLIB
constexpr bool kHaveXylib = true;
#else
constexpr bool kHaveXylib = false;
#endif

// Our scan against xylib's block: same count, 2θ within `xTolerance`, intensities equal.
void expect_like_xylib(const MeasuredScan& scan, const std::string& relative, const char* format, double xTolerance)
{
    const XyColumns theirs = xylib_columns(real_file(relative), format);
    ASSERT_EQ(scan.twoTheta.size(), theirs.x.size()) << relative;
    for (std::size_t i = 0; i < theirs.x.size(); ++i) {
        ASSERT_NEAR(scan.twoTheta[i], theirs.x[i], xTolerance) << relative << " point " << i + 1;
        ASSERT_NEAR(scan.intensity[i], theirs.y[i], 1e-9 * std::fabs(theirs.y[i])) << relative << " point " << i + 1;
    }
}

TEST(RealMeasuredFiles, Raw4LayoutsAndTheVendorExport)
{
    KALIDOS_REQUIRE_REALDATA();
    const auto co2 = read_real(read_raw4, "modern/raw4/xrdpattern_CO-2.raw");
    ASSERT_EQ(co2.scans.size(), 1u);
    EXPECT_EQ(co2.scans[0].twoTheta.size(), 3911u);
    EXPECT_NEAR(co2.scans[0].twoTheta[1] - co2.scans[0].twoTheta[0], 0.02045454498, 1e-10);
    EXPECT_NEAR(co2.scans[0].twoTheta.back(), 89.9774, 1e-4);
    EXPECT_DOUBLE_EQ(co2.wavelengths.lambda1, 1.5406);
    EXPECT_DOUBLE_EQ(co2.wavelengths.lambda2, 1.54439);
    EXPECT_DOUBLE_EQ(co2.wavelengths.ratio, 0.5);
    EXPECT_EQ(co2.wavelengths.anode, "Cu");
    EXPECT_EQ(co2.scans[0].name, "CO-2");

    const auto eva = read_real(read_raw4, "modern/raw4/nomad_TwoTheta_scan_scrambled.raw");  // 8-byte records
    EXPECT_EQ(eva.scans[0].twoTheta.size(), 7134u);
    EXPECT_EQ(eva.wavelengths.lambda2, 0);  // Kα2 stripped
    EXPECT_EQ(read_real(read_raw4, "raw/v4_xrdpattern_bruker.raw").scans[0].twoTheta.size(), 4059u);

    // The frame integration against its .xy export (counts per second): RAW = 900 s × export.
    const auto raw = read_real(read_raw4, "raw/v4_importtool_Si_Cu_sputter.raw");
    const auto xy = read_real(read_xy_text, "modern/xy/importtool_Si_Cu_sputter_exported.xy");
    ASSERT_EQ(raw.scans[0].twoTheta.size(), 17851u);
    ASSERT_EQ(xy.scans[0].twoTheta.size(), 17851u);
    EXPECT_FLOAT_EQ(static_cast<float>(raw.scans[0].countingTime), 900.0f);
    for (std::size_t i = 0; i < 17851; ++i) {
        ASSERT_NEAR(raw.scans[0].twoTheta[i], xy.scans[0].twoTheta[i], 1e-12) << i;
        ASSERT_NEAR(raw.scans[0].intensity[i], 900 * xy.scans[0].intensity[i], 5e-4) << i;
    }
}

TEST(RealMeasuredFiles, PlainColumnsAsXylibReadsThem)
{
    KALIDOS_REQUIRE_REALDATA();
    for (const char* name : {"modern/xy/easydiff_hrpt.xye", "modern/xy/importtool_Si_Cu_sputter_exported.xy",
                             "modern/xy/cheminfo_MG1-Cu2O-28_bg_subtracted.xy",
                             "modern/xrdml/ground_truth/yadg_210520step1_30min.xy",
                             "raw/ground_truth/v2_qarr_QTZQUIN.asc", "rietveld_dat/xy_fityk_SiC_Zn.dat"}) {
        const auto diagram = read_real(read_xy_text, name);
        if (kHaveXylib)
            expect_like_xylib(diagram.scans[0], name, "text", 0);
    }
    const auto xye = read_real(read_xy_text, "modern/xy/importtool_Si_Cu_sputter_exported.xye");
    const auto& sigma = xye.scans[0].sigma;
    ASSERT_EQ(sigma.size(), 17851u);
    EXPECT_EQ(std::count_if(sigma.begin(), sigma.end(), [](double s) { return std::isnan(s); }), 4951);
    EXPECT_EQ(xye.scans[0].unit, "cps");
    EXPECT_EQ(xye.wavelengths.anode, "Cu");
    EXPECT_FALSE(xye.wavelengths.stated());
    EXPECT_EQ(read_real(read_xy_text, "modern/xy/cheminfo_MG1-Cu2O-28_bg_subtracted.xy").scans[0].countingTime, 96);
}

TEST(RealMeasuredFiles, HighScoreCsvEqualsItsXyTwin)
{
    KALIDOS_REQUIRE_REALDATA();
    const auto csv = read_real(read_xy_text, "modern/xrdml/ground_truth/yadg_210520step1_30min.csv");
    const auto xy = read_real(read_xy_text, "modern/xrdml/ground_truth/yadg_210520step1_30min.xy");
    EXPECT_EQ(csv.scans[0].twoTheta, xy.scans[0].twoTheta);
    EXPECT_EQ(csv.scans[0].intensity, xy.scans[0].intensity);
    EXPECT_EQ(csv.scans[0].twoTheta.size(), 4489u);
    EXPECT_DOUBLE_EQ(csv.wavelengths.lambda1, 1.540598);
    EXPECT_DOUBLE_EQ(csv.wavelengths.lambda2, 1.544426);
    EXPECT_EQ(csv.wavelengths.ratio, 0);
    EXPECT_DOUBLE_EQ(csv.scans[0].countingTime, 50.165);
}

TEST(RealMeasuredFiles, RasAsTheTextColumnsGiveIt)
{
    KALIDOS_REQUIRE_REALDATA();
    const std::string name = "modern/ras/rigakuxrd_MB120718Si3.ras";
    const auto ras = read_real(read_ras, name);
    ASSERT_EQ(ras.scans.size(), 1u);
    EXPECT_EQ(ras.scans[0].twoTheta.front(), 2.0);
    EXPECT_EQ(ras.scans[0].twoTheta.back(), 30.0);
    EXPECT_DOUBLE_EQ(ras.wavelengths.lambda1, 1.540593);
    EXPECT_DOUBLE_EQ(ras.wavelengths.lambda2, 1.544414);
    EXPECT_EQ(ras.scans[0].unit, "counts");
    EXPECT_DOUBLE_EQ(ras.scans[0].countingTime, 4.8);  // 0.02° at 0.25°/min
    EXPECT_EQ(ras.scans[0].name, "MB120718Si3");
    if (kHaveXylib)  // xylib's text fallback skips the `*` lines and reads these rows rightly
        expect_like_xylib(ras.scans[0], name, "text", 0);
}

TEST(RealMeasuredFiles, GsasConstantWavelengthBanksAndTimeOfFlightRefused)
{
    KALIDOS_REQUIRE_REALDATA();
    const auto xra = read_real(read_gsas_raw, "modern/gsas/gsas2_PBSO4.XRA");
    ASSERT_EQ(xra.scans[0].twoTheta.size(), 6001u);  // the title's 159° end is not the BANK line's
    EXPECT_DOUBLE_EQ(xra.scans[0].twoTheta.back(), 160.0);
    EXPECT_EQ(xra.scans[0].intensity[0], 179);
    EXPECT_TRUE(xra.scans[0].sigma.empty());

    const auto cwn = read_real(read_gsas_raw, "modern/gsas/gsas2_PBSO4.CWN");  // counters, a repeated record
    ASSERT_EQ(cwn.scans[0].twoTheta.size(), 2919u);
    EXPECT_NEAR(cwn.scans[0].twoTheta.back(), 155.9, 1e-9);
    EXPECT_EQ(cwn.scans[0].intensity[0], 220);
    EXPECT_DOUBLE_EQ(cwn.scans[0].sigma[0], std::sqrt(220.0));

    const auto esd = read_real(read_gsas_raw, "modern/gsas/spotlight_al2o3001.gsa");
    ASSERT_EQ(esd.scans[0].twoTheta.size(), 3300u);
    EXPECT_NEAR(esd.scans[0].twoTheta.back(), 167.95, 1e-9);
    EXPECT_EQ(esd.scans[0].intensity[0], 119);
    EXPECT_EQ(esd.scans[0].sigma[0], 17);

    EXPECT_EQ(read_real(read_gsas_raw, "raw/not_bruker/gsas_std_garnet.raw").scans[0].twoTheta.front(), 24.0);

    MeasuredDiagram tof;
    std::string error;
    EXPECT_FALSE(read_gsas_raw(file_bytes(real_file("modern/gsas/addie_GSAS_NaNO3_230C.gsa")), tof, error));
    EXPECT_NE(error.find("time of flight"), std::string::npos) << error;
}

// The UXD exports of two RAW v3 files: counts as xylib reads the RAW files, 2θ from _START and
// _STEPSIZE (the printed column is up to 0.005° off; the step's 6 decimals drift 5·10⁻⁴° over
// the 2374 steps of BT86).
TEST(RealMeasuredFiles, UxdAgainstTheRawFilesItWasExportedFrom)
{
    KALIDOS_REQUIRE_REALDATA();
    if (!kHaveXylib)
        GTEST_SKIP() << "skipped: xylib is not installed";
    const std::pair<const char*, const char*> pairs[] = {
        {"modern/uxd/xylib_BT86_.UXD", "raw/v3_xylib_BT86.raw"},
        {"raw/ground_truth/v3_importtool_Diffrac-ATuxd.UXD", "raw/v3_importtool_Diffrac-ATraw.raw"}};
    for (const auto& [uxd, raw] : pairs) {
        const auto diagram = read_real(read_uxd, uxd);
        expect_like_xylib(diagram.scans[0], raw, "bruker_raw", 1e-3);
        const XyColumns printed = xylib_columns(real_file(uxd), "uxd");
        for (std::size_t i = 0; i < printed.x.size(); ++i)
            ASSERT_NEAR(diagram.scans[0].twoTheta[i], printed.x[i], 0.0062) << uxd << " point " << i + 1;
        EXPECT_DOUBLE_EQ(diagram.wavelengths.lambda1, 1.5406);
        EXPECT_DOUBLE_EQ(diagram.wavelengths.ratio, 0.5);
    }
}

}  // namespace
}  // namespace kalidos
