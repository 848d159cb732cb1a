// A series' parts: the diagrams found in files, folders, lists and multi-scan files with their
// temperatures and times, the dates, the CSV table, the chains, and the records read back.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>

#include "series/series_items.hpp"
#include "series/series_reading.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

namespace fs = std::filesystem;
using testing::RecordingMessages;

// A powder CIF of `blocks` diagrams, block k at temperature 300 + 10 k, started k minutes apart.
void write_pdcif(const fs::path& path, int blocks)
{
    std::ofstream out(path);
    for (int k = 0; k < blocks; ++k) {
        out << "data_b" << k + 1 << "\n_diffrn_ambient_temperature " << 300 + 10 * k
            << "\n_pd_meas_datetime_initiated 2024-03-01T08:" << (k < 10 ? "0" : "") << k << ":30+01:00\n"
            << "loop_\n_pd_meas_2theta_scan\n_pd_meas_counts_total\n";
        for (int i = 0; i < 20; ++i)
            out << 20 + 0.1 * i << ' ' << 100 + i << '\n';
    }
}

void write_text(const fs::path& path, const std::string& text)
{
    std::ofstream(path) << text;
}

TEST(SeriesItems, FilesFoldersListsAndScansInOrderWithTheirValues)
{
    const fs::path dir = testing::make_scratch_dir("series_items");
    fs::create_directories(dir / "run");
    for (const char* name : {"s10.xy", "s2.xy", "s1.xy"})
        write_text(dir / "run" / name, "20 100\n20.1 120\n20.2 90\n20.3 95\n");
    write_text(dir / "run" / "notes.txt", "sample ground for 2 minutes, then pressed\n");
    write_text(dir / "run" / "corundum.cif", "data_corundum\n_cell_length_a 4.76\n");
    write_text(dir / "run" / "out.csv", "index,file\n");
    write_pdcif(dir / "ramp.cif", 3);
    write_text(dir / "list.txt", (dir / "ramp.cif").string() + "\n\n  " + (dir / "missing.xy").string() + "\n");
    SeriesInputs inputs;
    inputs.paths = {(dir / "run").string()};
    inputs.listFiles = {(dir / "list.txt").string()};
    inputs.excluded = {(dir / "run" / "out.csv").string()};
    RecordingMessages messages;
    std::vector<SeriesItem> items;
    ASSERT_EQ(series_items(inputs, items, messages), "");
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(fs::path(items[0].file).filename(), "s1.xy");
    EXPECT_EQ(fs::path(items[1].file).filename(), "s2.xy");
    EXPECT_EQ(fs::path(items[2].file).filename(), "s10.xy");
    for (int k = 0; k < 3; ++k) {
        const SeriesItem& item = items[static_cast<std::size_t>(3 + k)];
        EXPECT_EQ(item.scan, k + 1);
        EXPECT_EQ(item.scans, 3);
        EXPECT_EQ(item.temperature, 300 + 10 * k);
        EXPECT_EQ(item.time, 60 * k);  // from the series' first start
    }
    EXPECT_TRUE(std::isnan(items[0].temperature));
    EXPECT_TRUE(std::isnan(items[0].time));
    EXPECT_EQ(items[6].scans, 0);  // the missing file stays in the series, to be recorded as failed
    EXPECT_FALSE(items[6].unreadable.empty());

    inputs.scan = 2;
    inputs.paths = {(dir / "ramp.cif").string()};
    inputs.listFiles.clear();
    ASSERT_EQ(series_items(inputs, items, messages), "");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].scan, 2);
    EXPECT_EQ(items[0].time, 0);

    inputs.paths = {(dir / "ramp.cif").string(), (dir / "ramp.cif").string()};
    EXPECT_NE(series_items(inputs, items, messages).find("twice"), std::string::npos);
    inputs.paths = {(dir / "run" / "nothing").string()};
    inputs.listFiles = {(dir / "no-list.txt").string()};
    EXPECT_NE(series_items(inputs, items, messages).find("no-list.txt"), std::string::npos);
}

