// kalidos-batch --series: a temperature series of rutile made from known cells refined back, a run
// stopped half way continued, settings that differ refused, independent diagrams in threads matching
// single refinements, and a diagram that fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "batch_program.hpp"
#include "support/paths.hpp"
#include "synthetic_diagram.hpp"

namespace kalidos::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kDiagrams = 6;

// Rutile's cell at temperature T: a and c grow by 1e-5 and 1.5e-5 per kelvin from 300 K.
double a_at(double t) { return 4.5937 * (1 + 1e-5 * (t - 300)); }
double c_at(double t) { return 2.9587 * (1 + 1.5e-5 * (t - 300)); }
double temperature_of(int k) { return 300 + 100 * k; }

// The diagrams, each a block of series.cif stating its temperature, counted with Poisson noise; the
// start structure start.cif at 300 K.
void write_series(const fs::path& dir)
{
    std::ofstream out(dir / "series.cif");
    for (int k = 0; k < kDiagrams; ++k) {
        const double t = temperature_of(k);
        write_rutile(dir / "at_t.cif", a_at(t), c_at(t), 0.3048, 0.6);
        std::vector<double> angles, intensity;
        calculated_pattern({"--range", "20", "110", "--step", "0.02", "--profile", "tch", "--zero", "0.02", "at_t.cif"},
                           dir, angles, intensity);
        const std::vector<double> counts = counts_of(intensity, 40, 20000, static_cast<unsigned>(k + 1));
        out << "data_t" << t << "\n_diffrn_ambient_temperature " << t << "\nloop_\n_pd_meas_2theta_scan\n"
            << "_pd_meas_counts_total\n";
        for (std::size_t i = 0; i < angles.size(); ++i)
            out << angles[i] << ' ' << counts[i] << '\n';
    }
    write_rutile(dir / "start.cif", a_at(300), c_at(300), 0.3048, 0.6);
}

std::vector<std::string> series_arguments(const std::string& mode, std::vector<std::string> more = {})
{
    std::vector<std::string> all = {"--range", "20", "110", "--profile", "tch", "--observed", "series.cif", "--series",
                                    mode, "--refine", "scale,background;zero,cell", "--json", "s.jsonl"};
    all.insert(all.end(), more.begin(), more.end());
    all.push_back("start.cif");
    return all;
}

std::vector<std::string> lines_of(const fs::path& file)
{
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

double value_of(const sajson::value& record, const std::string& name, double& su)
{
    const sajson::value values = member(record, "values");
    for (std::size_t i = 0; i < values.get_length(); ++i)
        if (text(values.get_array_element(i), "name") == name) {
            su = number(values.get_array_element(i), "su");
            return number(values.get_array_element(i), "value");
        }
    ADD_FAILURE() << name << " not in the record";
    return 0;
}

class BatchSeries : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new fs::path(make_scratch_dir("batch_series"));
        write_series(*dir_);
    }
    static void TearDownTestSuite() { delete dir_; }
    static fs::path* dir_;
};

fs::path* BatchSeries::dir_ = nullptr;

