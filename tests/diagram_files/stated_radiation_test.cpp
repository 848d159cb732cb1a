// The radiation each reader finds in real files, as the calculation takes it: the expected lines are
// those of the files' headers (read with a hex viewer and the vendors' XML), not of our readers.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "diagram_files/measured_radiation.hpp"
#include "diagram_files/stated_radiation.hpp"
#include "support/paths.hpp"

namespace kalidos {
namespace {

struct StatedFile {
    const char* name;
    std::vector<StatedLine> lines;
    bool assumedRatio = false;
};

// Binary headers hold single-precision values in RAW v1 and v2, hence the 1e-6 below.
const StatedFile kFiles[] = {
    {"raw/v3_gsas2tut_LaB6_Jan2018.raw", {{1.5406, 1}, {1.54439, 0.5}}},
    {"raw/v2_qarr_QTZQUIN.RAW", {{1.54056, 1}, {1.54439, 0.514}}},
    {"raw/v1_sdpd_sample2_vinaigre.raw", {{1.5406, 1}, {1.54443, 0.5}}},  // no ratio field: the mean's 1/2
    {"rd/qarr_CPD-1A.RD", {{1.540562, 1}, {1.54439, 0.5}}},
    {"cpi/pyxrd_08-946_EXTRACTED.cpi", {{1.5406, 1}}},
    {"modern/xrdml/xylib_empyrean.xrdml", {{1.540598, 1}, {1.544426, 0.5}}},
    {"modern/xrdml/yadg_210520step1_30min.xrdml", {{1.540598, 1}}},  // ratio 0.0000: Kα1 alone
    {"modern/brml/cheminfo_test.brml", {{1.5406, 1}, {1.54439, 0.5}}},
    {"modern/raw4/xrdpattern_CO-2.raw", {{1.5406, 1}, {1.54439, 0.5}}},
    {"modern/raw4/nomad_TwoTheta_scan_scrambled.raw", {{1.5406, 1}}},  // Kα2 stripped: 0 and ratio 0
    {"modern/uxd/xylib_BT86_.UXD", {{1.5406, 1}, {1.54439, 0.5}}},
    {"modern/ras/rigakuxrd_MB120718Si3.ras", {{1.540593, 1}, {1.544414, 0.5}}, true},  // "Ka", no ratio
    {"modern/ras/rigakuxrd_RM20220915Si01.rasx", {{1.540593, 1}, {1.544414, 0.5}}, true},
    {"modern/ras/fairmat_TwoTheta_scan_powder.rasx", {{1.540593, 1}}},  // "Ka1"
    {"modern/xy/easydiff_hrpt.xye", {}},
};

TEST(StatedRadiation, EachReaderGivesTheLinesOfItsFile)
{
    KALIDOS_REQUIRE_REALDATA();
    for (const StatedFile& file : kFiles) {
        const StatedRadiation stated = stated_radiation((testing::realdata_dir() / file.name).string());
        const MeasuredRadiation radiation = measured_radiation(stated.wavelengths, stated.format);
        ASSERT_EQ(radiation.lines.size(), file.lines.size()) << file.name << ": " << radiation.description;
        for (std::size_t i = 0; i < file.lines.size(); ++i) {
            EXPECT_NEAR(radiation.lines[i].lambda, file.lines[i].lambda, 1e-6) << file.name;
            EXPECT_NEAR(radiation.lines[i].weight, file.lines[i].weight, 1e-6) << file.name;
        }
        EXPECT_EQ(radiation.description.find("does not state") != std::string::npos, file.assumedRatio) << file.name;
    }
}

TEST(StatedRadiation, ImpossibleValuesAndUnreadableFilesStateNothing)
{
    EXPECT_TRUE(measured_radiation({std::nan(""), 1.5444, 0.5, "Cu"}, "raw").lines.empty());
    EXPECT_TRUE(measured_radiation({1e30, 0, 0, ""}, "raw").lines.empty());
    // A damaged Kα2 or ratio leaves Kα1 alone; equal lines are one line.
    EXPECT_EQ(measured_radiation({1.5406, 1.5444, -3, ""}, "raw").lines.size(), 1u);
    EXPECT_EQ(measured_radiation({1.5406, 1.5406, 0.5, ""}, "raw").lines.size(), 1u);
    EXPECT_EQ(measured_radiation({1.5406, 1.5444, 0, ""}, "xrdml").lines.size(), 1u);
    EXPECT_FALSE(stated_radiation("/nonexistent/file.xrdml").wavelengths.stated());
    EXPECT_FALSE(stated_radiation("/nonexistent/file.raw").wavelengths.stated());
}

}  // namespace
}  // namespace kalidos