TEST(SeriesItems, RealScansWithTheirStartTimes)
{
    KALIDOS_REQUIRE_REALDATA();
    SeriesInputs inputs;
    inputs.paths = {(testing::realdata_dir() / "modern/xrdml/fairmat_m82762_mesh_101scans.xrdml").string()};
    RecordingMessages messages;
    std::vector<SeriesItem> items;
    ASSERT_EQ(series_items(inputs, items, messages), "");
    ASSERT_EQ(items.size(), 101u);
    // <startTimeStamp>2020-08-04T19:53:22+02:00 and 2020-08-04T20:01:00+02:00 for the first two.
    EXPECT_EQ(items[0].startTime, "2020-08-04T19:53:22+02:00");
    EXPECT_EQ(items[0].time, 0);
    EXPECT_EQ(items[1].time, 7 * 60 + 38);
    for (std::size_t k = 1; k < items.size(); ++k)
        EXPECT_GT(items[k].time, items[k - 1].time) << k;
    // A RASX scan's ScanInformation/StartTime.
    inputs.paths = {(testing::realdata_dir() / "modern/ras/fairmat_TwoTheta_scan_powder.rasx").string()};
    ASSERT_EQ(series_items(inputs, items, messages), "");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].startTime, "2021-05-05T10:35:31Z");
}

TEST(SeriesItems, DatesAndNaturalOrder)
{
    // 2020-08-04T17:53:22Z: 18478 days after 1970-01-01.
    const double utc = 18478.0 * 86400 + 17 * 3600 + 53 * 60 + 22;
    EXPECT_EQ(iso_seconds("2020-08-04T19:53:22+02:00"), utc);
    EXPECT_EQ(iso_seconds("2020-08-04T17:53:22Z"), utc);
    EXPECT_EQ(iso_seconds("2020-08-04 12:53:22.25-0500"), utc + 0.25);
    EXPECT_EQ(iso_seconds("2000-03-01T00:00:00") - iso_seconds("2000-02-28T00:00:00"), 2 * 86400.0);  // leap year
    for (const char* bad : {"", "2020-08-04", "2020-13-04T00:00:00", "2020-08-04T19:53:22+2", "yesterday"})
        EXPECT_TRUE(std::isnan(iso_seconds(bad))) << bad;
    EXPECT_TRUE(natural_less("scan_2.xy", "scan_10.xy"));
    EXPECT_TRUE(natural_less("scan_002.xy", "scan_10.xy"));
    EXPECT_FALSE(natural_less("scan_10.xy", "scan_9.xy"));
    EXPECT_TRUE(natural_less("a.xy", "b.xy"));
    EXPECT_FALSE(natural_less("b", "b"));
}

TEST(SeriesRecords, TableChainsAndFingerprint)
{
    SeriesRecord ok;
    ok.index = 1;
    ok.item.file = "a, b.xy";
    ok.item.temperature = 300.5;
    ok.ok = true;
    ok.rwp = 0.125;
    ok.outcome = "cycle limit";
    ok.values = {{"0::a", 4.7602, 1.5e-5}, {"0::r_bragg", 0.03, 0}};
    SeriesRecord failed;
    failed.index = 2;
    failed.item.file = "c.xy";
    failed.reason = "c.xy: \"no points\"";
    const std::vector<std::string> names = {"0::a", "0::r_bragg"};
    EXPECT_EQ(series_csv_header(names), "index,file,scan,name,temperature_K,time_s,ok,rp,rwp,rexp,chi2,points,refined,"
                                        "cycles,converged,outcome,start,0::a,0::a_su,0::r_bragg,reason\n");
    EXPECT_EQ(series_csv_row(ok, names),
              "1,\"a, b.xy\",1,,300.5,,1,0,0.125,0,0,0,0,0,0,cycle limit,0,4.7602,1.5e-05,0.03,\n");
    EXPECT_EQ(series_csv_row(failed, names), "2,c.xy,1,,,,0,,,,,,,,,,0,,,,\"c.xy: \"\"no points\"\"\"\n");

    using Chains = std::vector<std::vector<int>>;
    EXPECT_EQ(series_chains(5, SeriesMode::Sequential, 0), (Chains{{0, 1, 2, 3, 4}}));
    EXPECT_EQ(series_chains(5, SeriesMode::Sequential, 2), (Chains{{0, 1}, {2, 3}, {4}}));
    EXPECT_EQ(series_chains(3, SeriesMode::Independent, 2), (Chains{{0}, {1}, {2}}));
    // FNV-1a 64 of "a": 0xaf63dc4c8601ec8c (the algorithm's published test value).
    EXPECT_EQ(fingerprint("a"), "af63dc4c8601ec8c");
}

