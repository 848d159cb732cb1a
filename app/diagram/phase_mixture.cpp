#include "diagram/phase_mixture.hpp"

#include "drawing/diagram_geometry.hpp"  // for reflection_abscissa
#include "indexing/cell_structure.hpp"      // for cell_reflections
#include "computation/cell_metric.hpp"     // for cell_volume
#include "readers/cif_blocks.hpp"         // for kDummyCifName

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <tuple>

namespace kalidos::app {
namespace {

constexpr double kTwoPi = 6.283185307179586;

}  // namespace

std::string main_phase_name(const StructureModel& model)
{
    if (!model.openedFileName.empty())
        return std::filesystem::path(model.openedFileName).filename().string();
    // A CIF is read through its block's copy: that copy's name says nothing of the structure.
    if (!model.structureFileName.empty() && model.structureFileName != kDummyCifName)
        return std::filesystem::path(model.structureFileName).filename().string();
    return model.title.empty() ? std::string("Main structure") : model.title;
}

bool PhaseMixture::main_calculated(Messages& messages)
{
    const CalculatedPattern& pattern = workspace_.results.pattern;
    mainIntensities_.assign(pattern.intensities, pattern.intensities + pattern.pointCount);
    forget_fit();
    PhaseEntry first = entries_.empty() ? PhaseEntry{} : entries_.front();
    std::string why;
    const double fraction = entries_.empty() ? 1.0 : first.phase.fraction;
    const bool shown = entries_.empty() || first.phase.shown;
    if (pattern.pointCount == 0 ||
        !make_mixture_phase(workspace_, main_phase_name(workspace_.model), fraction, first.phase, why)) {
        if (!why.empty())
            messages.warning(why);
        entries_.clear();
        curves_ = {};
        return false;
    }
    first.phase.shown = shown;
    std::vector<PhaseEntry> entries{first};
    for (std::size_t p = 1; p < entries_.size(); ++p) {
        PhaseEntry extra = entries_[p];
        const MixturePhase before = extra.phase;
        if (!calculate(extra, extra.settings, before.fraction, messages, extra.phase))
            continue;  // told; the phase leaves the mixture
        extra.phase.shown = before.shown;
        entries.push_back(std::move(extra));
    }
    entries_ = std::move(entries);
    update_pattern();
    return true;
}

bool PhaseMixture::room_for_a_phase(Messages& messages) const
{
    if (entries_.empty() || workspace_.results.pattern.pointCount == 0) {
        beep_and_warn(messages, "Calculate the main structure before adding phases");
        return false;
    }
    if (entries_.size() >= static_cast<std::size_t>(kMaxPhases)) {
        beep_and_warn(messages, "A mixture holds at most " + std::to_string(kMaxPhases) + " phases");
        return false;
    }
    return true;
}

bool PhaseMixture::add(const std::string& path, Messages& messages)
{
    if (!room_for_a_phase(messages))
        return false;
    const double sum = std::accumulate(entries_.begin(), entries_.end(), 0.0,
                                       [](double s, const PhaseEntry& e) { return s + e.phase.fraction; });
    PhaseEntry entry;
    entry.path = path;
    const double fraction = sum > 0 ? sum / static_cast<double>(entries_.size()) : 1.0;
    if (!calculate_mixture_phase(path, workspace_.model, entry.settings, data_directory(), fraction,
                                 messages, entry.phase))
        return false;
    entries_.push_back(std::move(entry));
    forget_fit();
    update_pattern();
    return true;
}

bool PhaseMixture::add_structure(const StructureModel& structure, const std::string& name, Messages& messages)
{
    if (!room_for_a_phase(messages))
        return false;
    PhaseEntry entry;
    entry.refined = std::make_shared<const StructureModel>(structure);
    entry.phase.name = name;
    const double fraction = structure.atomCount == 0 ? 0.0 : 1.0 / static_cast<double>(entries_.size());
    MixturePhase phase;
    if (!calculate(entry, entry.settings, fraction, messages, phase))
        return false;
    entry.phase = std::move(phase);
    entries_.push_back(std::move(entry));
    forget_fit();
    update_pattern();
    return true;
}

void PhaseMixture::remove(std::size_t index)
{
    if (index == 0 || index >= entries_.size())
        return;  // the main window's structure stays the first phase
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    forget_fit();
    update_pattern();
}

bool PhaseMixture::change_settings(std::size_t index, const PhaseSettings& settings, Messages& messages)
{
    if (index == 0 || index >= entries_.size())
        return false;
    PhaseEntry& entry = entries_[index];
    MixturePhase phase;
    if (!calculate(entry, settings, entry.phase.fraction, messages, phase))
        return false;
    phase.shown = entry.phase.shown;
    entry.phase = std::move(phase);
    entry.settings = settings;
    forget_fit();
    update_pattern();
    return true;
}

bool PhaseMixture::keep_refined(std::size_t index, const StructureModel& refined, Messages& messages)
{
    if (index == 0 || index >= entries_.size())
        return false;
    PhaseEntry kept = entries_[index];
    kept.refined = std::make_shared<const StructureModel>(refined);
    kept.settings = {refined.profile.sizeNm, refined.profile.strainPercent, refined.sample.preferred};
    if (!calculate(kept, kept.settings, kept.phase.fraction, messages, kept.phase))
        return false;
    kept.phase.shown = entries_[index].phase.shown;
    entries_[index] = std::move(kept);
    forget_fit();
    update_pattern();
    return true;
}

bool PhaseMixture::cell_phase(const StructureModel& structure, const std::string& name, const PhaseSettings& settings,
                              double fraction, Messages& messages, MixturePhase& phase) const
{
    phase = MixturePhase{};
    phase.name = name;
    phase.fraction = fraction;
    phase.sizeNm = settings.sizeNm;
    auto model = std::make_shared<StructureModel>(structure);
    share_experiment(workspace_.model, settings, *model);
    phase.content.volume = cell_volume(model->cell, kExactDegreesToRadians);
    const WavelengthSet& w = model->wavelengths;
    for (int i = 1; i <= w.count; ++i)
        for (Reflection r : cell_reflections(*model, w.values[i], model->enteredTwoTheta1, model->enteredTwoTheta2,
                                             messages))
            phase.reflections.push_back(r);
    phase.model = std::move(model);
    if (phase.reflections.empty()) {
        messages.warning(name + ": no reflection in the calculated range");
        return false;
    }
    return true;
}

bool PhaseMixture::calculate(const PhaseEntry& entry, const PhaseSettings& settings, double fraction,
                             Messages& messages, MixturePhase& phase) const
{
    if (!entry.refined)
        return calculate_mixture_phase(entry.path, workspace_.model, settings, data_directory(), fraction,
                                       messages, phase);
    if (entry.refined->atomCount == 0)
        return cell_phase(*entry.refined, entry.phase.name, settings, fraction, messages, phase);
    const auto calculated = calculate_phase_structure(*entry.refined, workspace_.model, settings, messages);
    std::string why;
    if (calculated && make_mixture_phase(*calculated, entry.phase.name, fraction, phase, why))
        return true;
    if (!why.empty())
        messages.warning(why);
    return false;
}

void PhaseMixture::set_fraction(std::size_t index, double fraction)
{
    if (index >= entries_.size())
        return;
    entries_[index].phase.fraction = fraction;
    forget_fit();
    update_pattern();
}

void PhaseMixture::set_shown(std::size_t index, bool shown)
{
    if (index < entries_.size())
        entries_[index].phase.shown = shown;
}

bool PhaseMixture::active() const
{
    return entries_.size() > 1 && workspace_.results.pattern.pointCount > 0 &&
           static_cast<std::size_t>(workspace_.results.pattern.pointCount) == mainIntensities_.size();
}

std::vector<double> PhaseMixture::normalised_fractions() const
{
    std::vector<MixturePhase> list = phases();
    normalise_fractions(list);
    std::vector<double> fractions;
    for (const MixturePhase& p : list)
        fractions.push_back(p.fraction);
    return fractions;
}

std::vector<std::vector<MixtureStick>> PhaseMixture::sticks() const
{
    std::vector<std::vector<MixtureStick>> sticks;
    if (!active())
        return sticks;
    const std::vector<double> scales = hill_howard_scales(phases());
    double largest = 0;
    for (std::size_t p = 0; p < entries_.size(); ++p) {
        const MixturePhase& phase = entries_[p].phase;
        std::map<std::tuple<int, int, int>, MixtureStick> lines;  // one line per h k l, every wavelength added
        for (const Reflection& r : phase.reflections) {
            MixtureStick& line = lines[{r.h, r.k, r.l}];
            line.q = kTwoPi / (r.d * phase.cellScale);
            line.percent += scales[p] * r.intensity;
        }
        std::vector<MixtureStick>& own = sticks.emplace_back();
        for (const auto& [hkl, line] : lines) {
            own.push_back(line);
            largest = std::max(largest, line.percent);
        }
    }
    for (std::vector<MixtureStick>& own : sticks)
        for (MixtureStick& line : own)
            line.percent = largest > 0 ? line.percent * 100 / largest : 0.0;
    return sticks;
}

std::vector<MixturePhase> PhaseMixture::phases() const
{
    std::vector<MixturePhase> list;
    for (const PhaseEntry& e : entries_)
        list.push_back(e.phase);
    return list;
}

std::filesystem::path PhaseMixture::data_directory() const
{
    return dataDirectory_.empty() ? std::filesystem::path(workspace_.model.startDirectory) : dataDirectory_;
}

void PhaseMixture::forget_fit()
{
    lastFit_.reset();
    for (PhaseEntry& e : entries_)
        e.fitted.reset();
}

void PhaseMixture::update_pattern()
{
    CalculatedPattern& pattern = workspace_.results.pattern;
    curves_ = {};
    if (pattern.pointCount == 0 || static_cast<std::size_t>(pattern.pointCount) != mainIntensities_.size())
        return;  // erased, or calculated again without this mixture knowing: nothing of ours to show
    const std::vector<MixturePhase> list = phases();
    if (entries_.size() <= 1 || !mixture_problem(list).empty()) {
        std::copy(mainIntensities_.begin(), mainIntensities_.end(), pattern.intensities);
        return;
    }
    const std::vector<double> angles(pattern.angles, pattern.angles + pattern.pointCount);
    curves_ = mixture_curves(list, hill_howard_scales(list), angles);
    for (int i = 0; i < pattern.pointCount; ++i)
        pattern.intensities[i] = static_cast<float>(curves_.total[static_cast<std::size_t>(i)]);
}

std::string PhaseMixture::fit(const PhaseFitSettings& settings, PhaseFit& result)
{
    const ObservedPattern& observed = workspace_.observed;
    if (entries_.empty() || workspace_.results.pattern.pointCount == 0)
        return "Calculate the main structure first";
    if (observed.count == 0 || !observed.slots[1].measured)
        return "Open a measured diagram first: the fractions are fitted to the first one";
    const ObservedSlot& slot = observed.slots[1];
    if (slot.scan < 0 || static_cast<std::size_t>(slot.scan) >= slot.measured->scans.size())
        return "The first observed diagram holds no scan";
    const MeasuredScan& scan = slot.measured->scans[static_cast<std::size_t>(slot.scan)];
    const StructureModel& model = workspace_.model;
    const std::string refused =
        fit_phases(scan, model.enteredTwoTheta1, model.enteredTwoTheta2, phases(), settings, result);
    if (!refused.empty())
        return refused;
    for (std::size_t p = 0; p < entries_.size(); ++p) {
        MixturePhase& phase = entries_[p].phase;
        phase.fraction = result.phases[p].fraction.value;
        phase.sizeNm = result.phases[p].sizeNm.value;
        phase.cellScale = result.phases[p].cellScale.value;
    }
    update_pattern();
    for (std::size_t p = 0; p < entries_.size(); ++p)
        entries_[p].fitted = result.phases[p];
    lastFit_ = result;
    return {};
}

std::optional<NamedReflection> PhaseMixture::strongest_between(double low, double high, AbscissaMode mode) const
{
    if (!active())
        return std::nullopt;
    const std::vector<double> scales = hill_howard_scales(phases());
    std::optional<NamedReflection> best;
    double largest = 0;
    for (std::size_t p = 0; p < entries_.size(); ++p) {
        const MixturePhase& phase = entries_[p].phase;
        for (std::size_t i = 0; i < phase.reflections.size(); ++i) {
            Reflection moved = phase.reflections[i];
            moved.twoTheta = scaled_two_theta(moved, phase.cellScale);
            moved.d *= phase.cellScale;
            const double x = drawing::reflection_abscissa(moved, mode);
            const double weight = scales[p] * moved.intensity;
            if (x < low || x > high || weight <= largest)
                continue;
            largest = weight;
            best = NamedReflection{p, i, moved};
        }
    }
    return best;
}

}  // namespace kalidos::app
