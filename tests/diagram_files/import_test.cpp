// range_diagramme and lit_diagramme: adoption of the first diagram, the wavelength check,
// resampling onto 1015 slots, the limit of ten diagrams and the Rietveld two-step import.
#include <cmath>
#include <fstream>

#include <gtest/gtest.h>

#include "diagram_files/diagram_import.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

using testing::RecordingMessages;

// A scan of n points from `start` by `step`, intensities rising with the index.
void fill_scan(RawScan& scan, int n, double start, double step, double lambda)
{
    scan.fileName = "/measured/diagrams/a_rather_long_file_name_of_more_than_fifty_characters.raw";
    scan.pointCount = scan.angle.count = scan.intensity.count = n;
    for (int i = 1; i <= n; ++i) {
        scan.angle[i] = static_cast<float>(start + (i - 1) * step);
        scan.intensity[i] = static_cast<float>(100.0 * (i - 1) / (n - 1));
    }
    scan.firstAngle = start;
    scan.lastAngle = start + (n - 1) * step;
    scan.meanLambda = lambda;
}

std::unique_ptr<Workspace> workspace_with_range(double t1, double t2)
{
    auto ws = make_workspace("/tmp");
    ws->model.twoTheta1 = t1;
    ws->model.twoTheta2 = t2;
    return ws;
}

int distinct_angles(const ObservedSlot& slot)
{
    int distinct = 0;
    for (int g = 1; g <= kPatternPoints; ++g)
        distinct += g == 1 || slot.points[g].twoTheta != slot.points[g - 1].twoTheta;
    return distinct;
}

TEST(RangeDiagramme, FirstDiagramSetsRadiationAndRange)
{
    auto ws = workspace_with_range(10, 50);
    RecordingMessages messages;
    fill_scan(ws->rawScan, 200, 20, 0.1, 1.5406);
    const ImportResult result = range_diagramme(*ws, messages);
    EXPECT_EQ(result.status, ImportStatus::Added);
    EXPECT_TRUE(result.radiationAdopted);
    const StructureModel& m = ws->model;
    EXPECT_DOUBLE_EQ(m.twoTheta1, 20);
    EXPECT_DOUBLE_EQ(m.enteredTwoTheta2, 20 + 199 * 0.1);
    EXPECT_EQ(m.wavelengths.count, 1);
    EXPECT_DOUBLE_EQ(m.wavelengths.values[1], 1.5406);
    EXPECT_DOUBLE_EQ(m.wavelengths.weights[1], 1);
    EXPECT_DOUBLE_EQ(m.typedWavelength, 1.5406);
    EXPECT_DOUBLE_EQ(m.wavelengths.shortest, 1.5406);
    EXPECT_NEAR(m.q1, 4 * 3.14159265 * std::sin(20 * 0.0087266584) / 1.5406, 1e-7);
    EXPECT_DOUBLE_EQ(m.enteredQ2, m.q2);
    EXPECT_TRUE(messages.warnings.empty());
    EXPECT_EQ(ws->observed.slots[1].fileName.size(), 50u);
    EXPECT_EQ(ws->observed.slots[1].fileName.substr(0, 10), "a_rather_l");

    // A second file only meets the 0.05 Å check; the message quotes the first wavelength.
    ws->model.wavelengths.count = 2;
    ws->model.wavelengths.values[2] = 1.2;
    fill_scan(ws->rawScan, 200, 20, 0.1, 1.2345);
    EXPECT_FALSE(range_diagramme(*ws, messages).radiationAdopted);
    EXPECT_TRUE(messages.warnings.empty());  // within 0.05 of the second wavelength
    fill_scan(ws->rawScan, 200, 20, 0.1, 1.7902);
    range_diagramme(*ws, messages);
    EXPECT_EQ(messages.warnings,
              std::vector<std::string>{
                  "Warning: The read wavelength ( 1.79020) is different from the current one ( 1.54060)"});
    EXPECT_EQ(ws->observed.count, 3);
    EXPECT_EQ(ws->observed.importCounter, 3);
    EXPECT_DOUBLE_EQ(ws->observed.slots[3].lambda, 1.7902);
    EXPECT_DOUBLE_EQ(ws->model.twoTheta1, 20);  // unchanged by later files
}

