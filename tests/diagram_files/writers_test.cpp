// The .sim, .cpi and .cpd writers: layouts, the name rules, the questions, and reading back.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "diagram_files/diagram_readers.hpp"
#include "diagram_files/diagram_writers.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

using testing::RecordingMessages;

const std::string kLongTitle = "Quartz alpha, low temperature form (synthetic)";  // 46 characters

// A calculated diagram from 12° to 52° with two peaks, as a calculation leaves it.
std::unique_ptr<Workspace> calculated_workspace()
{
    auto ws = make_workspace("/tmp");
    ws->clock = [] { return std::string("08/12/2026 00:00:00"); };
    StructureModel& m = ws->model;
    m.title = kLongTitle;
    m.typedWavelength = 1.54056;
    m.anodeSymbol = "Cu";
    m.wavelengths.count = 1;
    m.wavelengths.values[1] = 1.54056;
    m.wavelengths.weights[1] = 1;
    m.twoTheta1 = 20;  // zoomed in: the writers take the grid's limits
    m.twoTheta2 = 30;
    CalculatedPattern& p = ws->results.pattern;
    p.pointCount = kPatternPoints;
    p.step = 40.0 / 1014;
    float largest = 0;
    for (int i = 0; i < kPatternPoints; ++i) {
        const double t = 12 + i * p.step;
        p.angles[i] = static_cast<float>(t);
        p.intensities[i] = static_cast<float>(100 * std::exp(-std::pow((t - 26.6) / 0.1, 2)) +
                                              35 * std::exp(-std::pow((t - 20.9) / 0.1, 2)));
        largest = std::max(largest, p.intensities[i]);
    }
    for (float& value : p.intensities)
        value = value * 100 / largest;  // a calculation leaves its largest point at 100
    return ws;
}

template <class T>
T field(const std::string& bytes, std::size_t offset)
{
    T value{};
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

std::string file_text(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(SimWriter, HeaderByteByByte)
{
    auto ws = calculated_workspace();
    const std::string b = sim_file_bytes(*ws);
    ASSERT_EQ(b.size(), 316u + 4 * kPatternPoints);
    EXPECT_EQ(b.substr(0, 4), "RAW2");
    EXPECT_EQ(field<std::int16_t>(b, 4), 1);
    EXPECT_EQ(b.substr(6, 34), "  " + kLongTitle.substr(0, 32));
    EXPECT_EQ(b.substr(40, 128), "Fichier provenant de KALIDOS" + std::string(100, ' '));
    EXPECT_EQ(b.substr(168, 20), "08/12/2026 00:00:00 ");
    EXPECT_EQ(b.substr(188, 2), "Cu");
    EXPECT_FLOAT_EQ(field<float>(b, 190), 1.54056f);
    EXPECT_EQ(field<float>(b, 194), 0.0f);
    EXPECT_EQ(field<float>(b, 198), 0.0f);
    EXPECT_EQ(field<std::int32_t>(b, 202), 0);
    EXPECT_FLOAT_EQ(field<float>(b, 206), 1.39f);
    EXPECT_FLOAT_EQ(field<float>(b, 210), 1000.0f);
    EXPECT_EQ(b.substr(214, 8), std::string(8, '\0'));
    EXPECT_EQ(b.substr(222, 34), std::string(34, ' '));
    EXPECT_EQ(field<std::int16_t>(b, 256), 60);
    EXPECT_EQ(field<std::int16_t>(b, 258), kPatternPoints);
    EXPECT_EQ(field<std::int16_t>(b, 260), 10);
    EXPECT_EQ(field<std::int16_t>(b, 262), 0);
    EXPECT_FLOAT_EQ(field<float>(b, 264), 1.0f);
    EXPECT_FLOAT_EQ(field<float>(b, 268), static_cast<float>(40.0 / 1014));
    EXPECT_FLOAT_EQ(field<float>(b, 272), 12.0f);
    EXPECT_FLOAT_EQ(field<float>(b, 276), 6.0f);
    EXPECT_EQ(b.substr(280, 36), std::string(36, '\0'));
    const int peak = static_cast<int>(std::lround((26.6 - 12) / (40.0 / 1014)));
    EXPECT_FLOAT_EQ(field<float>(b, 316 + 4 * static_cast<std::size_t>(peak)),
                    ws->results.pattern.intensities[peak] * 10);
}

TEST(SimWriter, WrittenThenReadBackGivesThePattern)
{
    auto ws = calculated_workspace();
    RecordingMessages messages;
    const auto dir = testing::make_scratch_dir("sim-roundtrip");
    ASSERT_TRUE(export_diag_sim(*ws, messages, (dir / "quartz").string()));
    RawScan scan;
    scan.fileName = (dir / "quartz.sim").string();
    ASSERT_FALSE(lit_raw(scan, messages)) << ::testing::PrintToString(messages.warnings);
    EXPECT_EQ(scan.sampleIdentification, kLongTitle.substr(0, 32) + " (RAW2)");
    EXPECT_FLOAT_EQ(static_cast<float>(scan.meanLambda), 1.54056f);
    EXPECT_EQ(scan.anode, "Cu");
    ASSERT_EQ(scan.pointCount, kPatternPoints);
    const CalculatedPattern& p = ws->results.pattern;
    for (int i = 0; i < kPatternPoints; ++i) {
        ASSERT_NEAR(scan.angle[i + 1], p.angles[i], 2e-5) << i;
        ASSERT_NEAR(scan.intensity[i + 1], p.intensities[i], 1e-4) << i;
    }
    EXPECT_TRUE(messages.warnings.empty());
}

TEST(CpiWriter, LinesAndReadingBack)
{
    auto ws = calculated_workspace();
    const auto lines = cpi_file_lines(*ws);
    ASSERT_EQ(lines.size(), 10u + kPatternPoints);
    const std::vector<std::string> header{"SIETRONICS XRD SCAN", "12.000", "52.000", "0.0394", "Cu", "1.54056",
                                          "08/12/2026 00:00:00", "1", "SampleIdent " + kLongTitle, "SCANDATA"};
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 10), header);
    const int peak = static_cast<int>(std::lround((26.6 - 12) / (40.0 / 1014)));
    EXPECT_EQ(lines[10 + static_cast<std::size_t>(peak)],
              std::to_string(std::lround(ws->results.pattern.intensities[peak] * 1000.0)));
    EXPECT_EQ(lines[10], "0");

    RecordingMessages messages;
    const auto dir = testing::make_scratch_dir("cpi-roundtrip");
    ASSERT_TRUE(ecrit_cpi(*ws, messages, (dir / "quartz").string()));
    EXPECT_EQ(file_text(dir / "quartz.cpi").substr(0, 29), "SIETRONICS XRD SCAN\r\n12.000\r\n");
    RawScan scan;
    scan.fileName = (dir / "quartz.cpi").string();
    ASSERT_FALSE(lit_cpi(scan, messages));
    ASSERT_EQ(scan.pointCount, kPatternPoints);
    EXPECT_EQ(scan.sampleIdentification, kLongTitle);
    EXPECT_DOUBLE_EQ(scan.meanLambda, 1.54056);
    const CalculatedPattern& p = ws->results.pattern;
    for (int i = 0; i < kPatternPoints; ++i) {
        // The step is written with four decimals: the last angle drifts by up to 1014·0.00005.
        ASSERT_NEAR(scan.angle[i + 1], p.angles[i], 5e-5 * i + 1e-4) << i;
        ASSERT_NEAR(scan.intensity[i + 1], p.intensities[i], 1e-3) << i;
    }
}

