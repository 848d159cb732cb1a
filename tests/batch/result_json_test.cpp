// The JSON document of a run, written from a workspace filled by hand and read back.
#include <gtest/gtest.h>

#include <sstream>

#include "batch_program.hpp"
#include "result_json.hpp"

namespace kalidos::testing {
namespace {

std::unique_ptr<Workspace> small_workspace()
{
    auto workspace = make_workspace("/tmp");
    StructureModel& m = workspace->model;
    m.title = "Na \"salt\"";
    m.crystalSystem = "CUBI";
    m.spaceGroupSymbol = "FM-3M";
    m.cell = {5.64, 5.64, 5.64, 90, 90, 90};
    m.operatorCount = 2;
    m.operatorTexts[1] = " X, Y, Z";
    m.operatorTexts[2] = "-X,-Y,-Z";
    m.atomCount = 1;
    m.atomSymbol[1] = "NA";
    m.atomLabel[1] = "1";
    m.atomX[1] = 0.25;
    m.atomB[1] = 1.2;
    m.atomPopulation[1] = 0.5;
    m.atomMultiplicity[1] = 1;
    m.wavelengths.count = 2;
    m.wavelengths.values[1] = 1.54056;
    m.wavelengths.weights[1] = 2.0 / 3.0;
    m.wavelengths.values[2] = 1.54439;
    m.wavelengths.weights[2] = 1.0 / 3.0;
    CalculationResults& r = workspace->results;
    r.merged.count = 1;
    r.merged[1] = {1, 1, 1, 8, 1.54056, 3.256, 27.37, 1234.5};
    r.peaks.count = 1;
    r.peaks[1] = {1, 1, 1, 6.283185307179586 / 3.256, 1851.75};
    r.pattern.pointCount = 3;
    r.pattern.angles[0] = 10;
    r.pattern.angles[1] = 10.5f;
    r.pattern.angles[2] = 11;
    r.pattern.intensities[1] = 100;
    ObservedSlot& slot = workspace->observed.slots[1];
    workspace->observed.count = 1;
    slot.fileName = "scan.raw";
    slot.lambda = 1.5418;
    slot.points[3] = {20.0, 5.0, 1.4};
    slot.points[4] = {20.02, 0.0, 1.41};  // a zero count inside the picked points is kept
    slot.points[5] = {20.04, 7.0, 1.42};
    return workspace;
}

TEST(ResultJson, WritesEveryPartOfTheRun)
{
    const auto workspace = small_workspace();
    std::ostringstream out;
    batch::write_result_json(out, *workspace, {"Warning: one", "two"});
    const JsonDocument json(out.str());
    ASSERT_TRUE(json.valid()) << json.error() << "\n" << out.str();
    const sajson::value root = json.root();
    EXPECT_EQ(text(root, "title"), "Na \"salt\"");
    EXPECT_EQ(text(root, "crystal_system"), "CUBI");
    EXPECT_EQ(text(root, "space_group"), "FM-3M");
    EXPECT_EQ(number(member(root, "cell"), "gamma"), 90);
    EXPECT_EQ(member(root, "operators").get_length(), 2u);
    EXPECT_EQ(member(root, "operators").get_array_element(1).as_string(), "-X,-Y,-Z");

    const sajson::value atom = member(root, "atoms").get_array_element(0);
    EXPECT_EQ(text(atom, "symbol"), "NA");
    EXPECT_EQ(number(atom, "x"), 0.25);
    EXPECT_EQ(number(atom, "population"), 0.5);
    EXPECT_EQ(number(atom, "multiplicity"), 1);

    const sajson::value waves = member(root, "wavelengths");
    ASSERT_EQ(waves.get_length(), 2u);
    EXPECT_DOUBLE_EQ(number(waves.get_array_element(1), "lambda"), 1.54439);  // sajson reads to within an ulp
    EXPECT_DOUBLE_EQ(number(waves.get_array_element(0), "weight"), 2.0 / 3.0);

    const sajson::value reflection = member(root, "reflections").get_array_element(0);
    EXPECT_EQ(number(reflection, "multiplicity"), 8);
    EXPECT_EQ(number(reflection, "two_theta"), 27.37);
    EXPECT_EQ(number(reflection, "intensity"), 1234.5);
    EXPECT_DOUBLE_EQ(number(member(root, "peaks").get_array_element(0), "q"), 6.283185307179586 / 3.256);

    const sajson::value pattern = member(root, "pattern");
    EXPECT_EQ(numbers(member(pattern, "two_theta")), (std::vector<double>{10, 10.5, 11}));
    EXPECT_EQ(numbers(member(pattern, "intensity")), (std::vector<double>{0, 100, 0}));

    const sajson::value observed = member(root, "observed").get_array_element(0);
    EXPECT_EQ(text(observed, "file"), "scan.raw");
    EXPECT_EQ(numbers(member(observed, "two_theta")), (std::vector<double>{20.0, 20.02, 20.04}));
    EXPECT_EQ(numbers(member(observed, "intensity")), (std::vector<double>{5, 0, 7}));
    EXPECT_EQ(member(root, "messages").get_array_element(0).as_string(), "Warning: one");
}

TEST(ResultJson, AnEmptyRunGivesEmptyTables)
{
    const auto workspace = make_workspace("/tmp");
    std::ostringstream out;
    batch::write_result_json(out, *workspace, {});
    const JsonDocument json(out.str());
    ASSERT_TRUE(json.valid()) << json.error();
    for (const char* table : {"operators", "atoms", "wavelengths", "reflections", "peaks", "observed", "messages"})
        EXPECT_EQ(member(json.root(), table).get_length(), 0u) << table;
    EXPECT_EQ(member(member(json.root(), "pattern"), "two_theta").get_length(), 0u);
}

}  // namespace
}  // namespace kalidos::testing
