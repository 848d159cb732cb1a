// kalidos-batch --compare, --fit, --background and --export-xy, and the measured points in the JSON.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "batch_program.hpp"
#include "diagram_files/diagram_import.hpp"
#include "support/paths.hpp"

namespace kalidos::testing {
namespace {

namespace fs = std::filesystem;

fs::path fixture(const char* name) { return test_data_dir() / "batch" / name; }

std::vector<std::vector<double>> csv_rows(const std::string& text, std::string& header)
{
    std::istringstream in(text);
    std::getline(in, header);
    std::vector<std::vector<double>> rows;
    for (std::string line; std::getline(in, line);) {
        std::vector<double>& row = rows.emplace_back();
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');)
            row.push_back(std::stod(field));
    }
    return rows;
}

TEST(BatchComparison, MeasuredPointsAgreementAndRefusals)
{
    const fs::path dir = make_scratch_dir("batch_compare");
    const std::string cif = fixture("cubic12.cif").string(), dat = fixture("no_wavelength.dat").string();
    const ProgramRun run = run_batch_program(
        {"--range", "9", "13", "--observed", dat, "--compare", "--background", "0", "--json", "-", cif}, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const JsonDocument json(run.out);
    const sajson::value observed = member(json.root(), "observed").get_array_element(0);
    EXPECT_EQ(text(observed, "format"), "dat");
    EXPECT_EQ(number(observed, "scan"), 1);
    EXPECT_EQ(numbers(member(member(observed, "measured"), "intensity")), (std::vector<double>{5, 7, 9, 11, 13}));
    EXPECT_FALSE(has(member(observed, "measured"), "sigma"));
    EXPECT_EQ(number(member(observed, "wavelengths").get_array_element(0), "lambda"), number(observed, "lambda"));
    const sajson::value agreement = member(json.root(), "agreement").get_array_element(0);
    EXPECT_EQ(number(agreement, "points"), 5);
    EXPECT_EQ(member(agreement, "background").get_length(), 1u);
    EXPECT_EQ(number(agreement, "zero_shift_su"), 0);
    EXPECT_NE(read_text_file(dir / "fstr.out").find("Agreement with no_wavelength.dat (scan 1)"), std::string::npos);

    // Without --compare: no agreement list, and the calculated diagram's columns.
    const ProgramRun plain = run_batch_program(
        {"--range", "9", "13", "--observed", dat, "--export-xy", "p.csv", "--json", "-", cif}, dir);
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_FALSE(has(JsonDocument(plain.out).root(), "agreement"));
    std::string header;
    EXPECT_EQ(csv_rows(read_text_file(dir / "p.csv"), header).size(), 1015u);
    EXPECT_EQ(header, "two_theta,calculated");

    const ProgramRun apart =
        run_batch_program({"--range", "20", "30", "--observed", dat, "--compare", "--scan", "1", cif}, dir);
    EXPECT_EQ(apart.status, 1);
    EXPECT_NE(apart.err.find("no_wavelength.dat: the calculated range (20.00-30.00°) does not overlap"),
              std::string::npos)
        << apart.err;
    EXPECT_EQ(run_batch_program({"--observed", dat, "--scan", "2", cif}, dir).status, 1);
    EXPECT_EQ(run_batch_program({"--fit", "zero", cif}, dir).status, 2);
}

// A plain-column file is recognised by its content and keeps its stated σ; --scan picks a scan
// of a multi-scan file.
TEST(BatchComparison, TodaysFormatsAtTheirOwnResolution)
{
    const fs::path dir = make_scratch_dir("batch_today");
    {
        std::ofstream out(dir / "scan.xye");
        for (int i = 0; i <= 400; ++i)
            out << 9 + i * 0.01 << " " << 100 + (i % 7) << " " << 10 + (i % 3) << "\n";
    }
    const std::string cif = fixture("cubic12.cif").string();
    const ProgramRun run = run_batch_program({"--range", "9", "13", "--observed", (dir / "scan.xye").string(),
                                              "--compare", "--json", "-", cif},
                                             dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const JsonDocument json(run.out);
    const sajson::value observed = member(json.root(), "observed").get_array_element(0);
    const sajson::value measured = member(observed, "measured");
    EXPECT_EQ(numbers(member(measured, "two_theta")).size(), 401u);
    EXPECT_EQ(numbers(member(measured, "sigma"))[2], 12);
    EXPECT_EQ(number(member(json.root(), "agreement").get_array_element(0), "points"), 401);
    EXPECT_EQ(run_batch_program({"--observed", (dir / "scan.xye").string(), "--scan", "2", cif}, dir).status, 1);

    if (!have_realdata())
        return;
    const std::string mesh = (realdata_dir() / "modern" / "xrdml" / "fairmat_m82762_mesh_101scans.xrdml").string();
    const ProgramRun third = run_batch_program({"--observed", mesh, "--scan", "3", "--json", "-", cif}, dir);
    ASSERT_EQ(third.status, 0) << third.err;
    const JsonDocument thirdJson(third.out);  // the values below point into it
    const sajson::value entry = member(thirdJson.root(), "observed").get_array_element(0);
    EXPECT_EQ(text(entry, "format"), "xrdml");
    EXPECT_EQ(number(entry, "scan"), 3);
    EXPECT_EQ(numbers(member(member(entry, "measured"), "intensity")).size(), 255u);
}

// The centroid of y − background over [low, high]: unlike the maximum it does not move when
// the Kα1 and Kα2 peaks are broader in one diagram than in the other.
double centroid(const std::vector<std::vector<double>>& rows, int column, double low, double high)
{
    double moment = 0, area = 0;
    for (const std::vector<double>& r : rows)
        if (r[0] >= low && r[0] <= high) {
            moment += (r[column] - r[3]) * r[0];
            area += r[column] - r[3];
        }
    return moment / area;
}

// Measured corundum against the sapphire structure with CuKα1/Kα2: after the zero fit the ten
// strongest reflections of the calculation fall within 0.02° of the measured peaks.
TEST(BatchComparison, CorundumPeaksAfterTheZeroFit)
{
    KALIDOS_REQUIRE_REALDATA();
    const fs::path dir = make_scratch_dir("batch_corundum");
    const ProgramRun run = run_batch_program(
        {"--mixture", "1.540598:1,1.544426:0.5", "--range", "20", "80", "--observed",
         (realdata_dir() / "rd" / "qarr_CORUNDUM.RD").string(), "--compare", "--fit", "zero", "--export-xy", "c.csv",
         "--json", "r.json", (realdata_dir() / "cif" / "amcsd_corundum_Sapphire.cif").string()},
        dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const JsonDocument json(read_text_file(dir / "r.json"));
    const sajson::value agreement = member(json.root(), "agreement").get_array_element(0);
    const double zero = number(agreement, "zero_shift");
    EXPECT_GT(number(agreement, "zero_shift_su"), 0);
    std::cout << "corundum: Rwp " << number(agreement, "rwp") << ", Rp " << number(agreement, "rp") << ", Rexp "
              << number(agreement, "rexp") << ", chi2 " << number(agreement, "chi2") << ", zero " << zero << "\n";
    std::string header;
    const auto rows = csv_rows(read_text_file(dir / "c.csv"), header);
    EXPECT_EQ(header, "two_theta,observed,calculated,background,difference,sigma_fit,sigma_obs");
    // The counts' σ of the figures, √max(y_obs, 1), gives the reported Rwp from the columns alone.
    double wrr = 0, wyy = 0;
    for (const std::vector<double>& row : rows) {
        ASSERT_EQ(row.size(), 7u);
        EXPECT_DOUBLE_EQ(row[6], std::sqrt(std::max(row[1], 1.0)));
        wrr += row[4] * row[4] / (row[6] * row[6]);
        wyy += row[1] * row[1] / (row[6] * row[6]);
    }
    EXPECT_NEAR(std::sqrt(wrr / wyy), number(agreement, "rwp"), 1e-9);
    struct Line {
        double twoTheta, d, intensity;
    };
    std::vector<Line> strongest;
    const sajson::value reflections = member(json.root(), "reflections");
    for (std::size_t i = 0; i < reflections.get_length(); ++i) {
        const sajson::value r = reflections.get_array_element(i);
        if (std::fabs(number(r, "lambda") - 1.540598) < 1e-6)
            strongest.push_back({number(r, "two_theta"), number(r, "d"), number(r, "intensity")});
    }
    std::sort(strongest.begin(), strongest.end(), [](const Line& a, const Line& b) { return a.intensity > b.intensity; });
    ASSERT_GE(strongest.size(), 10u);
    for (std::size_t k = 0; k < 10; ++k) {
        const double kAlpha1 = strongest[k].twoTheta + zero;
        const double kAlpha2 = 2 * std::asin(1.544426 / (2 * strongest[k].d)) * 180 / M_PI + zero;
        const double low = kAlpha1 - 0.25, high = kAlpha2 + 0.25;
        EXPECT_NEAR(centroid(rows, 1, low, high), centroid(rows, 2, low, high), 0.02) << strongest[k].twoTheta;
    }
}

// RAW4 files keep the .raw name of the older RAW files: every entry point tells them by content.
TEST(BatchComparison, Raw4FilesNamedRawAreReadOnEveryPath)
{
    KALIDOS_REQUIRE_REALDATA();
    const fs::path dir = make_scratch_dir("batch_raw4");
    int read = 0;
    for (const auto& entry : fs::directory_iterator(realdata_dir() / "modern" / "raw4")) {
        const std::string path = entry.path().string();
        // The window's "All diagram files" and its drops read a file of kind 0 by content.
        EXPECT_EQ(described_diagram_kind(path), 0) << path;
        const ProgramRun run = run_batch_program(
            {"--range", "20", "60", "--observed", path, "--json", "-", fixture("cubic12.cif").string()}, dir);
        ASSERT_EQ(run.status, 0) << path << ":\n" << run.err;
        EXPECT_EQ(text(member(JsonDocument(run.out).root(), "observed").get_array_element(0), "format"), "raw4");
        ++read;
    }
    EXPECT_GE(read, 2);
}

}  // namespace
}  // namespace kalidos::testing