TEST(RangeDiagramme, TwoHundredPointsFillEverySlotWithRepeats)
{
    auto ws = workspace_with_range(10, 50);
    ws->model.wavelengths.count = 1;
    ws->model.wavelengths.values[1] = 1.5406;
    RecordingMessages messages;
    fill_scan(ws->rawScan, 200, 20, 0.1, 1.5406);
    range_diagramme(*ws, messages);
    const ObservedSlot& slot = ws->observed.slots[1];
    EXPECT_FLOAT_EQ(static_cast<float>(slot.points[1].twoTheta), 20.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(slot.points[kPatternPoints].twoTheta), ws->rawScan.angle[200]);
    EXPECT_EQ(distinct_angles(slot), 200);
    for (int g = 1; g <= kPatternPoints; ++g) {
        ASSERT_GT(slot.points[g].twoTheta, 0) << g;
        ASSERT_NEAR(slot.points[g].q, 4 * 3.14159265 * std::sin(slot.points[g].twoTheta * 0.0087266431) / 1.5406,
                    1e-7);
    }
}

TEST(RangeDiagramme, FiveThousandPointsKeepAboutOneInFive)
{
    auto ws = workspace_with_range(10, 50);
    ws->model.wavelengths.count = 1;
    ws->model.wavelengths.values[1] = 1.5406;
    RecordingMessages messages;
    fill_scan(ws->rawScan, 5000, 5, 0.02, 1.5406);  // 5..104.98, 2001 points in 10..50
    range_diagramme(*ws, messages);
    const ObservedSlot& slot = ws->observed.slots[1];
    EXPECT_FLOAT_EQ(static_cast<float>(slot.points[1].twoTheta), 10.0f);
    EXPECT_NEAR(slot.points[kPatternPoints].twoTheta, 50.0, 1e-4);
    EXPECT_EQ(distinct_angles(slot), kPatternPoints);
    EXPECT_NEAR(slot.points[2].twoTheta - slot.points[1].twoTheta, 0.04, 1e-4);

    fill_scan(ws->rawScan, 5000, 10, 0.002, 1.5406);  // 5000 points all in range
    range_diagramme(*ws, messages);
    const ObservedSlot& dense = ws->observed.slots[2];
    const double stride = (dense.points[kPatternPoints].twoTheta - dense.points[1].twoTheta) / 1014 / 0.002;
    EXPECT_NEAR(stride, 4999.0 / 1014, 1e-3);
}

TEST(RangeDiagramme, RangeExcludingEveryPointLeavesTheSlotZero)
{
    RecordingMessages messages;
    for (const auto& [t1, t2] : {std::pair{60.0, 80.0}, std::pair{1.0, 5.0}, std::pair{20.01, 20.09}}) {
        auto ws = workspace_with_range(t1, t2);
        ws->model.wavelengths.count = 1;
        ws->model.wavelengths.values[1] = 1.5406;
        fill_scan(ws->rawScan, 200, 20, 0.1, 1.5406);
        EXPECT_EQ(range_diagramme(*ws, messages).status, ImportStatus::Added);
        EXPECT_EQ(ws->observed.count, 1);
        for (int g = 1; g <= kPatternPoints; ++g) {
            ASSERT_EQ(ws->observed.slots[1].points[g].twoTheta, 0) << t1 << " " << g;
            ASSERT_EQ(ws->observed.slots[1].points[g].intensity, 0);
        }
    }
}

TEST(RangeDiagramme, AnEleventhDiagramIsRefused)
{
    auto ws = workspace_with_range(10, 50);
    RecordingMessages messages;
    fill_scan(ws->rawScan, 200, 20, 0.1, 1.5406);
    for (int k = 1; k <= kMaxObservedDiagrams; ++k)
        ASSERT_EQ(range_diagramme(*ws, messages).status, ImportStatus::Added);
    EXPECT_EQ(range_diagramme(*ws, messages).status, ImportStatus::Abandoned);
    EXPECT_EQ(ws->observed.count, 10);
    EXPECT_EQ(ws->observed.importCounter, 10);
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_EQ(messages.beeps, 1);
}

