// Every real CIF that loads gives, through kalidos-batch, the intensities cctbx computes from
// the same file (references made by tools/gen_cif_references.py and committed).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include "batch_program.hpp"
#include "support/paths.hpp"

namespace kalidos::testing {
namespace {

namespace fs = std::filesystem;

// Files whose first structure block is read on purpose differently from cctbx's reading.
const std::map<std::string, std::string> kKnownDifferences = {
};

// Files our CIF reader refuses, and why.
const std::map<std::string, std::string> kNotLoading = {
};

struct Peak {
    double d = 0;          // Å
    double intensity = 0;  // strongest = 100
};

struct Reference {
    double lambda = 0;
    double twoTheta1 = 0, twoTheta2 = 0;
    std::string unavailable;  // why cctbx gives no reference
    std::vector<Peak> peaks;
};

Reference read_reference(const fs::path& path)
{
    Reference reference;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key == "lambda")
            fields >> reference.lambda;
        else if (key == "range")
            fields >> reference.twoTheta1 >> reference.twoTheta2;
        else if (key == "unavailable")
            std::getline(fields, reference.unavailable);
        else if (key == "peak") {
            Peak peak;
            fields >> peak.d >> peak.intensity;
            reference.peaks.push_back(peak);
        }
    }
    return reference;
}

// Reflections of equal spacing (within 1e-6 relative) summed, the strongest scaled to 100.
std::vector<Peak> summed_peaks(std::vector<Peak> reflections)
{
    std::sort(reflections.begin(), reflections.end(), [](const Peak& a, const Peak& b) { return a.d > b.d; });
    std::vector<Peak> peaks;
    for (const Peak& r : reflections) {
        if (!peaks.empty() && std::abs(peaks.back().d - r.d) <= 1e-6 * r.d)
            peaks.back().intensity += r.intensity;
        else
            peaks.push_back(r);
    }
    double strongest = 0;
    for (const Peak& p : peaks)
        strongest = std::max(strongest, p.intensity);
    for (Peak& p : peaks)
        p.intensity *= 100 / strongest;
    return peaks;
}

std::vector<Peak> batch_peaks(const sajson::value& root)
{
    const sajson::value merged = member(root, "reflections");
    std::vector<Peak> reflections;
    for (std::size_t i = 0; i < merged.get_length(); ++i) {
        const sajson::value r = merged.get_array_element(i);
        reflections.push_back({number(r, "d"), number(r, "intensity")});
    }
    return summed_peaks(reflections);
}

const Peak* find_peak(const std::vector<Peak>& peaks, double d)
{
    for (const Peak& p : peaks)
        if (std::abs(p.d - d) <= 1e-5 * d)
            return &p;
    return nullptr;
}

// Empty when every peak of 1% or more in either list agrees within 0.1%.
std::string compare_peaks(const std::vector<Peak>& ours, const std::vector<Peak>& theirs)
{
    std::ostringstream report;
    int faults = 0;
    for (const Peak& r : theirs) {
        if (r.intensity < 1)
            continue;
        const Peak* p = find_peak(ours, r.d);
        if (!p || std::abs(p->intensity - r.intensity) > 1e-3 * r.intensity) {
            if (++faults <= 5)
                report << " d=" << r.d << " cctbx " << r.intensity << " ours " << (p ? p->intensity : 0.0) << ";";
        }
    }
    for (const Peak& p : ours)
        if (p.intensity >= 1 && !find_peak(theirs, p.d) && ++faults <= 5)
            report << " d=" << p.d << " ours " << p.intensity << " absent from cctbx;";
    if (faults == 0)
        return {};
    return std::to_string(faults) + " peaks differ:" + report.str();
}

TEST(BatchCifVsCctbx, EveryLoadableCifAgreesOnPeaksOfOnePercentOrMore)
{
    KALIDOS_REQUIRE_REALDATA();
    const fs::path dir = make_scratch_dir("batch_cif_cctbx");
    const fs::path references = test_data_dir() / "batch" / "cif_references";
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(realdata_dir() / "cif"))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    int agreeing = 0;
    for (const fs::path& file : files) {
        const std::string name = file.filename().string();
        const Reference reference = read_reference(references / (file.stem().string() + ".ref"));
        if (!reference.unavailable.empty() || reference.peaks.empty()) {
            std::cout << "  " << name << ": no cctbx reference:" << reference.unavailable << "\n";
            continue;
        }
        std::ostringstream low, high, lambda;
        low << reference.twoTheta1;
        high << reference.twoTheta2;
        lambda << reference.lambda;
        const ProgramRun run =
            run_batch_program({"--lambda", lambda.str(), "--range", low.str(), high.str(), "--json", "-", file.string()}, dir);
        const auto refused = kNotLoading.find(name);
        if (refused != kNotLoading.end()) {
            EXPECT_NE(run.status, 0) << name << " now loads: take it off the list of refused files";
            std::cout << "  " << name << ": refused as expected: " << refused->second << "\n";
            continue;
        }
        ASSERT_EQ(run.status, 0) << name << ":\n" << run.err;
        const JsonDocument json(run.out);
        ASSERT_TRUE(json.valid()) << name << ": " << json.error();
        const std::string difference = compare_peaks(batch_peaks(json.root()), reference.peaks);
        const auto known = kKnownDifferences.find(name);
        if (known != kKnownDifferences.end()) {
            EXPECT_NE(difference, "") << name << " now agrees with cctbx: take it off the list of differences";
            std::cout << "  " << name << ": differs as expected (" << known->second << "): " << difference << "\n";
            continue;
        }
        EXPECT_EQ(difference, "") << name;
        agreeing += difference.empty() ? 1 : 0;
    }
    std::cout << "  " << agreeing << " CIF files agree with cctbx\n";
    EXPECT_GT(agreeing, 0);
}

}  // namespace
}  // namespace kalidos::testing
