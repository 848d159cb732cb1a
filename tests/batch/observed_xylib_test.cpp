// Measured diagrams read through --observed give the points xylib reads from the same files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <sstream>

#include "batch_program.hpp"
#include "support/paths.hpp"

#ifdef KALIDOS_HAVE_XYLIB
#include <xylib/xylib.h>
#endif

namespace kalidos::testing {
namespace {

namespace fs = std::filesystem;

// Files our readers read differently from xylib, on purpose; the reason is printed.
const std::map<std::string, std::string> kKnownDifferences = {
};

struct Scan {
    std::vector<double> x, y;
};

#ifdef KALIDOS_HAVE_XYLIB
// The first block of the file as xylib reads it (our readers read only a file's first range).
std::optional<Scan> xylib_scan(const fs::path& path)
{
    try {
        std::unique_ptr<xylib::DataSet> data(xylib::load_file(path.string()));
        if (!data || data->get_block_count() < 1)
            return std::nullopt;
        const xylib::Block* block = data->get_block(0);
        Scan scan;
        for (int i = 0; i < block->get_point_count(); ++i) {
            scan.x.push_back(block->get_column(1).get_value(i));
            scan.y.push_back(block->get_column(2).get_value(i));
        }
        return scan;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
#endif

std::vector<fs::path> diagram_files()
{
    std::vector<fs::path> files;
    for (const char* folder : {"raw", "rd", "cpi", "rietveld_dat"})
        for (const auto& entry : fs::directory_iterator(realdata_dir() / folder))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string number_text(double x)
{
    std::ostringstream out;
    out.precision(10);
    out << x;
    return out.str();
}

// Every picked point must be a point of xylib's scan, scaled to 0..100 as the readers scale,
// in increasing order, from the first to the last point of the scan.
std::string compare_with_xylib(const sajson::value& observed, const Scan& scan)
{
    const std::vector<double> angles = numbers(member(observed, "two_theta"));
    const std::vector<double> intensities = numbers(member(observed, "intensity"));
    const auto [low, high] = std::minmax_element(scan.y.begin(), scan.y.end());
    const double scale = 100.0 / (*high - *low);
    std::size_t j = 0;
    for (std::size_t g = 0; g < angles.size(); ++g) {
        while (j < scan.x.size() && scan.x[j] < angles[g] - 2e-4)
            ++j;
        if (j == scan.x.size() || std::abs(scan.x[j] - angles[g]) > 2e-4)
            return "point " + std::to_string(g + 1) + " at 2theta " + number_text(angles[g]) + " is not on xylib's scan";
        const double expected = (scan.y[j] - *low) * scale;
        // xylib cuts the counts of a Philips file, (v/10)^2, to whole numbers; the readers keep
        // them whole: up to one count of difference is that cut.
        if (std::abs(expected - intensities[g]) > 1e-4 * expected + scale)
            return "point " + std::to_string(g + 1) + " at 2theta " + number_text(angles[g]) + ": intensity " +
                   number_text(intensities[g]) + ", xylib " + number_text(expected);
    }
    if (angles.size() != 1015)
        return std::to_string(angles.size()) + " points instead of 1015";
    if (std::abs(angles.front() - scan.x.front()) > 2e-4 || std::abs(angles.back() - scan.x.back()) > 2e-4)
        return "the picked points do not run from the first to the last point of the scan";
    return {};
}

TEST(BatchObservedVsXylib, EveryAcceptedDiagramGivesXylibsPoints)
{
    KALIDOS_REQUIRE_REALDATA();
#ifndef KALIDOS_HAVE_XYLIB
    GTEST_SKIP() << "skipped: xylib not found at build time";
#else
    const fs::path dir = make_scratch_dir("batch_observed");
    const fs::path structure = test_data_dir() / "batch" / "cubic12.cif";
    int compared = 0;
    for (const fs::path& file : diagram_files()) {
        const std::string name = file.filename().string();
        const std::optional<Scan> scan = xylib_scan(file);
        if (!scan || scan->x.size() < 2) {
            std::cout << "  " << name << ": xylib does not read it\n";
            continue;
        }
        const double first = std::min(scan->x.front(), scan->x.back());
        const double last = std::max(scan->x.front(), scan->x.back());
        const ProgramRun run = run_batch_program({"--range", number_text(first - 1e-3), number_text(last + 1e-3),
                                                  "--observed", file.string(), "--json", "-", structure.string()},
                                                 dir);
        const JsonDocument json(run.out);
        ASSERT_TRUE(json.valid()) << name << ": " << json.error() << "\n" << run.err;
        const sajson::value observed = member(json.root(), "observed");
        if (observed.get_length() == 0) {
            std::cout << "  " << name << ": not accepted by our readers: " << run.err;
            continue;
        }
        const std::string difference = compare_with_xylib(observed.get_array_element(0), *scan);
        const auto known = kKnownDifferences.find(name);
        if (known != kKnownDifferences.end()) {
            EXPECT_NE(difference, "") << name << " now agrees with xylib: take it off the list of differences";
            std::cout << "  " << name << ": differs as expected: " << known->second << "\n";
            continue;
        }
        EXPECT_EQ(difference, "") << name;
        ++compared;
    }
    std::cout << "  " << compared << " diagrams agree with xylib\n";
    EXPECT_GT(compared, 0);
#endif
}

}  // namespace
}  // namespace kalidos::testing
