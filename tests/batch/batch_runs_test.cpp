// Whole runs of kalidos-batch on small fixtures: outputs, choices of radiation, refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "batch_program.hpp"
#include "support/paths.hpp"

namespace kalidos::testing {
namespace {

namespace fs = std::filesystem;

fs::path fixture(const char* name) { return test_data_dir() / "batch" / name; }

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(BatchRun, WritesListingsJsonAndExportAndAsksBeforeReplacing)
{
    const fs::path dir = make_scratch_dir("batch_outputs");
    const std::string cif = fixture("cubic12.cif").string();
    const ProgramRun run = run_batch_program(
        {"--listings", (dir / "out").string(), "--json", "r.json", "--export", "d.cpi", cif}, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_regular_file(dir / "out" / "fstr.out"));
    EXPECT_TRUE(fs::is_regular_file(dir / "out" / "fstr2.out"));
    const JsonDocument json(read_text_file(dir / "r.json"));
    ASSERT_TRUE(json.valid()) << json.error();
    EXPECT_EQ(text(json.root(), "crystal_system"), "CUBI");
    EXPECT_EQ(member(json.root(), "operators").get_length(), 48u);
    EXPECT_GT(member(json.root(), "reflections").get_length(), 10u);
    EXPECT_EQ(member(member(json.root(), "pattern"), "two_theta").get_length(), 1015u);
    const std::string exported = read_text_file(dir / "d.cpi");
    EXPECT_EQ(exported.rfind("SIETRONICS XRD SCAN", 0), 0u);

    const ProgramRun again = run_batch_program({"--listings", (dir / "out").string(), "--export", "d.cpi", cif}, dir);
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("This file already exists. Do you want to continue? No"), std::string::npos) << again.err;
    const ProgramRun forced =
        run_batch_program({"--listings", (dir / "out").string(), "--export", "d.cpi", "--overwrite", cif}, dir);
    EXPECT_EQ(forced.status, 0) << forced.err;
}

TEST(BatchRun, OperatorsBlocksAndSpaceGroupReplacement)
{
    const fs::path dir = make_scratch_dir("batch_operators");
    const ProgramRun all = run_batch_program({"--operators", fixture("cubic12.cif").string()}, dir);
    ASSERT_EQ(all.status, 0) << all.err;
    const std::vector<std::string> operators = lines_of(all.out);
    EXPECT_EQ(operators.size(), 48u);
    EXPECT_NE(std::find(operators.begin(), operators.end(), "-X,-Y,-Z"), operators.end()) << all.out;

    const ProgramRun replaced =
        run_batch_program({"--operators", "--space-group", "P 2 3", fixture("cubic12.cif").string()}, dir);
    ASSERT_EQ(replaced.status, 0) << replaced.err;
    EXPECT_EQ(lines_of(replaced.out).size(), 12u);

    const ProgramRun unknown = run_batch_program({"--space-group", "P 42/n", fixture("cubic12.cif").string()}, dir);
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("unknown space group"), std::string::npos) << unknown.err;

    const std::string two = fixture("two_blocks.cif").string();
    const ProgramRun blocks = run_batch_program({"--list-blocks", two}, dir);
    EXPECT_EQ(blocks.status, 0);
    EXPECT_EQ(blocks.out, "1 first\n2 second\n");
    const ProgramRun second = run_batch_program({"--block", "2", "--operators", two}, dir);
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(lines_of(second.out).size(), 96u);  // I m -3 m: 48 operators and their centred copies
    EXPECT_EQ(run_batch_program({"--block", "3", two}, dir).status, 1);
}

