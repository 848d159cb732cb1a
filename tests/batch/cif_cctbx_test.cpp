// Every real CIF that loads gives, through kalidos-batch, the intensities cctbx computes from
// the same file (references made by tools/gen_cif_references.py --all and, for the files with
// anisotropic displacement, tools/gen_aniso_references.py, and committed).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "batch_program.hpp"
#include "support/paths.hpp"

namespace kalidos::testing {
namespace {

namespace fs = std::filesystem;

struct Peak {
    double d = 0;          // Å
    double intensity = 0;  // strongest = 100
};

struct Reference {
    double lambda = 0;
    double twoTheta1 = 0, twoTheta2 = 0;
    std::string unavailable;  // why cctbx gives no reference
    std::vector<Peak> peaks;
    std::vector<Peak> neutronPeaks;  // with the program's Fermi lengths on both sides
    std::string spaceGroup;          // a symbol to calculate with instead of the file's operators
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
        else if (key == "space_group")
            std::getline(fields >> std::ws, reference.spaceGroup);
        else if (key == "unavailable")
            std::getline(fields, reference.unavailable);
        else if (key == "peak" || key == "neutron_peak") {
            Peak peak;
            fields >> peak.d >> peak.intensity;
            (key == "peak" ? reference.peaks : reference.neutronPeaks).push_back(peak);
        }
    }
    return reference;
}

// Spacings this close count as equal. The program turns degrees into radians with its own
// constant (0.0174533167..., not pi/180), so a hexagonal cell's gamma is 120.00017 degrees for
// it and reflections of one peak differ in d by up to about 1e-5 relative. A cell slightly off
// its group's metric (cod_9008098: rhombohedral edges unequal by 2e-4 Å, angles by 0.002°) gives
// the reflections of one form spacings up to about 6e-5 apart, and each program lists the spacing
// of its own representative of the form.
constexpr double kEqualSpacing = 1e-4;

std::vector<Peak> batch_reflections(const sajson::value& root, const char* intensity)
{
    const sajson::value merged = member(root, "reflections");
    std::vector<Peak> reflections;
    for (std::size_t i = 0; i < merged.get_length(); ++i) {
        const sajson::value r = merged.get_array_element(i);
        reflections.push_back({number(r, "d"), number(r, intensity)});
    }
    return reflections;
}

// One peak as both programs see it: the reflections of both lists chained by equal spacing,
// so that a near coincidence falls into the same peak on both sides.
struct PeakPair {
    double d = 0;
    double ours = 0, theirs = 0;  // strongest peak of each side = 100
};

std::vector<PeakPair> pair_peaks(const std::vector<Peak>& ours, const std::vector<Peak>& theirs, bool absolute = false)
{
    std::vector<std::pair<Peak, bool>> all;  // bool: ours
    for (const Peak& p : ours)
        all.push_back({p, true});
    for (const Peak& p : theirs)
        all.push_back({p, false});
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first.d > b.first.d; });
    std::vector<PeakPair> pairs;
    double previous = 0;
    for (const auto& [peak, isOurs] : all) {
        if (pairs.empty() || previous - peak.d > kEqualSpacing * peak.d)
            pairs.push_back({peak.d});
        (isOurs ? pairs.back().ours : pairs.back().theirs) += peak.intensity;
        previous = peak.d;
    }
    if (absolute)
        return pairs;
    double strongestOurs = 0, strongestTheirs = 0;
    for (const PeakPair& p : pairs) {
        strongestOurs = std::max(strongestOurs, p.ours);
        strongestTheirs = std::max(strongestTheirs, p.theirs);
    }
    for (PeakPair& p : pairs) {
        p.ours *= 100 / strongestOurs;
        p.theirs *= 100 / strongestTheirs;
    }
    return pairs;
}

// Empty when every peak of 1% or more on either side agrees within 0.1%; absolute: intensities per
// cell, 1 % of the reference's strongest peak.
std::string compare_peaks(const std::vector<Peak>& ours, const std::vector<Peak>& theirs, bool absolute = false)
{
    std::ostringstream report;
    int faults = 0;
    double floor = 1;  // strongest = 100
    if (absolute)
        for (const Peak& p : theirs)
            floor = std::max(floor, p.intensity / 100);
    for (const PeakPair& p : pair_peaks(ours, theirs, absolute)) {
        if (std::max(p.ours, p.theirs) < floor || std::abs(p.ours - p.theirs) <= 1e-3 * p.theirs)
            continue;
        if (++faults <= 4)
            report << " d=" << p.d << " cctbx " << p.theirs << " ours " << p.ours << ";";
    }
    if (faults == 0)
        return {};
    return std::to_string(faults) + " peaks differ:" + report.str();
}

