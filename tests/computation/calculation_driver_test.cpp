#include "computation/calculation_driver.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

#include "computation/intensity_pass.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"
#include "test_structures.hpp"

namespace kalidos {
namespace {

using testing::RecordingMessages;

std::vector<std::string> read_lines(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool contains(const std::vector<std::string>& lines, const std::string& text)
{
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

struct DriverRun {
    std::filesystem::path dir;
    std::unique_ptr<Workspace> ws;
    RecordingCalculationHost host;
    RecordingMessages messages;
    explicit DriverRun(const std::string& name) : dir(testing::make_scratch_dir(name)), ws(testing::make_rock_salt(dir.string())) {}
    void run() { recalcule(*ws, host, messages); }
    std::vector<std::string> detailed() const { return read_lines(dir / "fstr2.out"); }
    std::vector<std::string> brief() const { return read_lines(dir / "fstr.out"); }
};

TEST(CalculationDriver, OneXrayWavelengthFromClickToDiagram)
{
    DriverRun r("driver-one");
    r.run();
    EXPECT_TRUE(r.messages.warnings.empty()) << r.messages.warnings.front();
    const std::vector<std::string> events = {"read_entries", "busy", "idle", "results_list_changed", "show_diagram"};
    EXPECT_EQ(r.host.events, events);
    EXPECT_EQ(r.messages.events.back(), "beep");
    const CalculationResults& res = r.ws->results;
    EXPECT_EQ(res.merged.count, res.reflections.count);
    EXPECT_EQ(res.pattern.pointCount, kPatternPoints);
    // (1 1 1), (2 0 0), (2 2 0) ... of rock salt; (2 0 0) is the strongest line.
    ASSERT_GE(res.merged.count, 3);
    EXPECT_EQ(std::make_tuple(res.merged[1].h, res.merged[1].k, res.merged[1].l), std::make_tuple(1, 1, 1));
    EXPECT_EQ(std::make_tuple(res.merged[2].h, res.merged[2].k, res.merged[2].l), std::make_tuple(0, 0, 2));
    EXPECT_NEAR(res.merged[2].twoTheta, 31.70, 0.01);
    EXPECT_GT(res.merged[2].intensity, 5 * res.merged[1].intensity);
    EXPECT_EQ(res.resultsList[2].substr(0, 2), "K=");
    EXPECT_EQ(static_cast<int>(res.resultsList.size()), 3 + res.merged.count);

    const auto detailed = r.detailed();
    ASSERT_GT(detailed.size(), 30u);
    EXPECT_EQ(detailed[0], "KALIDOS. Powder diffraction diagram (Source: X ray tube)");
    EXPECT_EQ(detailed[3], testing::kFixedDate);
    EXPECT_TRUE(contains(detailed, "Structure factors"));
    const auto brief = r.brief();
    EXPECT_EQ(brief[0], "KALIDOS : Calculated powder diffraction diagram (Source: Xray tube)");
    EXPECT_TRUE(contains(brief, "Lattice : F"));
    EXPECT_FALSE(contains(brief, "SUMMARY"));
    // The strongest reflection of the pass is listed at 100.
    EXPECT_NE(brief.end(), std::find_if(brief.begin(), brief.end(), [](const std::string& l) {
                  return l.rfind("   0   0   2  2.8200  31.704   6", 0) == 0 && l.substr(l.size() - 10) == "    100.00";
              }));
}

TEST(CalculationDriver, TwoWavelengthsAreWeightedMergedAndSummarised)
{
    DriverRun r("driver-two");
    testing::set_wavelengths(r.ws->model, {1.5406, 1.5444}, {100, 50});
    r.run();
    ASSERT_TRUE(r.messages.warnings.empty());
    const CalculationResults& res = r.ws->results;
    EXPECT_EQ(res.merged.count, 2 * res.reflections.count);
    for (int i = 2; i <= res.merged.count; ++i)
        ASSERT_LE(res.merged[i - 1].twoTheta, res.merged[i].twoTheta);
    // (0 0 2) of each wavelength: same structure factor, half the weight (LP differs slightly).
    const Reflection* first = nullptr;
    const Reflection* second = nullptr;
    for (const Reflection& m : res.merged)
        if (m.h == 0 && m.k == 0 && m.l == 2)
            (m.lambda == 1.5406 ? first : second) = &m;
    ASSERT_TRUE(first && second);
    EXPECT_NEAR(second->intensity / first->intensity, 0.5, 0.01);
    // PeakTable: one entry per (h k l), unweighted sums of both passes.
    EXPECT_EQ(res.peaks.count, res.reflections.count);
    EXPECT_NEAR(res.peaks[2].intensity, first->intensity / 100 + second->intensity / 50, 1e-6 * first->intensity);

    const auto brief = r.brief();
    const auto summary = std::find(brief.begin(), brief.end(), "SUMMARY");
    ASSERT_NE(summary, brief.end());
    EXPECT_EQ(std::vector<std::string>(summary + 2, brief.end()), res.resultsList);
    EXPECT_EQ(std::count(brief.begin(), brief.end(), "Asymetric unit content:"), 1);
    const auto detailed = r.detailed();
    EXPECT_TRUE(contains(detailed, "Results for lambda= 1.54060"));
    EXPECT_TRUE(contains(detailed, "Results for lambda= 1.54440"));
}

TEST(CalculationDriver, PeakSumsMatchReflectionsByIndicesWhenListsDiffer)
{
    // Range edge between the two wavelengths: the shorter one reaches one more reflection at the top.
    DriverRun r("driver-peaks");
    r.ws->model.twoTheta2 = 66.5;
    testing::set_wavelengths(r.ws->model, {1.5406, 1.40}, {1, 1});
    r.run();
    ASSERT_TRUE(r.messages.warnings.empty());
    const CalculationResults& res = r.ws->results;
    for (int i = 1; i <= res.peaks.count; ++i) {
        double sum = 0;
        for (const Reflection& m : res.merged)
            if (m.h == res.peaks[i].h && m.k == res.peaks[i].k && m.l == res.peaks[i].l)
                sum += m.intensity;
        EXPECT_NEAR(res.peaks[i].intensity, sum, 1e-9 * sum);
    }
}

TEST(CalculationDriver, TypedWavelengthMakesAOneWavelengthSet)
{
    DriverRun r("driver-typed");
    r.ws->model.wavelengths.count = 0;
    r.ws->model.typedWavelength = 1.5406;
    r.run();
    EXPECT_TRUE(r.messages.warnings.empty());
    EXPECT_EQ(r.ws->model.wavelengths.count, 1);
    EXPECT_EQ(r.ws->model.wavelengths.weights[1], 1.0);
    EXPECT_EQ(r.ws->model.wavelengths.shortest, 1.5406);

    DriverRun none("driver-none");
    none.ws->model.wavelengths.count = 0;
    none.ws->model.typedWavelength = 0;
    none.run();
    EXPECT_EQ(none.messages.warnings, std::vector<std::string>{"Lambda not defined!"});
    EXPECT_EQ(none.ws->results.pattern.pointCount, 0);
}

TEST(CalculationDriver, EntryChecksRefuseWithABeepAndTheirMessage)
{
    const struct {
        std::function<void(StructureModel&)> spoil;
        const char* message;
    } cases[] = {
        {[](StructureModel& m) { m.crystalSystem.clear(); }, "The system is not defined"},
        {[](StructureModel& m) { m.spaceGroupSymbol.clear(); }, "The space_group is not defined"},
        {[](StructureModel& m) { m.cell.gamma = 0; }, "Cell parameters error!"},
        {[](StructureModel& m) { m.twoTheta1 = m.twoTheta2 = 40; }, "Theta range not defined"},
        {[](StructureModel& m) { m.atomCount = 0; }, "No atom in the asymetric unit!"},
        {[](StructureModel& m) { m.wavelengths.values[1] = 0; }, "No wavelength!"},
        {[](StructureModel& m) { m.operatorCount = 0; }, "No symmetry operator: choose the space group again!"},
        {[](StructureModel& m) { m.atomPopulation[1] = m.atomPopulation[2] = 0; }, "Every site population is 0!"},
    };
    for (const auto& c : cases) {
        DriverRun r("driver-check");
        c.spoil(r.ws->model);
        r.run();
        EXPECT_EQ(r.messages.events, (std::vector<std::string>{"beep", std::string("warning: ") + c.message}));
        EXPECT_EQ(r.host.events, std::vector<std::string>{"read_entries"});
    }
    DriverRun refused("driver-read");
    refused.host.onReadEntries = [] { return false; };
    refused.run();
    EXPECT_TRUE(refused.messages.events.empty());
    EXPECT_FALSE(std::filesystem::exists(refused.dir / "fstr.out"));
}

TEST(CalculationDriver, LowerLimitZeroBecomesOneDegreeForThePattern)
{
    DriverRun r("driver-zero");
    r.ws->model.twoTheta1 = 0;
    r.run();
    EXPECT_EQ(r.ws->model.twoTheta1, 1.0);
    EXPECT_EQ(r.ws->model.enteredTwoTheta1, 0.0);
    EXPECT_FLOAT_EQ(r.ws->results.pattern.angles[0], 1.0f);
}

TEST(CalculationDriver, AnEmptyRangeStopsTheRunWithTheListingsClosed)
{
    DriverRun r("driver-empty");
    r.ws->model.twoTheta1 = 10;
    r.ws->model.twoTheta2 = 20;  // (1 1 1) of rock salt is at 27.4°
    r.run();
    EXPECT_EQ(r.messages.warnings, std::vector<std::string>{kNoReflection});
    EXPECT_EQ(r.host.events, (std::vector<std::string>{"read_entries", "busy", "idle"}));
    EXPECT_EQ(r.ws->results.pattern.pointCount, 0);
    EXPECT_EQ(r.detailed()[0], "KALIDOS. Powder diffraction diagram (Source: X ray tube)");
}

TEST(CalculationDriver, NeutronsUseOneFactorGForEveryPass)
{
    DriverRun r("driver-neutrons");
    r.ws->model.radiation = kNeutrons;
    testing::set_wavelengths(r.ws->model, {1.5406, 1.2}, {1, 1});
    r.run();
    ASSERT_TRUE(r.messages.warnings.empty());
    const double g = r.ws->results.neutronFactor;
    EXPECT_DOUBLE_EQ(g, neutron_intensity_factor(r.ws->model));
    const auto detailed = r.detailed();
    EXPECT_EQ(detailed[0], " KALIDOS : Powder diffraction diagram (Source: Neutrons)");
    EXPECT_EQ(std::count_if(detailed.begin(), detailed.end(),
                            [](const std::string& l) { return l.rfind("The intensity was multiplied by:", 0) == 0; }),
              1);
}

TEST(CalculationDriver, NullScatteringAlloyGivesFiniteIntensities)
{
    // Ti (-0.337) and Zr (0.7) in the ratio that cancels the mean Fermi length.
    const auto dir = testing::make_scratch_dir("driver-tizr");
    const double cell[6] = {3.3, 3.3, 3.3, 90, 90, 90};
    auto ws = testing::make_structure(dir.string(), "I m -3 m", cell,
                                      {{"TI", 0, 0, 0, 0.5, 0.7 / 1.037}, {"ZR", 0, 0, 0, 0.5, 0.337 / 1.037}});
    ws->model.radiation = kNeutrons;
    RecordingCalculationHost host;
    RecordingMessages messages;
    recalcule(*ws, host, messages);
    for (const Reflection& m : ws->results.merged)
        EXPECT_TRUE(std::isfinite(m.intensity));
    EXPECT_TRUE(std::isfinite(ws->results.neutronFactor));
    EXPECT_GT(ws->results.neutronFactor, 0);
}

TEST(CalculationDriver, ObservedScanIsScaledOnItsPointsInRange)
{
    auto ws = make_workspace(".");
    RawScan& scan = ws->rawScan;
    scan.fileName = "scan.raw";
    scan.pointCount = 3;
    const float angles[] = {5, 20, 60}, counts[] = {500, 40, 80};
    for (int i = 1; i <= 3; ++i) {
        scan.angle[i] = angles[i - 1];
        scan.intensity[i] = counts[i - 1];
    }
    ws->model.twoTheta1 = 10;
    ws->model.twoTheta2 = 60;  // inclusive: 80 is the largest in range
    normalise_observed_scan(*ws);
    EXPECT_FLOAT_EQ(scan.intensity[1], 625.0f);
    EXPECT_FLOAT_EQ(scan.intensity[2], 50.0f);
    EXPECT_FLOAT_EQ(scan.intensity[3], 100.0f);
    ws->model.twoTheta1 = 70;
    ws->model.twoTheta2 = 80;  // no point in range: left as it is
    normalise_observed_scan(*ws);
    EXPECT_FLOAT_EQ(scan.intensity[3], 100.0f);
}

TEST(CalculationDriver, ClearResultsEmptiesTheListAndTheDisplay)
{
    DriverRun r("driver-clear");
    r.run();
    ASSERT_FALSE(r.ws->results.resultsList.empty());
    r.host.events.clear();
    clear_results(*r.ws, r.host);
    EXPECT_TRUE(r.ws->results.resultsList.empty());
    EXPECT_EQ(r.host.events, std::vector<std::string>{"clear_displayed_results"});
}

}  // namespace
}  // namespace kalidos

namespace kalidos {
namespace {

TEST(CalculationDriver, MoreThan40000MergedRecordsAreRefusedBeforeThePasses)
{
    const auto dir = testing::make_scratch_dir("driver-merged");
    const double cell[6] = {58.5, 58.5, 58.5, 90, 90, 90};
    auto ws = testing::make_structure(dir.string(), "F m -3 m", cell, {{"FE", 0.1, 0.2, 0.3, 0.5, 1}});
    testing::set_wavelengths(ws->model, {1.5406, 1.5444, 1.5418, 1.5480, 1.5500}, {1, 1, 1, 1, 1});
    ws->model.twoTheta1 = 5;
    ws->model.twoTheta2 = 150;  // about 9500 reflections per wavelength
    RecordingCalculationHost host;
    RecordingMessages messages;
    recalcule(*ws, host, messages);
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_EQ(messages.warnings[0], "Too many reflections for all the wavelengths (more than 40000). Decrease the "
                                    "theta range or the number of wavelengths");
    EXPECT_EQ(ws->results.merged.count, 0);
    EXPECT_EQ(ws->results.passIndex, 0);
}

}  // namespace
}  // namespace kalidos
