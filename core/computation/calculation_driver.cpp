#include "computation/calculation_driver.hpp"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <unordered_map>

#include "computation/intensity_pass.hpp"
#include "computation/listing_header.hpp"
#include "computation/profile.hpp"
#include "computation/reflection_generation.hpp"
#include "computation/site_multiplicity.hpp"

namespace kalidos {
namespace {

constexpr double kTwoPi = 6.283185307179586;

bool refuse(Messages& messages, const char* text)
{
    beep_and_warn(messages, text);
    return false;
}

bool all_populations_zero(const StructureModel& m)
{
    for (int n = 1; n <= m.atomCount; ++n)
        if (m.atomPopulation[n] != 0)
            return false;
    return true;
}

bool use_typed_wavelength(StructureModel& m, Messages& messages)
{
    WavelengthSet& set = m.wavelengths;
    if (set.count > 0)
        return true;
    if (m.typedWavelength == 0) {
        messages.warning("Lambda not defined!");
        return false;
    }
    set.values[1] = m.typedWavelength;
    set.weights[1] = 1.0;
    set.count = 1;
    set.current = set.shortest = set.longest = m.typedWavelength;
    return true;
}

// More than four wavelengths can exceed the 40000 merged records: count them before the run.
bool merged_records_fit(Workspace& ws, Messages& messages)
{
    StructureModel& m = ws.model;
    if (m.wavelengths.count * kMaxReflections <= kMergedCapacity)
        return true;
    StructureModel scratch = m;
    auto list = std::make_unique<CountedTable<Reflection>>(kReflectionCapacity);
    long long total = 0;
    for (int w = 1; w <= m.wavelengths.count; ++w) {
        scratch.wavelengths.current = m.wavelengths.values[w];
        if (generate_reflections(scratch, *list, messages))
            total += list->count;
    }
    if (total <= kMergedCapacity)
        return true;
    return refuse(messages, "Too many reflections for all the wavelengths (more than 40000). Decrease the theta "
                            "range or the number of wavelengths");
}

// PeakTable entries are matched by (h k l): wavelengths whose lists differ still add up the same
// reflection.
bool add_to_peak_table(CalculationResults& res, std::unordered_map<long long, int>& entries, Messages& messages)
{
    for (const Reflection& r : res.reflections) {
        const long long key = (static_cast<long long>(r.h) * 4096 + r.k) * 4096 + r.l;
        auto [found, added] = entries.emplace(key, res.peaks.count + 1);
        if (added) {
            if (res.peaks.count == res.peaks.capacity())
                return refuse(messages, kTooManyReflections);
            PeakEntry& p = res.peaks[++res.peaks.count];
            p = PeakEntry{r.h, r.k, r.l, kTwoPi / r.d, 0.0};
        }
        PeakEntry& p = res.peaks[found->second];
        p.intensity += r.intensity;
        res.largestPeakSum = std::max(res.largestPeakSum, p.intensity);
    }
    return true;
}

void merge_pass(CalculationResults& res, double weight, double lambda)
{
    for (const Reflection& r : res.reflections) {
        if (res.merged.count == res.merged.capacity())
            break;  // cannot happen: the run was refused beforehand
        Reflection& copy = res.merged[++res.merged.count];
        copy = r;
        copy.intensity *= weight;
        copy.lambda = lambda;
    }
    std::stable_sort(res.merged.begin(), res.merged.end(),
                     [](const Reflection& a, const Reflection& b) { return a.twoTheta < b.twoTheta; });
}

// Closes the listings; the text of in-memory ones is kept in the workspace.
bool end_listings(Workspace& ws, CalculationRun& run)
{
    const bool good = close_listings(run.files);
    if (ws.model.scratchInMemory)
        std::tie(ws.detailedListing, ws.briefListing) = listing_texts(run.files);
    return good;
}

// The listings in the start directory, or in memory for a self-contained run.
bool begin_listings(Workspace& ws, CalculationRun& run)
{
    ws.detailedListing.clear();
    ws.briefListing.clear();
    if (!ws.model.scratchInMemory)
        return open_listings(run.files, ws.model.startDirectory);
    open_listings_in_memory(run.files);
    run.files.skipped = !ws.listingsWanted;
    return true;
}

void write_summary(const Workspace& ws, std::ostream& out)
{
    out << "\nSUMMARY\n\n";
    for (const std::string& line : ws.results.resultsList)
        out << line << '\n';
}

// Steps after the passes: profile, results list, summary, closing, diagram.
void finish_run(Workspace& ws, CalculationHost& host, CalculationRun& run, Messages& messages)
{
    host.set_busy(false);
    if (synthesise_profile(ws, host, messages))
        host.results_list_changed();
    if (ws.model.wavelengths.count > 1 && !run.files.skipped)
        write_summary(ws, run.files.brief);
    if (!end_listings(ws, run))
        beep_and_warn(messages, "Error while writing the listings fstr.out and fstr2.out");
    host.show_diagram();
    messages.beep();
}

bool run_passes(Workspace& ws, CalculationRun& run, Messages& messages)
{
    StructureModel& m = ws.model;
    CalculationResults& res = ws.results;
    res.passIndex = 0;
    res.largestPeakSum = 0;
    std::unordered_map<long long, int> peakEntries;
    for (int w = 1; w <= m.wavelengths.count; ++w) {
        m.wavelengths.current = m.wavelengths.values[w];
        res.passIndex = w;
        if (!run_wavelength_pass(ws, run, messages) || !add_to_peak_table(res, peakEntries, messages))
            return false;
        if (!listings_good(run.files))
            return refuse(messages, "Error while writing the listings fstr.out and fstr2.out");
        merge_pass(res, m.wavelengths.weights[w], m.wavelengths.current);
    }
    return true;
}

}  // namespace

void clear_results(Workspace& workspace, CalculationHost& host)
{
    workspace.results.resultsList.clear();
    host.clear_displayed_results();
}

void normalise_observed_scan(Workspace& workspace)
{
    RawScan& scan = workspace.rawScan;
    const int points = std::min(scan.pointCount, scan.angle.capacity());
    double largest = 0;
    for (int i = 1; i <= points; ++i)
        if (scan.angle[i] >= workspace.model.twoTheta1 && scan.angle[i] <= workspace.model.twoTheta2)
            largest = std::max(largest, static_cast<double>(scan.intensity[i]));
    if (!(largest > 0))
        return;  // nothing in range to scale by
    const double factor = 100 / largest;
    for (int i = 1; i <= points; ++i)
        scan.intensity[i] = static_cast<float>(scan.intensity[i] * factor);
}

bool validate_calculation_input(Workspace& workspace, CalculationHost& host, Messages& messages)
{
    if (!host.read_entries())
        return false;
    StructureModel& m = workspace.model;
    const CellParameters& c = m.cell;
    if (m.crystalSystem.empty())
        return refuse(messages, "The system is not defined");
    if (m.spaceGroupSymbol.empty())
        return refuse(messages, "The space_group is not defined");
    if (c.a * c.b * c.c * c.alpha * c.beta * c.gamma == 0)
        return refuse(messages, "Cell parameters error!");
    if (m.twoTheta2 == 0 || m.twoTheta1 >= m.twoTheta2)
        return refuse(messages, "Theta range not defined");
    if (m.twoTheta1 == 0)
        m.twoTheta1 = 1.0;
    m.twoThetaWidth = m.twoTheta2 - m.twoTheta1;
    if (m.atomCount == 0)
        return refuse(messages, "No atom in the asymetric unit!");
    if (m.wavelengths.values[1] == 0)
        return refuse(messages, "No wavelength!");
    if (m.operatorCount == 0)
        return refuse(messages, "No symmetry operator: choose the space group again!");
    if (all_populations_zero(m))
        return refuse(messages, "Every site population is 0!");
    return true;
}

bool run_wavelength_pass(Workspace& workspace, CalculationRun& run, Messages& messages)
{
    StructureModel& m = workspace.model;
    const bool neutrons = m.radiation == kNeutrons;
    if (workspace.results.passIndex == 1) {
        compute_site_multiplicities(m, workspace.results);
        if (!run.files.skipped)
            write_detailed_header(workspace, run.files.detailed);
        run.engine.reset();
    }
    if (!run.engine)
        run.engine = std::make_unique<StructureFactorEngine>(
            m, neutrons ? StructureFactorEngine::Grouping::OneFermiWeighted : StructureFactorEngine::Grouping::ByElement);
    return neutrons ? neutron_pass(workspace, run.files, *run.engine, messages)
                    : xray_pass(workspace, run.files, *run.engine, messages);
}

void recalcule(Workspace& workspace, CalculationHost& host, Messages& messages)
{
    StructureModel& m = workspace.model;
    CalculationResults& res = workspace.results;
    m.enteredTwoTheta1 = m.twoTheta1;
    m.enteredTwoTheta2 = m.twoTheta2;
    if (!workspace.rawScan.fileName.empty())
        normalise_observed_scan(workspace);
    if (!validate_calculation_input(workspace, host, messages))
        return;
    host.set_busy(true);
    res.merged.count = 0;
    workspace.agreements.clear();  // they compared the previous calculation
    CalculationRun run;
    if (!begin_listings(workspace, run)) {
        host.set_busy(false);
        close_listings(run.files);
        beep_and_warn(messages, "Cannot create the listings fstr.out and fstr2.out in " + m.startDirectory);
        return;
    }
    res.peaks.count = 0;
    if (!use_typed_wavelength(m, messages) || !merged_records_fit(workspace, messages) ||
        !run_passes(workspace, run, messages)) {
        end_listings(workspace, run);
        host.set_busy(false);
        return;
    }
    finish_run(workspace, host, run, messages);
}

}  // namespace kalidos
