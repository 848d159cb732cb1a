// RASX: the three real archives against figures decoded from their profiles independently and
// the conditions they state; written archives for the refusals.
#include <algorithm>
#include <numeric>

#include "measured_files.hpp"
#include "zip_fixture.hpp"

namespace kalidos::testing {
namespace {

struct RasxFigures {
    const char* file;
    std::size_t points;
    double start, step, countingTime;
    double sum, maximum;  // of the intensities (times the attenuator, 1 in every row)
    std::size_t maximumIndex;
    double lambda2;  // Kα2 for the doublet "Ka", 0 for a Kα1 set-up
};

TEST(Rasx, RealArchivesGiveTheirProfilesOnTheStatedGrid)
{
    KALIDOS_REQUIRE_REALDATA();
    const RasxFigures expected[] = {
        {"rigakuxrd_RM20220915Si01.rasx", 2151, 8.5, 0.01, 0.6, 1151383, 639, 1263, 1.544414},
        {"fairmat_TwoTheta_scan_powder.rasx", 2726, 10, 0.04, 2.4, 149926.8533592224, 1698.50854492188, 567, 0},
        // Stop 49 is never reached: 1042 points end at 48.9968.
        {"fairmat_Omega-2Theta_scan_high_temperature.rasx", 1042, 44, 0.0048, 7.2, 21844.996235907078,
         811.226867675781, 449, 0},
    };
    for (const RasxFigures& figures : expected) {
        const MeasuredDiagram diagram =
            read_or_fail(read_rasx, file_bytes(realdata_dir() / "modern" / "ras" / figures.file), figures.file);
        ASSERT_EQ(diagram.scans.size(), 1u) << figures.file;
        const MeasuredScan& scan = diagram.scans[0];
        ASSERT_EQ(scan.intensity.size(), figures.points) << figures.file;
        EXPECT_DOUBLE_EQ(scan.twoTheta.front(), figures.start);
        EXPECT_NEAR(scan.twoTheta.back(), figures.start + static_cast<double>(figures.points - 1) * figures.step, 1e-9);
        EXPECT_NEAR(scan.countingTime, figures.countingTime, 1e-12) << figures.file;
        EXPECT_NEAR(std::accumulate(scan.intensity.begin(), scan.intensity.end(), 0.0), figures.sum, 1e-6);
        const auto top = std::max_element(scan.intensity.begin(), scan.intensity.end());
        EXPECT_EQ(*top, figures.maximum) << figures.file;
        EXPECT_EQ(static_cast<std::size_t>(top - scan.intensity.begin()), figures.maximumIndex);
        EXPECT_EQ(scan.unit, "counts");
        EXPECT_EQ(diagram.wavelengths.anode, "Cu");
        EXPECT_DOUBLE_EQ(diagram.wavelengths.lambda1, 1.540593);
        EXPECT_DOUBLE_EQ(diagram.wavelengths.lambda2, figures.lambda2) << figures.file;
        EXPECT_EQ(diagram.wavelengths.ratio, 0);  // never stated by the format
    }
}

std::string conditions(const std::string& axis, const std::string& count)
{
    return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?><MeasurementConditions><GeneralInformation>"
           "<SampleName>Written</SampleName></GeneralInformation><HWConfigurations><XrayGenerator>"
           "<TargetName>Mo</TargetName><WaveType>Ka1</WaveType><WavelengthKalpha1>0.70932</WavelengthKalpha1>"
           "</XrayGenerator></HWConfigurations><ScanInformation><AxisName>" + axis + "</AxisName>"
           "<Start>5.0000</Start><Step>0.0200</Step><Speed>2</Speed><SpeedUnit>deg/min</SpeedUnit>"
           "<IntensityUnit>cps</IntensityUnit><DataCount>" + count + "</DataCount></ScanInformation>"
           "</MeasurementConditions>";
}

const std::string kProfile = "\xEF\xBB\xBF" "5.0000\t10\t1\r\n5.0200\t20\t3.5\r\n5.0400\t30\t1\r\n";

std::string rasx_of(const std::string& conditionsXml, const std::string& profile)
{
    return zip_of({{"root.xml", "<Root/>"}, {"Data0/MesurementConditions0.xml", conditionsXml},
                   {"Data0/Profile0.txt", profile}});
}

TEST(Rasx, WrittenArchiveReadsWithItsAttenuatorAndConditions)
{
    const MeasuredDiagram diagram = read_or_fail(read_rasx, rasx_of(conditions("TwoThetaOmega", "3"), kProfile), "written");
    ASSERT_EQ(diagram.scans.size(), 1u);
    const MeasuredScan& scan = diagram.scans[0];
    EXPECT_EQ(scan.intensity, (std::vector<double>{10, 70, 30}));
    EXPECT_EQ(scan.name, "Written");
    EXPECT_EQ(scan.unit, "cps");
    EXPECT_DOUBLE_EQ(scan.countingTime, 0.6);
    EXPECT_EQ(diagram.wavelengths.anode, "Mo");
    EXPECT_EQ(diagram.wavelengths.lambda1, 0.70932);
}

TEST(Rasx, RefusesOtherAxesAndDamagedArchives)
{
    const std::pair<std::string, std::string> cases[] = {
        {rasx_of(conditions("Omega", "3"), kProfile), "no 2θ axis: the scan axis is Omega"},
        {rasx_of(conditions("TwoTheta", "4"), kProfile), "3 rows where the conditions announce 4"},
        {rasx_of(conditions("TwoTheta", "3"), "5.0000\t10\t1\r\n5.0200\r\n"), "line 2 is not a row"},
        {rasx_of(conditions("TwoTheta", "2"), "5\t1\r\n5.5\t1\r\n"), "row 2 gives 2θ = 5.5°"},
        {rasx_of(conditions("TwoTheta", "3").substr(0, 200), kProfile), "ends early"},
        {zip_of({{"Data0/Profile0.txt", kProfile}}), "no member Data0/MesurementConditions0.xml"},
        {zip_of({{"root.xml", "<Root/>"}}), "no Data0/Profile0.txt"},
        {kProfile, "a RASX file is a zip archive"},
    };
    for (const auto& [bytes, message] : cases)
        EXPECT_NE(refusal(read_rasx, bytes).find(message), std::string::npos) << message;
}

}  // namespace
}  // namespace kalidos::testing