TEST_F(BatchSeries, SequentialFollowsTheImposedCellsAndARunStoppedHalfWayFinishesTheRest)
{
    const fs::path& dir = *dir_;
    const ProgramRun run = run_batch_program(series_arguments("sequential", {"--csv", "s.csv"}), dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = lines_of(dir / "s.jsonl");
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kDiagrams));
    for (int k = 0; k < kDiagrams; ++k) {
        const JsonDocument json(lines[static_cast<std::size_t>(k)]);
        ASSERT_TRUE(json.valid()) << json.error();
        const sajson::value record = json.root();
        EXPECT_EQ(number(record, "index"), k + 1);
        EXPECT_EQ(number(record, "scan"), k + 1);
        EXPECT_EQ(number(record, "temperature"), temperature_of(k));
        EXPECT_EQ(number(record, "start"), k);  // each from the one before
        EXPECT_EQ(text(record, "outcome"), "converged");
        double su = 0;
        for (const auto& [name, truth] : {std::pair{"0::a", a_at(temperature_of(k))}, {"0::c", c_at(temperature_of(k))},
                                          {"zero", 0.02}}) {
            const double value = value_of(record, name, su);
            EXPECT_GT(su, 0) << name;
            EXPECT_NEAR(value, truth, 3 * su) << name << " of diagram " << k + 1;
        }
        EXPECT_EQ(member(member(record, "curves"), "calculated").get_length(),
                  member(member(record, "curves"), "two_theta").get_length());
    }
    const std::string csv = read_text_file(dir / "s.csv");
    EXPECT_EQ(csv.rfind("index,file,scan,name,temperature_K,time_s,ok,", 0), 0u);
    EXPECT_NE(csv.find(",0::a,0::a_su,"), std::string::npos);
    EXPECT_NE(csv.find("\n6,series.cif,6,t800,800,,1,"), std::string::npos) << csv;

    // Stopped while writing the fourth record: the rerun refines the last three only, to the same records.
    {
        std::ofstream cut(dir / "s.jsonl", std::ios::binary | std::ios::trunc);
        cut << lines[0] << '\n' << lines[1] << '\n' << lines[2] << '\n' << lines[3].substr(0, lines[3].size() / 2);
    }
    const ProgramRun rest = run_batch_program(series_arguments("sequential", {"--csv", "s.csv"}), dir);
    ASSERT_EQ(rest.status, 0) << rest.err;
    EXPECT_NE(rest.out.find("3 refined in this run, 3 from the run before"), std::string::npos) << rest.out;
    EXPECT_EQ(lines_of(dir / "s.jsonl"), lines);
    EXPECT_EQ(read_text_file(dir / "s.csv"), csv);

    // Other settings are refused unless the series is started again.
    const ProgramRun other = run_batch_program(series_arguments("sequential", {"--cycles", "5"}), dir);
    EXPECT_EQ(other.status, 1);
    EXPECT_NE(other.err.find("other settings"), std::string::npos) << other.err;
    EXPECT_EQ(lines_of(dir / "s.jsonl"), lines);
    const ProgramRun blocks = run_batch_program(
        series_arguments("sequential", {"--series-block", "4", "--no-curves", "--overwrite"}), dir);
    ASSERT_EQ(blocks.status, 0) << blocks.err;
    const std::vector<std::string> restarted = lines_of(dir / "s.jsonl");
    ASSERT_EQ(restarted.size(), static_cast<std::size_t>(kDiagrams));
    const auto refined = [](const std::string& line) {  // the record's figures and values
        const std::size_t from = line.find("\"points\"");
        return line.substr(from, line.find("\"refinement\"") - from);
    };
    EXPECT_EQ(refined(restarted[3]), refined(lines[3]));  // the same start: the same values
    EXPECT_EQ(restarted[3].find("\"curves\""), std::string::npos);
    EXPECT_EQ(number(JsonDocument(restarted[4]).root(), "start"), 0);  // a new block
    EXPECT_EQ(number(JsonDocument(restarted[5]).root(), "start"), 5);
}

TEST_F(BatchSeries, IndependentDiagramsInThreadsAreSingleRefinementsAndAFailureIsRecorded)
{
    const fs::path& dir = *dir_;
    std::ofstream(dir / "broken.xy") << "20 10\n20.1 nan\n";
    const ProgramRun one = run_batch_program(
        series_arguments("independent", {"--json", "one.jsonl", "--observed", "broken.xy", "--no-curves"}), dir);
    EXPECT_EQ(one.status, 1) << one.err;
    const ProgramRun two = run_batch_program(
        series_arguments("independent", {"--json", "two.jsonl", "--observed", "broken.xy", "--no-curves", "-j", "2"}),
        dir);
    EXPECT_EQ(two.status, 1) << two.err;
    std::vector<std::string> first = lines_of(dir / "one.jsonl"), second = lines_of(dir / "two.jsonl");
    ASSERT_EQ(first.size(), static_cast<std::size_t>(kDiagrams + 1));
    std::sort(second.begin(), second.end(), [](const std::string& a, const std::string& b) {
        return number(JsonDocument(a).root(), "index") < number(JsonDocument(b).root(), "index");
    });
    EXPECT_EQ(second, first);
    const JsonDocument broken(first.back());
    EXPECT_FALSE(member(broken.root(), "ok").get_type() == sajson::TYPE_TRUE);
    EXPECT_NE(text(broken.root(), "reason").find("broken.xy"), std::string::npos) << first.back();

    // Diagram 4 alone, refined by --refine: the same values to the last digit.
    const ProgramRun single = run_batch_program({"--range", "20", "110", "--profile", "tch", "--observed", "series.cif",
                                                 "--scan", "4", "--refine", "scale,background;zero,cell", "--json", "-",
                                                 "start.cif"},
                                                dir);
    ASSERT_EQ(single.status, 0) << single.err;
    const JsonDocument alone(single.out);
    const sajson::value parameters = member(member(alone.root(), "refinement"), "parameters");
    const JsonDocument fourth(first[3]);
    for (std::size_t i = 0; i < parameters.get_length(); ++i) {
        double su = 0;
        const std::string name = text(parameters.get_array_element(i), "name");
        EXPECT_EQ(value_of(fourth.root(), name, su), number(parameters.get_array_element(i), "value")) << name;
        EXPECT_EQ(su, number(parameters.get_array_element(i), "su")) << name;
    }
}

}  // namespace
}  // namespace kalidos::testing