TEST(RangeDiagramme, FirstFileWithoutWavelengthSetsTheRangeOnly)
{
    auto ws = workspace_with_range(10, 50);
    RecordingMessages messages;
    fill_scan(ws->rawScan, 200, 20, 0.1, 0.0);
    EXPECT_TRUE(range_diagramme(*ws, messages).radiationAdopted);
    EXPECT_DOUBLE_EQ(ws->model.twoTheta1, 20);
    EXPECT_EQ(ws->model.wavelengths.count, 0);
    EXPECT_EQ(ws->observed.slots[1].points[5].q, 0);
}

std::string write_file(const std::string& name, const std::string& text)
{
    const auto path = testing::make_scratch_dir("lit-diagramme") / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

TEST(LitDiagramme, KindsDispatchAndCancelAbandons)
{
    auto ws = workspace_with_range(10, 50);
    RecordingMessages messages;
    EXPECT_EQ(lit_diagramme(*ws, messages, 5, "").status, ImportStatus::Abandoned);
    const std::string cpi = write_file(
        "q.cpi", "SIETRONICS XRD SCAN\n10\n10.06\n0.02\nCu\n1.54056\n-\n1\nSampleIdent Q\nSCANDATA\n1\n3\n2\n5\n");
    for (const int kind : {1, 2, 3}) {
        EXPECT_EQ(lit_diagramme(*ws, messages, kind, cpi).status, ImportStatus::Abandoned) << kind;
    }
    EXPECT_EQ(messages.warnings.front(), "Unknown file type");
    const ImportResult result = lit_diagramme(*ws, messages, 6, cpi);
    EXPECT_EQ(result.status, ImportStatus::Added);
    EXPECT_TRUE(result.radiationAdopted);
    EXPECT_EQ(ws->observed.slots[1].fileName, "q.cpi");
    EXPECT_DOUBLE_EQ(ws->model.wavelengths.values[1], 1.54056);
}

TEST(LitDiagramme, RietveldWithoutHeaderAsksForTheWavelength)
{
    auto ws = workspace_with_range(10, 50);
    RecordingMessages messages;
    const std::string dat = write_file("d.dat", "   \n\n\n\n10 0.5 11\n1 2 3\n");
    const ImportResult asked = lit_diagramme(*ws, messages, 4, dat);
    EXPECT_EQ(asked.status, ImportStatus::WavelengthNeeded);
    EXPECT_EQ(ws->observed.count, 0);
    EXPECT_EQ(ws->rawScan.fileName, dat);

    const ImportResult done = complete_rietveld_import(*ws, messages, {1.5418, 1.54056, 1.54439, 0.5, "Cu"});
    EXPECT_EQ(done.status, ImportStatus::Added);
    EXPECT_EQ(ws->rawScan.anode, "Cu");
    EXPECT_DOUBLE_EQ(ws->observed.slots[1].lambda, 1.5418);
    // The lines given with the mean are the radiation, as a file stating them would give it.
    ASSERT_EQ(ws->model.wavelengths.count, 2);
    EXPECT_DOUBLE_EQ(ws->model.wavelengths.values[1], 1.54056);
    EXPECT_DOUBLE_EQ(ws->model.wavelengths.weights[2], 0.5 / 1.5);
    EXPECT_EQ(messages.warnings, std::vector<std::string>{"The radiation of d.dat is used: Kα1 1.54056 Å, Kα2 1.54439 Å, "
                                                          "I(Kα2)/I(Kα1) 0.5 (the anode list or Multiple wavelengths "
                                                          "choose another)"});

    std::ofstream(dat, std::ios::trunc) << "\n\n\n\n10 0.5 11\n1 x 3\n";
    EXPECT_EQ(complete_rietveld_import(*ws, messages, {1.5418, 0, 0, 1, "?"}).status, ImportStatus::Abandoned);
    EXPECT_EQ(messages.warnings.back(), "Read error in the Rietveld file!");
    EXPECT_EQ(ws->observed.count, 1);
}

TEST(LitDiagramme, MissingFileIsReportedByName)
{
    auto ws = workspace_with_range(10, 50);
    RecordingMessages messages;
    for (const int kind : {1, 2, 4, 5}) {
        EXPECT_EQ(lit_diagramme(*ws, messages, kind, "/no/such/dir/gone.raw").status, ImportStatus::Abandoned);
        ASSERT_FALSE(messages.warnings.empty());
        EXPECT_NE(messages.warnings.back().find("gone.raw"), std::string::npos);
    }
}

}  // namespace
}  // namespace kalidos
