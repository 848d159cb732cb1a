// BRML: the two real archives against the statistics their own raw data state and the figures
// recorded for them; written archives for the column map, the refusals and the zip checks.
#include <algorithm>
#include <numeric>

#include "diagram_files/zip_archive.hpp"
#include "measured_files.hpp"
#include "zip_fixture.hpp"

namespace kalidos::testing {
namespace {

struct BrmlFigures {
    const char* file;
    std::size_t points;
    double first, increment, countingTime;
    // The counts' mean, maximum and its index as the file's own <Statistics> element states them.
    double mean, maximum;
    std::size_t maximumIndex;
};

TEST(Brml, RealArchivesGiveTheirStatedScans)
{
    KALIDOS_REQUIRE_REALDATA();
    const BrmlFigures expected[] = {
        // Powder scan of a strip detector: time per step 1 s, effective 191 s.
        {"cheminfo_test.brml", 2443, 20, 0.024568725336, 191, 3267.8031109291856, 6933, 639},
        // The maximum row has AbsorptionFactor 8.3 and counts 495559.8 = 59706 × 8.3, kept as they stand.
        {"fairmat_23-012-AG_2thomegascan_long.brml", 2001, 44, 0.002, 1, 6640.5512743628178, 495559.8, 910},
    };
    for (const BrmlFigures& figures : expected) {
        const MeasuredDiagram diagram = read_or_fail(
            read_brml, file_bytes(realdata_dir() / "modern" / "brml" / figures.file), figures.file);
        ASSERT_EQ(diagram.scans.size(), 1u) << figures.file;
        const MeasuredScan& scan = diagram.scans[0];
        ASSERT_EQ(scan.intensity.size(), figures.points) << figures.file;
        EXPECT_DOUBLE_EQ(scan.twoTheta[0], figures.first);
        EXPECT_NEAR(scan.twoTheta.back() - scan.twoTheta.front(),
                    static_cast<double>(figures.points - 1) * figures.increment, 1e-9);
        EXPECT_DOUBLE_EQ(scan.countingTime, figures.countingTime);
        const double sum = std::accumulate(scan.intensity.begin(), scan.intensity.end(), 0.0);
        EXPECT_NEAR(sum / static_cast<double>(figures.points), figures.mean, 1e-9) << figures.file;
        const auto top = std::max_element(scan.intensity.begin(), scan.intensity.end());
        EXPECT_EQ(*top, figures.maximum) << figures.file;
        EXPECT_EQ(static_cast<std::size_t>(top - scan.intensity.begin()), figures.maximumIndex);
        EXPECT_EQ(diagram.wavelengths.anode, "Cu");
        EXPECT_DOUBLE_EQ(diagram.wavelengths.lambda1, 1.5406);
        EXPECT_DOUBLE_EQ(diagram.wavelengths.lambda2, 1.54439);
        EXPECT_DOUBLE_EQ(diagram.wavelengths.ratio, 0.5);
    }
}

const std::string kContainer =
    "<?xml version=\"1.0\"?><DataContainer><RawDataReferenceList><string>Experiment0/RawData0.xml</string>"
    "</RawDataReferenceList></DataContainer>";

// Raw data whose columns are counts, 2θ, ω (another order than the real files), with `axes` and `rows`.
std::string raw_data(const std::string& axes, const std::string& rows)
{
    return "<?xml version=\"1.0\"?><RawData><DataRoutes><DataRoute RouteFlag=\"Measured\">"
           "<ScanInformation ScanName=\"Written\"><MeasurementPoints>3</MeasurementPoints><TimePerStep>2</TimePerStep>"
           "<ScanAxes>" + axes + "</ScanAxes></ScanInformation><DataViews>"
           "<RawDataView Start=\"0\" Length=\"1\"><Recording LogicName=\"ScanCounter\"/></RawDataView>"
           "<RawDataView Start=\"1\" Length=\"2\"><Varying><FieldDefinitions FieldName=\"TwoTheta\"/>"
           "<FieldDefinitions FieldName=\"Theta\"/></Varying></RawDataView></DataViews>" + rows +
           "</DataRoute></DataRoutes><FixedInformation><Instrument><Tube><WaveLengthAlpha1 Value=\"1.79\"/>"
           "<TubeMaterial>Co</TubeMaterial></Tube></Instrument></FixedInformation></RawData>";
}

const std::string kTwoThetaAxis =
    "<ScanAxisInfo AxisId=\"TwoTheta\"><Start>10</Start><Increment>0.5</Increment></ScanAxisInfo>";
const std::string kRows = "<Datum>7,10,5</Datum><Datum>8,10.5,5.25</Datum><Datum>9.5,11,5.5</Datum>";

std::string brml_of(const std::string& rawData)
{
    return zip_of({{"Experiment0/DataContainer.xml", kContainer}, {"Experiment0/RawData0.xml", rawData}});
}

TEST(Brml, ColumnsAreFoundThroughTheDataViews)
{
    const MeasuredDiagram diagram = read_or_fail(read_brml, brml_of(raw_data(kTwoThetaAxis, kRows)), "written");
    ASSERT_EQ(diagram.scans.size(), 1u);
    EXPECT_EQ(diagram.scans[0].twoTheta, (std::vector<double>{10, 10.5, 11}));
    EXPECT_EQ(diagram.scans[0].intensity, (std::vector<double>{7, 8, 9.5}));
    EXPECT_EQ(diagram.scans[0].name, "Written");
    EXPECT_EQ(diagram.scans[0].countingTime, 2);
    EXPECT_EQ(diagram.wavelengths.anode, "Co");
    EXPECT_EQ(diagram.wavelengths.lambda1, 1.79);
    EXPECT_EQ(diagram.wavelengths.ratio, 0);
}

TEST(Brml, RefusesWhatIsNotADiagramOrIsDamaged)
{
    const std::string omegaOnly = "<ScanAxisInfo AxisId=\"Theta\"><Start>10</Start><Increment>0.5</Increment></ScanAxisInfo>";
    const std::pair<std::string, std::string> cases[] = {
        {brml_of(raw_data(omegaOnly, kRows)), "no 2θ axis: the scan moves Theta only"},
        {brml_of(raw_data(kTwoThetaAxis, "<Datum>7,10</Datum>")), "data row 1 has 2 values where the data views give 3"},
        {brml_of(raw_data(kTwoThetaAxis, "<Datum>7,10,5</Datum><Datum>8,12,5</Datum>")), "data row 2 gives 2θ = 12°"},
        {brml_of(raw_data(kTwoThetaAxis, kRows + "<Datum>1,11.5,5.75</Datum>")), "4 data rows for 3 measurement points"},
        {brml_of(raw_data(kTwoThetaAxis, kRows).substr(0, 400)), "ends early"},
        {zip_of({{"Experiment0/DataContainer.xml", kContainer}}), "no member Experiment0/RawData0.xml"},
        {zip_of({{"Experiment0/RawData0.xml", raw_data(kTwoThetaAxis, kRows)}}), "no member Experiment0/DataContainer.xml"},
        {kRows, "a BRML file is a zip archive, and this one is not a readable zip archive"},
    };
    for (const auto& [bytes, message] : cases)
        EXPECT_NE(refusal(read_brml, bytes).find(message), std::string::npos) << message;
}

// The zip layer: a changed byte of a stored member fails its checksum, and a member larger than
// the cap is refused from the size the archive states, before anything is inflated.
TEST(Brml, ZipChecksumsAndSizeCapHold)
{
    const std::string contents(5000, 'a');
    std::string stored = zip_of({{"member.txt", contents}}, true);
    stored[stored.find("aaaa") + 100] = 'b';
    ZipArchive archive;
    std::string text, error;
    ASSERT_TRUE(archive.open(stored, error)) << error;
    EXPECT_FALSE(archive.read("member.txt", text, error));
    EXPECT_NE(error.find("is damaged"), std::string::npos) << error;

    const std::string deflated = zip_of({{"member.txt", contents}});
    ZipArchive capped;
    ASSERT_TRUE(capped.open(deflated, error)) << error;
    EXPECT_FALSE(capped.read("member.txt", text, error, 4999));
    EXPECT_NE(error.find("claims 5000 bytes"), std::string::npos) << error;
    EXPECT_TRUE(capped.read("member.txt", text, error, 5000)) << error;
    EXPECT_EQ(text, contents);
}

}  // namespace
}  // namespace kalidos::testing