TEST(CpiWriter, SeveralWavelengthsWarnAndWriteTheFirst)
{
    auto ws = calculated_workspace();
    WavelengthSet& set = ws->model.wavelengths;
    set.count = 2;
    set.values[1] = 1.54056;
    set.weights[1] = 0.667;
    set.values[2] = 1.54439;
    set.weights[2] = 0.333;
    RecordingMessages messages;
    const auto dir = testing::make_scratch_dir("cpi-multi");
    ASSERT_TRUE(ecrit_cpi(*ws, messages, (dir / "m.cpi").string()));
    EXPECT_EQ(messages.warnings, std::vector<std::string>{"Warning! The diagram was calculated with 2 Wavelengths"});
    const auto lines = cpi_file_lines(*ws);
    EXPECT_EQ(lines[4], "Cu");
    EXPECT_EQ(lines[5], "1.54056");
}

TEST(CpdWriter, HeaviestFirstAndXxAnode)
{
    auto ws = calculated_workspace();
    WavelengthSet& set = ws->model.wavelengths;
    set.count = 2;
    set.values[1] = 1.54439;
    set.weights[1] = 0.333;
    set.values[2] = 1.54056;
    set.weights[2] = 0.667;
    RecordingMessages messages;
    const auto dir = testing::make_scratch_dir("cpd");
    ASSERT_TRUE(ecrit_cpd(*ws, messages, (dir / "m").string()));
    EXPECT_TRUE(messages.warnings.empty());
    const auto lines = cpd_file_lines(*ws);
    EXPECT_EQ(lines[4], "Xx");
    EXPECT_EQ(lines[5], "1.54056 0.667 1.54439 0.333");
    RawScan scan;
    scan.fileName = (dir / "m.cpd").string();
    ASSERT_FALSE(lit_cpi(scan, messages));
    EXPECT_DOUBLE_EQ(scan.meanLambda, 1.54056);  // the heaviest line
    EXPECT_EQ(scan.anode, "Xx");
    EXPECT_EQ(scan.pointCount, kPatternPoints);

    set.count = 1;
    ws->model.anodeSymbol.clear();
    EXPECT_EQ(cpd_file_lines(*ws)[4], "Xx");
    EXPECT_EQ(cpd_file_lines(*ws)[5], "1.54439 0.333");
}

