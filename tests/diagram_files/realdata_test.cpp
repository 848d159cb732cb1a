// The real files of other programs: each described variant reads the same points as Debian's
// xylib gives; other vendors' files and later variants are refused with a message.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#ifdef KALIDOS_HAVE_XYLIB
#include <xylib/xylib.h>
#endif

#include "diagram_files/any_diagram_file.hpp"
#include "diagram_files/diagram_readers.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

using testing::RecordingMessages;
using Reader = bool (*)(RawScan&, Messages&);

struct Reading {
    std::unique_ptr<RawScan> scan = std::make_unique<RawScan>();
    RecordingMessages messages;
    bool error = false;
};

Reading read_real(Reader reader, const std::filesystem::path& path)
{
    Reading r;
    r.scan->fileName = path.string();
    r.error = reader(*r.scan, r.messages);
    return r;
}

// Compares the scan with xylib's first block, point by point, on the raw (unscaled) counts.
// xylib keeps only the whole part of an RD count (v·0.1)²: `countSlack` 1 allows for that.
void expect_same_as_xylib(const RawScan& scan, const std::filesystem::path& path, int expectedPoints,
                          const char* format = "", double countSlack = 0)
{
#ifdef KALIDOS_HAVE_XYLIB
    std::unique_ptr<xylib::DataSet> data(xylib::load_file(path.string(), format));
    const xylib::Block* block = data->get_block(0);
    const int theirs = block->get_point_count();
    EXPECT_EQ(scan.pointCount, expectedPoints) << path;
    const int common = std::min(theirs, scan.pointCount);
    EXPECT_GE(common, expectedPoints - 1) << path;
    const double tolerance = 1e-5 * std::max({1.0, std::fabs(scan.imax), std::fabs(scan.imin)});
    for (int i = 0; i < common; ++i) {
        const double x = block->get_column(1).get_value(i), y = block->get_column(2).get_value(i);
        const double raw = scan.intensity[i + 1] * (scan.imax - scan.imin) / 100 + scan.imin;
        ASSERT_NEAR(scan.angle[i + 1], x, 1e-4) << path << " point " << i + 1;
        ASSERT_GE(raw, y - tolerance) << path << " point " << i + 1;
        ASSERT_LE(raw, y + countSlack + tolerance) << path << " point " << i + 1;
    }
#else
    (void)scan, (void)path, (void)expectedPoints, (void)format, (void)countSlack;
    GTEST_SKIP() << "skipped: xylib is not installed";
#endif
}

struct RealFile {
    const char* name;
    Reader reader;
    int points;  // what we read; xylib agrees except where a comment says otherwise
};

const RealFile kReadable[] = {
    {"raw/v1_sdpd_sample2_vinaigre.raw", lit_raw, 876},
    {"raw/v1_sdpd_sample3_ZK.raw", lit_raw, 3601},
    {"raw/v1_sdpd_sample5_D2.raw", lit_raw, 5751},
    {"raw/v2_pyxrd_brk_raw2.raw", lit_raw, 7251},
    {"raw/v2_qarr_CORKLZ20.RAW", lit_raw, 2501},
    {"raw/v2_qarr_QTZQUIN.RAW", lit_raw, 301},
    {"raw/v3_xylib_BT86.raw", lit_raw, 2374},
    {"raw/v3_xylib_Cu3Au-1.raw", lit_raw, 3901},
    {"raw/v3_xylib_format1_3ranges.raw", lit_raw, 101},            // first range only
    {"raw/v3_gsas2tut_Keokuk_kaolinite_2ranges.raw", lit_raw, 4001},  // first range only
    {"raw/v3_gsas2tut_KGA1-CONT.raw", lit_raw, 3401},
    {"raw/v3_gsas2tut_LaB6_Jan2018.raw", lit_raw, 3040},
    {"raw/v3_importtool_Diffrac-ATraw.raw", lit_raw, 4251},
    {"rd/qarr_CPD-1A.RD", lit_philips, 7251},
    {"rd/qarr_CORUNDUM.RD", lit_philips, 7251},
    {"rd/qarr_FLUORITE.RD", lit_philips, 7251},
    {"rd/qarr_ZINCITE.RD", lit_philips, 7251},
    {"rd/qarr_MANNITOL.RD", lit_philips, 4751},
    {"rd/sdpd_SAMPLE1.RD", lit_philips, 4657},  // xylib truncates 4656.99986 to 4656
    {"rd/sdpd_Sample2.rd", lit_philips, 877},
    {"rd/sdpd_Sample3.rd", lit_philips, 3602},
    {"cpi/pyxrd_08-946_EXTRACTED.cpi", lit_cpi, 37},
};