TEST(SeriesRecords, AStageThatDivergedGivesAFailureWithoutValues)
{
    RefinementResult result;
    result.outcome = FitOutcome::Stalled;
    result.refinedCount = 1;
    result.parameters.push_back({});
    result.parameters.back().name = "0::a";
    result.parameters.back().value = 4.76;
    result.parameters.back().refined = true;
    result.stages.resize(2);
    result.stages[1].outcome = FitOutcome::Stalled;
    SeriesRecord record;
    fill_series_record(result, record);
    EXPECT_TRUE(record.ok);
    EXPECT_FALSE(record.converged);
    EXPECT_EQ(record.outcome, "stalled");
    ASSERT_NE(record.find("0::a"), nullptr);

    result.stages[0].outcome = FitOutcome::Diverged;
    result.stages[0].notes = {"0::a left the physical region again and is held at its previous value"};
    fill_series_record(result, record);
    EXPECT_FALSE(record.ok);
    EXPECT_EQ(record.reason, "stage 1 diverged: 0::a left the physical region again and is held at its previous value");
    EXPECT_TRUE(record.values.empty());
}

TEST(SeriesRecords, ALineReadBackAndDamagedLinesRefused)
{
    const std::string line =
        R"({"index":3,"file":"d/x.cif","scan":2,"scans":5,"name":"b2","temperature":310,"start_time":"",)"
        R"("time":null,"settings":"00ff","ok":true,"reason":"","start":2,"messages":[],"points":4,"refined":2,)"
        R"("cycles":7,"converged":true,"outcome":"converged","rp":0.1,"rwp":0.2,"rexp":0.15,"chi2":1.7,)"
        R"("values":[{"name":"0::a","value":4.76,"su":2e-05}],)"
        R"("curves":{"two_theta":[20,21],"observed":[5,6],"calculated":[5.5,6],"background":[1,1]}})";
    SeriesRecord record;
    SeriesCurves curves;
    ASSERT_TRUE(read_series_record(line, record, &curves));
    EXPECT_EQ(record.index, 3);
    EXPECT_EQ(record.item.scan, 2);
    EXPECT_EQ(record.item.temperature, 310);
    EXPECT_TRUE(std::isnan(record.item.time));
    EXPECT_EQ(record.start, 2);
    EXPECT_EQ(record.outcome, "converged");
    ASSERT_NE(record.find("0::a"), nullptr);
    EXPECT_EQ(record.find("0::a")->su, 2e-5);
    EXPECT_EQ(curves.calculated, (std::vector<double>{5.5, 6}));
    // Every line cut short, and random bytes changed, is refused or read whole: never past its end.
    for (std::size_t n = 0; n < line.size(); ++n)
        EXPECT_FALSE(read_series_record(line.substr(0, n), record, &curves)) << n;
    EXPECT_FALSE(read_series_record(std::string(100000, '[') + std::string(100000, ']'), record));  // too deep
    std::mt19937 random(35);
    for (int trial = 0; trial < 3000; ++trial) {
        std::string damaged = line;
        for (int k = 0; k < 3; ++k)
            damaged[random() % damaged.size()] = static_cast<char>(random() % 256);
        if (read_series_record(damaged, record, &curves)) {
            EXPECT_EQ(curves.observed.size(), curves.twoTheta.size());
        }
    }
}

}  // namespace
}  // namespace kalidos