TEST(BatchRun, RadiationChoicesReachTheCalculation)
{
    const fs::path dir = make_scratch_dir("batch_radiation");
    const std::string cif = fixture("cubic12.cif").string();
    const ProgramRun mixture = run_batch_program({"--mixture", "1.54439:50,1.54056:100", "--json", "-", cif}, dir);
    ASSERT_EQ(mixture.status, 0) << mixture.err;
    const JsonDocument mixed(mixture.out);
    const sajson::value waves = member(mixed.root(), "wavelengths");
    ASSERT_EQ(waves.get_length(), 2u);
    EXPECT_DOUBLE_EQ(number(waves.get_array_element(0), "lambda"), 1.54056);
    EXPECT_NEAR(number(waves.get_array_element(0), "weight"), 2.0 / 3.0, 1e-12);
    const ProgramRun single = run_batch_program({"--anode", "CuKa1", "--json", "-", cif}, dir);
    const JsonDocument one(single.out);
    EXPECT_EQ(member(mixed.root(), "reflections").get_length(), 2 * member(one.root(), "reflections").get_length());

    const ProgramRun neutron = run_batch_program({"--neutron", "--lambda", "1.2", "--json", "-", cif}, dir);
    ASSERT_EQ(neutron.status, 0) << neutron.err;
    EXPECT_NE(read_text_file(dir / "fstr2.out").find("Neutron"), std::string::npos);

    const ProgramRun molybdenum = run_batch_program({"--anode", "mokA1", "--json", "-", cif}, dir);
    ASSERT_EQ(molybdenum.status, 0) << molybdenum.err;
    EXPECT_DOUBLE_EQ(number(member(JsonDocument(molybdenum.out).root(), "wavelengths").get_array_element(0), "lambda"),
                     0.7093);
    EXPECT_EQ(run_batch_program({"--anode", "AgKa1", cif}, dir).status, 2);

    // Sasaki's f' of Cl at Cu Ka1 changes the intensities.
    const ProgramRun anomalous = run_batch_program({"--anomalous", "sasaki", "--json", "-", cif}, dir);
    ASSERT_EQ(anomalous.status, 0) << anomalous.err;
    const double with = number(member(JsonDocument(anomalous.out).root(), "reflections").get_array_element(0), "intensity");
    const double without = number(member(one.root(), "reflections").get_array_element(0), "intensity");
    EXPECT_GT(std::abs(with - without), 1e-6 * without);
}

TEST(BatchRun, RefusalsExitWithOneAndStillWriteTheMessages)
{
    const fs::path dir = make_scratch_dir("batch_refusals");
    const ProgramRun missing = run_batch_program({"absent.cif"}, dir);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Cannot open absent.cif"), std::string::npos);
    EXPECT_EQ(run_batch_program({fixture("cubic12.cif").string() + ".txt"}, dir).status, 2);

    const ProgramRun empty = run_batch_program({"--range", "1", "2", "--json", "-", fixture("cubic12.cif").string()}, dir);
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.err.find("No reflection calculated in the given Theta range!"), std::string::npos) << empty.err;
    const JsonDocument json(empty.out);
    ASSERT_TRUE(json.valid()) << json.error();
    EXPECT_EQ(member(json.root(), "messages").get_array_element(0).as_string(),
              "No reflection calculated in the given Theta range!");

    std::string cell = read_text_file(fixture("cubic12.cif"));
    for (const std::string angle : {"alpha", "beta", "gamma"}) {
        const std::string right = "_cell_angle_" + angle + " 90";
        cell.replace(cell.find(right), right.size(), "_cell_angle_" + angle + " 170");
    }
    std::ofstream(dir / "flat.cif") << cell;
    const ProgramRun flat = run_batch_program({(dir / "flat.cif").string()}, dir);
    EXPECT_EQ(flat.status, 1);
    EXPECT_NE(flat.err.find("Impossible cell in flat.cif: "), std::string::npos) << flat.err;

    const ProgramRun noData = run_batch_program({"--data", dir.string(), fixture("cubic12.cif").string()}, dir);
    EXPECT_EQ(noData.status, 1);
    EXPECT_EQ(noData.err.rfind("File Csp.lst not found", 0), 0u) << noData.err;
}

TEST(BatchRun, ARietveldFileWithoutWavelengthTakesTheRunsFirstWavelength)
{
    const fs::path dir = make_scratch_dir("batch_rietveld");
    const ProgramRun run = run_batch_program({"--range", "9", "13", "--observed", fixture("no_wavelength.dat").string(),
                                              "--json", "-", fixture("cubic12.cif").string()},
                                             dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const JsonDocument json(run.out);  // the values below point into it
    const sajson::value observed = member(json.root(), "observed").get_array_element(0);
    EXPECT_DOUBLE_EQ(number(observed, "lambda"), 1.54056);
    const std::vector<double> angles = numbers(member(observed, "two_theta"));
    const std::vector<double> counts = numbers(member(observed, "intensity"));
    ASSERT_FALSE(angles.empty());
    EXPECT_EQ(angles.front(), 10.0);
    EXPECT_EQ(angles.back(), 12.0);
    EXPECT_EQ(counts.front(), 0.0);  // 5 of 5..13 scaled to 0..100
    EXPECT_EQ(counts.back(), 100.0);
}

}  // namespace
}  // namespace kalidos::testing