TEST(RealFiles, DescribedVariantsReadTheSamePointsAsXylib)
{
    KALIDOS_REQUIRE_REALDATA();
    for (const RealFile& file : kReadable) {
        const auto path = testing::realdata_dir() / file.name;
        auto r = read_real(file.reader, path);
        ASSERT_FALSE(r.error) << file.name << ": " << ::testing::PrintToString(r.messages.warnings);
        EXPECT_TRUE(r.messages.warnings.empty()) << file.name;
        expect_same_as_xylib(*r.scan, path, file.points, "", file.reader == lit_philips ? 1.0 : 0.0);
    }
}

TEST(RealFiles, HeaderValues)
{
    KALIDOS_REQUIRE_REALDATA();
    const auto dir = testing::realdata_dir();
    auto v1 = read_real(lit_raw, dir / "raw/v1_sdpd_sample2_vinaigre.raw");
    EXPECT_EQ(v1.scan->sampleIdentification, "VINAIGRE (RAW)");
    EXPECT_NEAR(v1.scan->meanLambda, (2 * 1.5406 + 1.54443) / 3, 1e-6);
    EXPECT_NEAR(v1.scan->firstAngle, 4.98, 1e-5);
    EXPECT_NEAR(v1.scan->lastAngle, 39.98, 1e-4);
    auto v2 = read_real(lit_raw, dir / "raw/v2_qarr_QTZQUIN.RAW");
    EXPECT_EQ(v2.scan->sampleIdentification, "QTZQUIN (RAW2)");
    EXPECT_EQ(v2.scan->anode, "Cu");
    EXPECT_NEAR(v2.scan->meanLambda, (1.54439 * 0.514 + 1.54056) / 1.514, 1e-6);
    auto v3 = read_real(lit_raw, dir / "raw/v3_gsas2tut_Keokuk_kaolinite_2ranges.raw");
    EXPECT_EQ(v3.scan->anode, "CU");
    EXPECT_DOUBLE_EQ(v3.scan->meanLambda, 1.54184);
    EXPECT_DOUBLE_EQ(v3.scan->lastAngle, 90.0);
    auto rd = read_real(lit_philips, dir / "rd/qarr_CPD-1A.RD");
    EXPECT_EQ(rd.scan->anode, "Cu");
    EXPECT_EQ(rd.scan->sampleIdentification.substr(0, 16), "CPD RR Sample 1A");
    EXPECT_NEAR(rd.scan->meanLambda, (0.5 * 1.54439 + 1.54056) / 1.5, 1e-5);
    EXPECT_DOUBLE_EQ(rd.scan->lastAngle, 150.0);
    auto sample1 = read_real(lit_philips, dir / "rd/sdpd_SAMPLE1.RD");
    EXPECT_EQ(sample1.scan->anode, "");  // ASCII "003" where the codes belong
    auto cpi = read_real(lit_cpi, dir / "cpi/pyxrd_08-946_EXTRACTED.cpi");
    EXPECT_DOUBLE_EQ(cpi.scan->meanLambda, 1.5406);  // written "1,5406"
    EXPECT_EQ(cpi.scan->anode, "Cu");
    EXPECT_LT(cpi.scan->imin, 0);
}

