// Observed diagrams keep the file's own points: the described formats beside their 1015
// slots, and diagrams of any size read at their own resolution.
#include <fstream>

#include <gtest/gtest.h>

#include "diagram_files/measured_import.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

using testing::RecordingMessages;

std::string write_file(const std::string& name, const std::string& text)
{
    const auto path = testing::make_scratch_dir("measured-import") / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

TEST(MeasuredImport, DescribedFormatsKeepTheirUnscaledPoints)
{
    auto ws = make_workspace("/tmp");
    RecordingMessages messages;
    const std::string cpi = write_file(
        "q.cpi", "SIETRONICS XRD SCAN\n10\n10.06\n0.02\nCu\n1.54056\n-\n1\nSampleIdent Q\nSCANDATA\n1\n3\n2\n5\n");
    ASSERT_EQ(lit_diagramme(*ws, messages, 5, cpi).status, ImportStatus::Added);
    const ObservedSlot& slot = ws->observed.slots[1];
    ASSERT_TRUE(slot.measured);
    EXPECT_EQ(slot.measured->format, "cpi");
    EXPECT_DOUBLE_EQ(slot.measured->wavelengths.lambda1, 1.54056);
    const MeasuredScan& points = slot.measured->scans.at(0);
    EXPECT_EQ(points.intensity, (std::vector<double>{1, 3, 2, 5}));
    EXPECT_FLOAT_EQ(static_cast<float>(points.twoTheta[3]), 10.06f);
    EXPECT_EQ(points.unit, "");  // CPI files may hold any values

    // A Rietveld file without header keeps the wavelengths given in the Lambda missing dialog.
    const std::string dat = write_file("d.dat", "\n\n\n\n10 0.5 11\n100 250 90\n");
    ASSERT_EQ(lit_diagramme(*ws, messages, 4, dat).status, ImportStatus::WavelengthNeeded);
    ASSERT_EQ(complete_rietveld_import(*ws, messages, {1.5418, 1.54056, 1.54439, 0.5, "Cu"}).status,
              ImportStatus::Added);
    const MeasuredDiagram& d = *ws->observed.slots[2].measured;
    EXPECT_EQ(d.format, "dat");
    EXPECT_EQ(d.scans[0].unit, "counts");
    EXPECT_EQ(d.scans[0].intensity, (std::vector<double>{100, 250, 90}));
    EXPECT_DOUBLE_EQ(d.wavelengths.lambda2, 1.54439);
    EXPECT_DOUBLE_EQ(d.wavelengths.ratio, 0.5);
    // The first slot still holds its own diagram.
    EXPECT_EQ(ws->observed.slots[1].measured->format, "cpi");
}

// Two scans of 60000 points, more than the RawScan holds: the chosen one is resampled.
std::shared_ptr<MeasuredDiagram> two_scans()
{
    auto d = std::make_shared<MeasuredDiagram>();
    d->fileName = "/data/mesh.xrdml";
    d->format = "xrdml";
    d->wavelengths = {1.5406, 1.5444, 0.5, "Cu"};
    for (int s = 0; s < 2; ++s) {
        MeasuredScan& scan = d->scans.emplace_back();
        for (int i = 0; i < 60000; ++i) {
            scan.twoTheta.push_back(20 + i * 0.0005);
            scan.intensity.push_back(s == 0 ? 7 : 1000 + i % 500);
        }
    }
    return d;
}

TEST(MeasuredImport, ChosenScanIsResampledAndKeptWhole)
{
    auto ws = make_workspace("/tmp");
    RecordingMessages messages;
    const ImportResult result = add_measured_diagram(*ws, messages, two_scans(), 1);
    ASSERT_EQ(result.status, ImportStatus::Added);
    EXPECT_TRUE(result.radiationAdopted);
    ASSERT_EQ(ws->model.wavelengths.count, 2);  // Kα1 and Kα2 at 2:1, as the file states them
    EXPECT_DOUBLE_EQ(ws->model.wavelengths.values[2], 1.5444);
    EXPECT_DOUBLE_EQ(ws->model.wavelengths.weights[1], 1 / 1.5);
    EXPECT_EQ(messages.warnings.size(), 1u);
    EXPECT_DOUBLE_EQ(ws->model.twoTheta1, 20);
    EXPECT_NEAR(ws->model.twoTheta2, 20 + 59999 * 0.0005, 1e-9);
    const ObservedSlot& slot = ws->observed.slots[1];
    EXPECT_EQ(slot.scan, 1);
    EXPECT_EQ(slot.measured->scans[1].twoTheta.size(), 60000u);
    EXPECT_EQ(slot.fileName, "mesh.xrdml");
    EXPECT_DOUBLE_EQ(slot.points[1].twoTheta, 20);
    EXPECT_DOUBLE_EQ(slot.points[1].intensity, 0);  // 1000 counts is the smallest: 0 after scaling
    EXPECT_NEAR(slot.points[kPatternPoints].twoTheta, 20 + 59999 * 0.0005, 1e-9);
    EXPECT_EQ(ws->rawScan.fileName, "/data/mesh.xrdml");
    EXPECT_EQ(ws->rawScan.measured.get(), slot.measured.get());
}

TEST(MeasuredImport, RefusalsChangeNothing)
{
    auto ws = make_workspace("/tmp");
    RecordingMessages messages;
    EXPECT_EQ(add_measured_diagram(*ws, messages, two_scans(), 2).status, ImportStatus::Abandoned);
    EXPECT_EQ(messages.warnings.back(), "mesh.xrdml: the file holds 2 scan(s), not a scan 3");
    EXPECT_EQ(add_measured_diagram(*ws, messages, two_scans(), 0).status, ImportStatus::Abandoned);
    EXPECT_NE(messages.warnings.back().find("every intensity equals 7"), std::string::npos);
    EXPECT_EQ(ws->observed.count, 0);
    EXPECT_EQ(ws->observed.importCounter, 0);
    EXPECT_TRUE(ws->rawScan.fileName.empty());
    EXPECT_EQ(ws->model.wavelengths.count, 0);
}

TEST(MeasuredImport, GivenWavelengthsFillADiagramWithoutThem)
{
    MeasuredDiagram d;
    give_wavelengths(d, {1.5418, 1.54056, 1.54439, 0.5, "Cu"});
    EXPECT_DOUBLE_EQ(d.wavelengths.lambda2, 1.54439);
    EXPECT_NEAR(mean_wavelength(d.wavelengths), (0.5 * 1.54439 + 1.54056) / 1.5, 1e-12);
    give_wavelengths(d, {1.7, 0, 0, 1, "?"});  // the batch's first wavelength
    EXPECT_DOUBLE_EQ(d.wavelengths.lambda1, 1.7);
    EXPECT_DOUBLE_EQ(mean_wavelength(d.wavelengths), 1.7);
}

}  // namespace
}  // namespace kalidos
