#include "anomalous/anomalous_reading.hpp"

#include <fstream>

#include <gtest/gtest.h>

#include "model/wavelength_set.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"
#include "table_bytes.hpp"

namespace kalidos {

using testing::RecordingMessages;
using testing::table_record;

namespace {

std::unique_ptr<Workspace> workspace_with_elements(const std::string& directory,
                                                   std::initializer_list<const char*> symbols)
{
    auto ws = make_workspace(directory);
    StructureModel& m = ws->model;
    for (const char* symbol : symbols) {
        ++m.elementCount;
        m.elementSymbols[m.elementCount] = symbol;
    }
    m.atomCount = m.elementCount;
    set_single_wavelength(m, 12400.0 / 7500);  // 7500 eV
    return ws;
}

// Fe twice (the later record wins), O once; no Cu.
std::string sample_table()
{
    return table_record("FE", {{7000, -9, -9}, {8000, -9, -9}}) + table_record("O ", {{5000, 0.1f, 0.2f}}) +
           table_record("Fe", {{7000, -3, 0.5f}, {8000, -1, 3}});
}

void write_file(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

TEST(AnomalousReading, ValuesInterpolatedPerElementAndWavelength)
{
    auto ws = workspace_with_elements("/tmp", {"FE3+", "O", "CU"});
    StructureModel& m = ws->model;
    m.wavelengths.count = 2;
    m.wavelengths.values[2] = 12400.0 / 8500;  // beyond the last Fe point and every O point
    m.fPrime[1][3] = 5;                          // Cu has no record: this goes back to 0
    m.fPrime[2][1] = 5;
    std::vector<AnomalousRecord> records;
    std::string error;
    ASSERT_TRUE(parse_anomalous_table(sample_table(), records, error));
    apply_anomalous_records(records, m);
    EXPECT_NEAR(m.fPrime[1][1], -2, 1e-9);  // FE3+ looked up as FE, the later record
    EXPECT_NEAR(m.fSecond[1][1], 1.75, 1e-9);
    EXPECT_EQ(m.fPrime[2][1], 0);  // no point reaches 8500 eV
    EXPECT_EQ(m.fPrime[1][2], 0);
    EXPECT_DOUBLE_EQ(m.fSecond[1][2], 0);
    EXPECT_EQ(m.fPrime[1][3], 0);
}

TEST(AnomalousReading, OnlyFourWavelengthsCarryValues)
{
    auto ws = workspace_with_elements("/tmp", {"FE"});
    StructureModel& m = ws->model;
    m.wavelengths.count = 5;
    for (int w = 1; w <= 5; ++w)
        m.wavelengths.values[w] = 12400.0 / 7500;
    std::vector<AnomalousRecord> records;
    std::string error;
    ASSERT_TRUE(parse_anomalous_table(sample_table(), records, error));
    apply_anomalous_records(records, m);  // would overrun the four rows of f' otherwise
    EXPECT_NEAR(m.fPrime[4][1], -2, 1e-9);
}

TEST(AnomalousReading, TableCutInARecordIsRefusedAndNothingStored)
{
    const auto dir = testing::make_scratch_dir("anomalous-cut");
    const std::string whole = sample_table();
    write_file(dir / "brcow.an", whole.substr(0, whole.size() - 5));
    auto ws = workspace_with_elements(dir.string(), {"FE", "O"});
    ws->model.fPrime[1][2] = 0.25;
    RecordingMessages messages;
    EXPECT_EQ(acquire_anomalous_factors(*ws, 0, messages), AnomalousPanelOutcome::Refused);
    EXPECT_EQ(messages.beeps, 1);
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_EQ(messages.warnings[0], "Error in brcow.an: record 3 (Fe) is cut short!");
    EXPECT_EQ(ws->model.fPrime[1][1], 0);
    EXPECT_EQ(ws->model.fPrime[1][2], 0.25);
}

TEST(AnomalousReading, PanelReadsTheChosenTableWhateverTheCaseOfItsName)
{
    const auto dir = testing::make_scratch_dir("anomalous-panel");
    write_file(dir / "sasaki.AN", sample_table());
    auto ws = workspace_with_elements(dir.string(), {"FE"});
    RecordingMessages messages;
    EXPECT_EQ(acquire_anomalous_factors(*ws, -1, messages), AnomalousPanelOutcome::NoTableChosen);
    EXPECT_EQ(messages.warnings.back(), "Select the File!");
    EXPECT_EQ(acquire_anomalous_factors(*ws, 1, messages), AnomalousPanelOutcome::Done);
    EXPECT_NEAR(ws->model.fPrime[1][1], -2, 1e-9);
    EXPECT_EQ(ws->anomalousGrid.cell(2, 1), "-2.000");
    EXPECT_EQ(ws->anomalousGrid.cell(2, 2), " 1.750");
    EXPECT_EQ(messages.warnings.size(), 1u);

    // brcow.an is absent from this folder.
    EXPECT_EQ(acquire_anomalous_factors(*ws, 0, messages), AnomalousPanelOutcome::Refused);
    EXPECT_EQ(messages.warnings.back(), "Error in Brcow.an: the file cannot be opened!");
    EXPECT_NEAR(ws->model.fPrime[1][1], -2, 1e-9);
}

TEST(AnomalousReading, ButtonChecksTheWavelengthThenTheAtoms)
{
    struct Case {
        const char* edit11;
        AnomalousButtonOutcome outcome;
        const char* message;
    };
    const Case cases[] = {
        {"", AnomalousButtonOutcome::Refused, "No WaveLength!"},
        {" 0.00000", AnomalousButtonOutcome::Refused, "No WaveLength!"},
        {"1.5x", AnomalousButtonOutcome::Refused, "Error on WaveLength!"},
        {"-1.5", AnomalousButtonOutcome::Refused, "Error on WaveLength!"},
    };
    for (const Case& c : cases) {
        auto ws = workspace_with_elements("/tmp", {"FE"});
        ws->model.fPrime[1][1] = 0.5;
        RecordingMessages messages;
        EXPECT_EQ(prepare_anomalous_reading(*ws, c.edit11, messages), c.outcome) << c.edit11;
        ASSERT_EQ(messages.warnings.size(), 1u);
        EXPECT_EQ(messages.warnings[0], c.message);
        EXPECT_EQ(ws->model.fPrime[1][1], 0.5);
    }

    auto ws = workspace_with_elements("/tmp", {"FE"});
    ws->model.fPrime[1][1] = 0.5;
    RecordingMessages messages;
    EXPECT_EQ(prepare_anomalous_reading(*ws, " 0.70930 ", messages), AnomalousButtonOutcome::ShowPanel);
    EXPECT_TRUE(messages.warnings.empty());
    EXPECT_DOUBLE_EQ(ws->model.wavelengths.values[1], 0.7093);
    EXPECT_EQ(ws->model.wavelengths.count, 1);
    EXPECT_EQ(ws->model.fPrime[1][1], 0);

    ws->model.atomCount = 0;
    ws->model.wavelengths.count = 2;
    ws->model.fSecond[2][1] = 1;
    EXPECT_EQ(prepare_anomalous_reading(*ws, "Multiple", messages), AnomalousButtonOutcome::NoAtom);
    EXPECT_EQ(ws->model.wavelengths.count, 2);  // the mixture is kept
    EXPECT_EQ(ws->model.fSecond[2][1], 0);
    EXPECT_EQ(messages.beeps, 1);
    EXPECT_EQ(messages.warnings.back(), "No atom in the asymetric unit!");
}

}  // namespace kalidos
