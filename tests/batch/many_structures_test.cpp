// Calculations side by side: self-contained runs in threads, and kalidos-batch over several files.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "batch_calculation.hpp"
#include "batch_many.hpp"
#include "batch_program.hpp"
#include "result_json.hpp"
#include "support/paths.hpp"

namespace kalidos::testing {
namespace {

namespace fs = std::filesystem;
using namespace kalidos::batch;

// Different groups, settings and sizes among the real CIFs.
const char* const kEightCifs[] = {"cod_1000023.cif", "cod_1000035.cif", "cod_1010246.cif", "cod_2003005.cif",
                                  "cod_9000019.cif", "cod_9007550.cif", "amcsd_corundum_Sapphire.cif",
                                  "er2044.cif"};

struct Calculated {
    int status = -1;
    std::string json;
    std::string briefListing;
};

Calculated calculate_in_memory(const std::string& file, const std::string& startDirectory = "",
                               bool listingsWanted = true)
{
    BatchOptions options;
    options.structureFile = file;
    options.anode = "CuKa1";
    std::ostringstream ignored;
    StreamMessages messages(ignored, false);
    std::unique_ptr<Workspace> workspace = make_memory_workspace();
    workspace->model.startDirectory = startDirectory;
    workspace->listingsWanted = listingsWanted;
    workspace->clock = [] { return std::string("today"); };
    Calculated out;
    out.status = load_and_calculate(*workspace, options, program_data_dir(), messages);
    std::ostringstream json;
    write_result_json(json, *workspace, messages.texts());
    out.json = json.str();
    out.briefListing = workspace->briefListing;
    return out;
}

TEST(SelfContainedCalculation, EightStructuresInThreadsGiveTheSerialResults)
{
    KALIDOS_REQUIRE_REALDATA();
    std::vector<Calculated> serial, parallel(std::size(kEightCifs));
    for (const char* name : kEightCifs)
        serial.push_back(calculate_in_memory((realdata_dir() / "cif" / name).string()));
    {
        std::vector<std::jthread> threads;
        for (std::size_t i = 0; i < std::size(kEightCifs); ++i)
            threads.emplace_back([&, i] { parallel[i] = calculate_in_memory((realdata_dir() / "cif" / kEightCifs[i]).string()); });
    }
    for (std::size_t i = 0; i < serial.size(); ++i) {
        SCOPED_TRACE(kEightCifs[i]);
        EXPECT_EQ(serial[i].status, 0);
        EXPECT_NE(serial[i].json.find("\"two_theta\""), std::string::npos);
        EXPECT_EQ(parallel[i].json, serial[i].json);
        EXPECT_EQ(parallel[i].briefListing, serial[i].briefListing);
    }
}

// The in-memory listings are the files a run in a folder writes, and nothing lands in the folder.
TEST(SelfContainedCalculation, MemoryListingsEqualTheFilesAndNothingIsWritten)
{
    const fs::path dir = make_scratch_dir("memory_listings");
    const std::string cif = (test_data_dir() / "batch" / "cubic12.cif").string();
    const Calculated memory = calculate_in_memory(cif, dir.string());
    EXPECT_TRUE(fs::is_empty(dir));

    BatchOptions options;
    options.structureFile = cif;
    options.anode = "CuKa1";
    std::ostringstream ignored;
    StreamMessages messages(ignored, false);
    std::unique_ptr<Workspace> workspace = make_workspace(dir.string());
    workspace->clock = [] { return std::string("today"); };
    ASSERT_EQ(load_and_calculate(*workspace, options, program_data_dir(), messages), 0);
    EXPECT_TRUE(fs::exists(dir / "scfs.dat") || fs::exists(dir / "dummy.cif"));
    EXPECT_TRUE(workspace->briefListing.empty());
    EXPECT_EQ(memory.briefListing, read_text_file(dir / "fstr.out"));
    std::ostringstream json;
    write_result_json(json, *workspace, messages.texts());
    EXPECT_EQ(memory.json, json.str());
    // Without listings wanted (several structures, no --listings) the results are the same.
    const Calculated unlisted = calculate_in_memory(cif, dir.string(), false);
    EXPECT_EQ(unlisted.json, memory.json);
    EXPECT_TRUE(unlisted.briefListing.empty());
}

TEST(ManyStructures, JsonLinesInInputOrderWithTheFailureInItsOwnRecord)
{
    const fs::path dir = make_scratch_dir("many_structures");
    const std::string cubic = (test_data_dir() / "batch" / "cubic12.cif").string();
    const std::string quartz = (fs::path(KALIDOS_DATA_DIR) / ".." / "examples" / "quartz.cif").string();
    std::ofstream(dir / "list.txt") << "  " << quartz << "\n\n" << cubic << "\n";
    const ProgramRun run = run_batch_program(
        {"-j", "2", "--json", "all.jsonl", "--out-dir", "each", cubic, "missing.cif", "--list", "list.txt"}, dir);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("missing.cif: Cannot open missing.cif"), std::string::npos) << run.err;
    std::istringstream lines(read_text_file(dir / "all.jsonl"));
    std::vector<std::string> records;
    for (std::string line; std::getline(lines, line);)
        records.push_back(line);
    ASSERT_EQ(records.size(), 4u);
    const char* const files[] = {"cubic12.cif", "missing.cif", "quartz.cif", "cubic12.cif"};
    for (std::size_t i = 0; i < records.size(); ++i) {
        const JsonDocument record(records[i]);
        ASSERT_TRUE(record.valid()) << record.error();
        EXPECT_EQ(fs::path(text(record.root(), "file")).filename(), files[i]);
        EXPECT_EQ(member(record.root(), "ok").get_type() == sajson::TYPE_TRUE, i != 1);
    }
    EXPECT_FALSE(fs::exists(dir / "fstr.out"));  // no listing without --listings
    const ProgramRun single = run_batch_program({"--json", "-", quartz}, dir);
    ASSERT_EQ(single.status, 0) << single.err;
    const JsonDocument alone(single.out), third(records[2]);
    EXPECT_EQ(numbers(member(member(third.root(), "pattern"), "intensity")),
              numbers(member(member(alone.root(), "pattern"), "intensity")));
    EXPECT_EQ(member(third.root(), "reflections").get_length(), member(alone.root(), "reflections").get_length());
    for (const char* name : {"cubic12.json", "missing.json", "quartz.json", "cubic12_2.json"})
        EXPECT_TRUE(fs::is_regular_file(dir / "each" / name)) << name;
}

}  // namespace
}  // namespace kalidos::testing