TEST(RealFiles, OtherVariantsAndVendorsAreRefused)
{
    KALIDOS_REQUIRE_REALDATA();
    const auto dir = testing::realdata_dir();
    for (const char* name : {"raw/v4_xrdpattern_bruker.raw", "raw/v4_importtool_Si_Cu_sputter.raw",
                             "raw/not_bruker/stoe_xrdpattern_stoe.raw", "raw/not_bruker/gsas_std_garnet.raw"}) {
        auto r = read_real(lit_raw, dir / name);
        EXPECT_TRUE(r.error) << name;
        EXPECT_EQ(r.messages.warnings, std::vector<std::string>{"Unknown file type"}) << name;
    }
    auto truncated = read_real(lit_philips, dir / "rd/pyxrd_clay_RECONSTRUCTED_truncated.rd");
    EXPECT_TRUE(truncated.error);
    ASSERT_EQ(truncated.messages.warnings.size(), 1u);
    EXPECT_NE(truncated.messages.warnings[0].find("pyxrd_clay_RECONSTRUCTED_truncated.rd"), std::string::npos);
    EXPECT_NE(truncated.messages.warnings[0].find("601 points"), std::string::npos);
    for (const char* name : {"rietveld_dat/xylib_ILL_D1A5_LaNi2Mn3Dx.dat", "rietveld_dat/xylib_PSI_HRPT_NdNi4MgDx.dat",
                             "rietveld_dat/xy_fityk_nacl01.dat", "rietveld_dat/xy_fityk_SiC_Zn.dat"}) {
        auto r = read_real(lit_rietveld, dir / name);
        EXPECT_TRUE(r.error) << name;
        EXPECT_EQ(r.messages.warnings,
                  std::vector<std::string>{"Error while reading the wavelength in Rietvelf File"});
    }
    // Opened as diagrams of any kind, the .dat files of plain x-y columns are read as columns; the
    // others keep the Rietveld reader's refusal.
    for (const auto& [name, points] : {std::pair{"rietveld_dat/xy_fityk_nacl01.dat", 840u},
                                       std::pair{"rietveld_dat/xy_fityk_SiC_Zn.dat", 4001u},
                                       std::pair{"rietveld_dat/xylib_ILL_D1A5_LaNi2Mn3Dx.dat", 0u},
                                       std::pair{"rietveld_dat/xylib_PSI_HRPT_NdNi4MgDx.dat", 0u}}) {
        RecordingMessages messages;
        MeasuredDiagram diagram;
        const bool read = read_any_diagram_file((dir / name).string(), diagram, messages);
        ASSERT_EQ(read, points > 0) << name;
        if (read) {
            EXPECT_TRUE(messages.warnings.empty()) << name;
            EXPECT_EQ(diagram.scans.at(0).twoTheta.size(), points) << name;
        } else {
            EXPECT_EQ(messages.warnings, std::vector<std::string>{"Error while reading the wavelength in Rietvelf File"});
        }
    }
}

// The ILL file has a title where our files hold an empty line or the SampleIdent header; with
// its first line emptied it is a file of ours without wavelength, and its counts must match.
TEST(RealFiles, RietveldCountsMatchXylibOnceTheTitleIsBlanked)
{
    KALIDOS_REQUIRE_REALDATA();
    const auto original = testing::realdata_dir() / "rietveld_dat/xylib_ILL_D1A5_LaNi2Mn3Dx.dat";
    std::ifstream in(original);
    std::stringstream text;
    std::string line;
    std::getline(in, line);
    text << "\n" << in.rdbuf();
    const auto copy = testing::make_scratch_dir("d1a5") / "d1a5.dat";
    std::ofstream(copy) << text.str();
    auto r = read_real(lit_rietveld, copy);
    ASSERT_FALSE(r.error) << ::testing::PrintToString(r.messages.warnings);
    EXPECT_DOUBLE_EQ(r.scan->firstAngle, -10);
    EXPECT_DOUBLE_EQ(r.scan->lastAngle, 157.9);
    expect_same_as_xylib(*r.scan, original, 1680, "riet7");
}

}  // namespace
}  // namespace kalidos