// The peaks kalidos-batch gives for `file` with the reference's wavelength and range; empty with
// a test failure when the run is refused.
std::vector<Peak> batch_peaks(const fs::path& file, const Reference& reference, bool neutrons, const fs::path& dir,
                              const std::vector<std::string>& options = {"--isotropic"},
                              const char* intensity = "intensity")
{
    std::ostringstream low, high, lambda;
    low << reference.twoTheta1;
    high << reference.twoTheta2;
    lambda << reference.lambda;
    std::vector<std::string> arguments{"--lambda", lambda.str(), "--range", low.str(), high.str(), "--json", "-"};
    if (neutrons)
        arguments.push_back("--neutron");
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.push_back(file.string());
    const ProgramRun run = run_batch_program(arguments, dir);
    EXPECT_EQ(run.status, 0) << file.filename() << (neutrons ? " (neutrons)" : "") << ":\n" << run.err;
    const JsonDocument json(run.out);
    if (run.status != 0 || !json.valid())
        return {};
    return batch_reflections(json.root(), intensity);
}

// X-rays with the program's rows for ions (O2-. on both sides), neutrons with its Fermi lengths on
// both sides; every file calculates with neutrons, even one cctbx cannot read. The references give
// every atom its isotropic B: the isotropic switch is the calculation they describe.
TEST(BatchCifVsCctbx, EveryLoadableCifAgreesOnPeaksOfOnePercentOrMore)
{
    KALIDOS_REQUIRE_REALDATA();
    const fs::path dir = make_scratch_dir("batch_cif_cctbx");
    const fs::path references = test_data_dir() / "batch" / "cif_references";
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(realdata_dir() / "cif"))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    int agreeing = 0, neutronAgreeing = 0;
    for (const fs::path& file : files) {
        const std::string name = file.filename().string();
        Reference reference = read_reference(references / ("cif_" + file.stem().string() + ".ref"));
        if (!reference.unavailable.empty() || reference.peaks.empty()) {
            std::cout << "  " << name << ": no cctbx reference:" << reference.unavailable << "\n";
            reference = {1.54056, 10, 80, "", {}, {}, ""};
            EXPECT_FALSE(batch_peaks(file, reference, true, dir).empty()) << name << ": no neutron peak";
            continue;
        }
        const std::string xrays = compare_peaks(batch_peaks(file, reference, false, dir), reference.peaks);
        EXPECT_EQ(xrays, "") << name;
        agreeing += xrays.empty() ? 1 : 0;
        const std::string neutrons = compare_peaks(batch_peaks(file, reference, true, dir), reference.neutronPeaks);
        EXPECT_EQ(neutrons, "") << name << " (neutrons)";
        neutronAgreeing += neutrons.empty() ? 1 : 0;
    }
    std::cout << "  " << agreeing << " CIF files agree with cctbx, " << neutronAgreeing << " with neutrons\n";
    EXPECT_GT(agreeing, 0);
    EXPECT_GT(neutronAgreeing, 0);
}

// The CIFs with an aniso loop, calculated by default (with their tensors) against cctbx's
// anisotropic direct summation (tools/gen_aniso_references.py).
TEST(BatchCifVsCctbx, AnisotropicDisplacementAgreesOnPeaksOfOnePercentOrMore)
{
    KALIDOS_REQUIRE_REALDATA();
    const fs::path dir = make_scratch_dir("batch_cif_aniso");
    const fs::path references = test_data_dir() / "batch" / "cif_aniso_references";
    int agreeing = 0;
    for (const auto& entry : fs::directory_iterator(references)) {
        const Reference reference = read_reference(entry.path());
        const std::string name = entry.path().stem().string().substr(4) + ".cif";  // cif_<stem>.ref
        if (!reference.unavailable.empty())
            continue;
        const std::string difference =
            compare_peaks(batch_peaks(realdata_dir() / "cif" / name, reference, false, dir, {}), reference.peaks);
        EXPECT_EQ(difference, "") << name;
        agreeing += difference.empty() ? 1 : 0;
    }
    std::cout << "  " << agreeing << " CIF files with tensors agree with cctbx\n";
    EXPECT_GE(agreeing, 12);
}

// kalidos-batch's absolute intensities (m |F|² LP per cell, the basis of the mixture scales) of the
// reflections of each spacing, with the file's tensors, against cctbx's (tools/gen_cif_references.py
// --absolute): every lattice centring, operators from the file and from a symbol.
TEST(BatchCifVsCctbx, AbsoluteIntensitiesPerCellAgreeForEveryCentring)
{
    KALIDOS_REQUIRE_REALDATA();
    const fs::path dir = make_scratch_dir("batch_cif_absolute");
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(test_data_dir() / "batch" / "cif_absolute_references")) {
        const Reference reference = read_reference(entry.path());
        const fs::path file = realdata_dir() / "cif" / (entry.path().stem().string().substr(4) + ".cif");
        std::vector<std::vector<std::string>> runs{{"--fractions", "1"}};
        if (!reference.spaceGroup.empty())
            runs.push_back({"--fractions", "1", "--space-group", reference.spaceGroup});
        for (const auto& options : runs) {
            const std::string difference =
                compare_peaks(batch_peaks(file, reference, false, dir, options, "absolute_intensity"), reference.peaks, true);
            EXPECT_EQ(difference, "") << file.filename() << (options.size() > 2 ? " with " + options.back() : "");
            ++compared;
        }
    }
    EXPECT_GE(compared, 17);
}

}  // namespace
}  // namespace kalidos::testing
