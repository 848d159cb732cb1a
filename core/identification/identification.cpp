#include "identification/identification.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

#include "computation/parallel_for.hpp"
#include "identification/structure_calculation.hpp"
#include "model/wavelength_set.hpp"
#include "ui/messages.hpp"  // for SilentMessages

namespace kalidos {
namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
// A candidate becomes a phase when it lowers the fitted Rwp by at least this share and its fitted
// fraction is this many standard uncertainties above 0.
constexpr double kLeastGain = 0.01;
constexpr double kLeastSignificance = 3;
// Only candidates within this share of the round's best figure of merit are fitted: the fit costs
// a calculation and tens of profile evaluations over the whole diagram.
constexpr double kCheckedShare = 0.1;
// Nor is a candidate of which less than half the pattern is found among the peaks, or whose figure
// of merit is below this (chance coincidences of large cells score 1 to 3).
constexpr double kLeastCoverage = 0.5;
constexpr double kLeastScore = 5;
constexpr double kSameCell = 0.01;
// A peak whose height the phases found reach for at least this share counts as explained (what
// is left of it is the misfit of their profile, not another phase).
constexpr double kExplainedShare = 0.5;

// The candidates' phases, calculated once each for the diagram's experiment.
class PhaseCache {
public:
    PhaseCache(const std::vector<LibraryEntry>& entries, StructureModel experiment, std::filesystem::path data)
        : entries_(entries), experiment_(std::move(experiment)), data_(std::move(data))
    {
    }
    const MixturePhase* phase(std::size_t entry)
    {
        const auto found = phases_.find(entry);
        if (found != phases_.end())
            return found->second.get();
        const LibraryEntry& e = entries_[entry];
        SilentMessages silent;
        std::unique_ptr<MixturePhase> phase;
        try {
            const auto workspace = calculate_structure_block(e.file, e.block, experiment_, data_, silent);
            std::string why;
            phase = std::make_unique<MixturePhase>();
            if (!workspace || !make_mixture_phase(*workspace, std::filesystem::path(e.file).filename().string(), 1,
                                                  *phase, why))
                phase.reset();
        } catch (const std::exception&) {
            phase.reset();
        }
        return (phases_[entry] = std::move(phase)).get();
    }

private:
    const std::vector<LibraryEntry>& entries_;
    StructureModel experiment_;
    std::filesystem::path data_;
    std::map<std::size_t, std::unique_ptr<MixturePhase>> phases_;
};

struct Round {
    std::vector<std::size_t> found;  // entries
    std::vector<MixturePhase> phases;
    PhaseFit fit;
    double rwp = std::numeric_limits<double>::infinity();
};

// The mixture fit of `phases`: scales, background and zero shift, with the crystallite sizes when
// `sizes` (candidates are compared without them: a wrong candidate's size can wander for the whole
// 50 cycles, each evaluating its profile over the diagram several times).
bool fit(const MeasuredScan& scan, const MatchContext& context, const std::vector<MixturePhase>& phases,
         const IdentifySettings& settings, bool sizes, PhaseFit& result)
{
    PhaseFitSettings fitSettings;
    fitSettings.backgroundOrder = settings.backgroundOrder;
    fitSettings.fitZeroShift = true;
    fitSettings.fitSize = sizes;
    return fit_phases(scan, context.low, context.high, phases, fitSettings, result).empty();
}

// Each fitted candidate with the phases found so far; the best is returned with its fit.
void check_candidates(const MeasuredScan& scan, const MatchContext& context, std::vector<Candidate>& ranked,
                      PhaseCache& cache, const Round& round, const IdentifySettings& settings)
{
    std::size_t checked = std::min<std::size_t>(static_cast<std::size_t>(settings.checked), ranked.size());
    while (checked > 1 && ranked[checked - 1].figure.score < kCheckedShare * ranked.front().figure.score)
        --checked;
    for (std::size_t i = 0; i < checked; ++i) {
        Candidate& c = ranked[i];
        const bool likely = c.figure.coverage >= kLeastCoverage && c.figure.score >= kLeastScore;
        const MixturePhase* phase = likely ? cache.phase(c.entry) : nullptr;
        if (phase == nullptr)
            continue;
        std::vector<MixturePhase> phases = round.phases;
        phases.push_back(*phase);
        PhaseFit result;
        if (!fit(scan, context, phases, settings, false, result) || !result.phases.back().contributes)
            continue;
        c.rwp = result.agreement.rwp;
        c.fraction = result.phases.back().fraction.value;
        c.fractionSu = result.phases.back().fraction.su;
    }
    std::stable_sort(ranked.begin(), ranked.begin() + static_cast<long>(checked),
                     [](const Candidate& a, const Candidate& b) { return a.rwp < b.rwp; });
}

std::vector<std::size_t> found_and_alike(const std::vector<LibraryEntry>& entries, const std::vector<std::size_t>& found)
{
    std::vector<std::size_t> excluded;
    for (std::size_t i = 0; i < entries.size(); ++i)
        for (const std::size_t f : found)
            if (i == f || same_phase(entries[i], entries[f])) {
                excluded.push_back(i);
                break;
            }
    return excluded;
}

bool significant(const Candidate& c, double rwpBefore)
{
    return c.checked() && c.rwp < rwpBefore * (1 - kLeastGain) && c.fraction > kLeastSignificance * c.fractionSu;
}

// The heights of the peaks the fitted phases leave unexplained.
void update_unexplained(MatchContext& context, const PhaseFit& fitted)
{
    const AgreementCurves& curves = fitted.agreement.curves;
    for (std::size_t p = 0; p < context.peaks.size(); ++p) {
        const auto at = std::lower_bound(curves.twoTheta.begin(), curves.twoTheta.end(), context.peaks[p].twoTheta);
        if (at == curves.twoTheta.end())
            continue;
        const std::size_t i = static_cast<std::size_t>(at - curves.twoTheta.begin());
        double reached = 0;
        for (const std::vector<double>& curve : fitted.phaseCurves)
            reached += i < curve.size() ? curve[i] : 0;
        const double height = context.peaks[p].height;
        context.unexplained[p] = reached >= kExplainedShare * height ? 0 : height - reached;
    }
}

// The strong peaks left unexplained, by height.
std::vector<FoundPeak> strong_unexplained(const MatchContext& context)
{
    double strongest = 0;
    for (const FoundPeak& p : context.peaks)
        strongest = std::max(strongest, p.height);
    std::vector<std::pair<double, std::size_t>> left;
    for (std::size_t p = 0; p < context.peaks.size(); ++p)
        if (context.unexplained[p] > 0 && context.peaks[p].height >= 0.1 * strongest)
            left.emplace_back(context.unexplained[p], p);
    std::sort(left.begin(), left.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<FoundPeak> peaks;
    for (std::size_t i = 0; i < left.size() && i < kMaxUnexplainedListed; ++i)
        peaks.push_back(context.peaks[left[i].second]);
    return peaks;
}

std::string fixed(double value, int decimals)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// "No phase found: ... unexplained; the nearest entry is ..."
void tell_unexplained(const std::vector<LibraryEntry>& entries, Identification& result)
{
    if (result.unexplained.empty())
        return;
    std::string peaks;
    for (const FoundPeak& p : result.unexplained)
        peaks += (peaks.empty() ? "" : ", ") + fixed(p.twoTheta, 2) + "° (d " + fixed(p.d, 4) + " Å)";
    const std::string head = result.phases.empty() ? "No phase of the library explains the diagram: "
                                                   : "The phases found leave strong peaks unexplained: ";
    result.notes.push_back(head + "nothing explains the peaks at 2θ " + peaks);
    if (!result.phases.empty() || result.candidates.empty())
        return;
    const Candidate& nearest = result.candidates.front();
    const LibraryEntry& e = entries[nearest.entry];
    std::string figures = "score " + fixed(nearest.figure.score, 1) + ", " +
                          fixed(100 * nearest.figure.coverage, 0) + " % of its pattern found";
    if (nearest.checked())
        figures += ", Rwp " + fixed(100 * nearest.rwp, 2) + " % when fitted";
    result.notes.push_back("The nearest entry is " + std::filesystem::path(e.file).filename().string() + " (" +
                           e.formula + ", " + e.group + "): " + figures + ", too little to call it a phase");
}

}  // namespace

bool same_phase(const LibraryEntry& a, const LibraryEntry& b)
{
    if (a.formula != b.formula || a.group != b.group)
        return false;
    for (int i = 0; i < 3; ++i)
        if (std::fabs(a.cell[i] - b.cell[i]) > kSameCell * b.cell[i])
            return false;
    return true;
}

StructureModel diagram_experiment(const MeasuredWavelengths& w, double low, double high, const Resolution& resolution)
{
    StructureModel model;
    model.radiation = kXrays;
    model.xraySource = kTubeSource;
    set_single_wavelength(model, w.lambda1);
    if (w.lambda2 > 0 && w.ratio > 0) {
        model.wavelengths.values[2] = w.lambda2;
        model.wavelengths.weights[2] = w.ratio;
        model.wavelengths.count = 2;
        update_wavelength_extremes(model.wavelengths);
    }
    model.twoTheta1 = model.enteredTwoTheta1 = low;
    model.twoTheta2 = model.enteredTwoTheta2 = high;
    model.twoThetaWidth = high - low;
    const auto q = [&](double twoTheta) { return kFourPi * std::sin(twoTheta / 2 / kDegreesPerRadian) / w.lambda1; };
    model.q1 = model.enteredQ1 = q(low);
    model.q2 = model.enteredQ2 = q(high);
    model.u = resolution.u;
    model.v = resolution.v;
    model.w = resolution.w;
    return model;
}

std::vector<Candidate> rank_candidates(const std::vector<LibraryEntry>& entries, const MatchContext& context,
                                       const ElementFilter& filter, std::size_t kept,
                                       const std::vector<std::size_t>& excluded)
{
    std::vector<bool> skipped(entries.size(), false);
    for (const std::size_t i : excluded)
        skipped[i] = true;
    std::vector<Candidate> scored(entries.size());
    parallel_for(static_cast<int>(entries.size()), [&](int begin, int end) {
        for (std::size_t i = static_cast<std::size_t>(begin); i < static_cast<std::size_t>(end); ++i) {
            scored[i].entry = i;
            if (!skipped[i] && filter.accepts(entries[i].elements))
                scored[i].figure = score_candidate(entries[i], context);
        }
    });
    std::vector<Candidate> all;
    for (Candidate& c : scored)
        if (c.figure.score > 0)
            all.push_back(std::move(c));
    std::stable_sort(all.begin(), all.end(),
                     [](const Candidate& a, const Candidate& b) { return a.figure.score > b.figure.score; });
    // Copies of one phase join the best scoring one: the list names each phase once.
    std::vector<Candidate> ranked;
    for (Candidate& c : all) {
        const auto copy = std::find_if(ranked.begin(), ranked.end(), [&](const Candidate& r) {
            return same_phase(entries[c.entry], entries[r.entry]);
        });
        if (copy != ranked.end())
            copy->alike.push_back(c.entry);
        else if (ranked.size() < kept)
            ranked.push_back(std::move(c));
    }
    return ranked;
}

Identification identify_phases(const MeasuredScan& scan, const MeasuredWavelengths& wavelengths,
                               const std::vector<LibraryEntry>& entries, const IdentifySettings& settings,
                               const std::filesystem::path& dataDirectory)
{
    Identification result;
    PeakSearchSettings peakSettings{settings.sensitivity, wavelengths};
    result.search = find_peaks(scan, peakSettings);
    MatchContext context = match_context(result.search, wavelengths.lambda1);
    if (context.peaks.empty() || !(wavelengths.lambda1 > 0))
        return result;
    const Resolution resolution = estimate_resolution(result.search, wavelengths);
    PhaseCache cache(entries, diagram_experiment(wavelengths, context.low, context.high, resolution), dataDirectory);
    Round round;
    const std::size_t kept = static_cast<std::size_t>(std::max(settings.listed, settings.checked));
    for (int found = 0; found < std::min(settings.maxPhases, kMaxPhases); ++found) {
        std::vector<Candidate> ranked =
            rank_candidates(entries, context, settings.elements, kept, found_and_alike(entries, round.found));
        check_candidates(scan, context, ranked, cache, round, settings);
        if (found == 0) {
            result.candidates = ranked;
            result.candidates.resize(std::min(result.candidates.size(), static_cast<std::size_t>(settings.listed)));
        }
        if (ranked.empty() || !significant(ranked.front(), round.rwp))
            break;
        round.found.push_back(ranked.front().entry);
        round.phases.push_back(*cache.phase(ranked.front().entry));
        round.rwp = ranked.front().rwp;
        fit(scan, context, round.phases, settings, true, round.fit);
        update_unexplained(context, round.fit);
    }
    for (std::size_t p = 0; p < round.found.size(); ++p)
        result.phases.push_back({round.found[p], round.fit.phases[p].fraction.value, round.phases[p]});
    std::stable_sort(result.phases.begin(), result.phases.end(),
                     [](const FoundPhase& a, const FoundPhase& b) { return a.fraction > b.fraction; });
    result.fit = std::move(round.fit);
    result.unexplained = strong_unexplained(context);
    tell_unexplained(entries, result);
    return result;
}

}  // namespace kalidos