TEST(CpdWriter, MoreThanFourWavelengthsKeepTheFourHeaviest)
{
    auto ws = calculated_workspace();
    WavelengthSet& set = ws->model.wavelengths;
    const double weights[] = {0.05, 0.30, 0.10, 0.25, 0.20, 0.10};
    set.count = 6;
    for (int i = 1; i <= 6; ++i) {
        set.values[i] = 1.0 + 0.1 * i;
        set.weights[i] = weights[i - 1];
    }
    const auto pairs = heaviest_wavelengths(set);
    ASSERT_EQ(pairs.size(), 4u);
    EXPECT_DOUBLE_EQ(pairs[0].lambda, 1.2);
    EXPECT_DOUBLE_EQ(pairs[1].lambda, 1.4);
    EXPECT_DOUBLE_EQ(pairs[2].lambda, 1.5);
    EXPECT_DOUBLE_EQ(pairs[3].weight, 0.10);
    RecordingMessages messages;
    const auto dir = testing::make_scratch_dir("cpd-six");
    ASSERT_TRUE(ecrit_cpd(*ws, messages, (dir / "six.cpd").string()));
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_NE(messages.warnings[0].find("6 Wavelengths"), std::string::npos);
    EXPECT_EQ(cpd_file_lines(*ws)[5], "1.20000 0.300 1.40000 0.250 1.50000 0.200 1.30000 0.100");
}

TEST(DiagramWriters, ExtensionRule)
{
    EXPECT_EQ(with_extension("/d/quartz", ".sim"), "/d/quartz.sim");
    EXPECT_EQ(with_extension("/d/quartz.sim.bak", ".sim"), "/d/quartz.sim.bak");
    EXPECT_EQ(with_extension("/d/a.simulation", ".sim"), "/d/a.simulation");
    EXPECT_EQ(with_extension("/d/quartz.cpi", ".cpd"), "/d/quartz.cpi.cpd");
}

TEST(DiagramWriters, EmptyPatternRefusedByAllThreeBeforeTheDialog)
{
    auto ws = calculated_workspace();
    ws->results.pattern.pointCount = 0;
    ws->observed.count = 2;  // observed diagrams shown do not count
    using Writer = bool (*)(const Workspace&, Messages&, const FileNameChooser&);
    for (const Writer writer : {Writer{export_diag_sim}, Writer{ecrit_cpi}, Writer{ecrit_cpd}}) {
        RecordingMessages messages;
        bool asked = false;
        EXPECT_FALSE(writer(*ws, messages, [&] {
            asked = true;
            return std::string("/tmp/never");
        }));
        EXPECT_FALSE(asked);
        EXPECT_EQ(messages.events, (std::vector<std::string>{"beep", "warning: No calculated diagram!"}));
    }
}

TEST(DiagramWriters, OverwriteQuestionAndCancel)
{
    auto ws = calculated_workspace();
    const auto dir = testing::make_scratch_dir("overwrite");
    const std::string path = (dir / "old.cpi").string();
    for (const Answer answer : {Answer::No, Answer::Cancel}) {
        std::ofstream(path) << "keep";
        RecordingMessages messages;
        messages.answers.push_back(answer);
        EXPECT_FALSE(ecrit_cpi(*ws, messages, path));
        EXPECT_EQ(messages.events,
                  (std::vector<std::string>{"beep", "ask: This file already exists. Do you want to continue?"}));
        EXPECT_EQ(file_text(path), "keep");
    }
    RecordingMessages yes;
    yes.answers.push_back(Answer::Yes);
    EXPECT_TRUE(ecrit_cpi(*ws, yes, path));
    EXPECT_EQ(file_text(path).substr(0, 19), "SIETRONICS XRD SCAN");

    RecordingMessages cancelled;
    EXPECT_FALSE(export_diag_sim(*ws, cancelled, FileNameChooser([] { return std::string(); })));
    EXPECT_TRUE(cancelled.events.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / ".sim"));
}

TEST(DiagramWriters, UnwritableFileIsReported)
{
    auto ws = calculated_workspace();
    RecordingMessages messages;
    EXPECT_FALSE(ecrit_cpd(*ws, messages, "/no/such/folder/x.cpd"));
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_NE(messages.warnings[0].find("x.cpd"), std::string::npos);
}

}  // namespace
}  // namespace kalidos
