#include "batch_radiation.hpp"

#include <algorithm>
#include <cctype>

#include "anomalous/anomalous_reading.hpp"
#include "batch_instrument.hpp"
#include "diagram_files/measured_radiation.hpp"
#include "diagram_files/stated_radiation.hpp"
#include "entry/range_entry.hpp"
#include "model/wavelength_set.hpp"
#include "readers/profile_lines.hpp"  // for setting_number
#include "util/data_files.hpp"
#include "wavelengths/anode_lines.hpp"
#include "wavelengths/composition.hpp"

namespace kalidos::batch {
namespace {

bool same_text_ignoring_case(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

// The lines the observed file states, told once (by the run that reads the file); false when it
// states none.
bool use_observed_radiation(Workspace& workspace, const BatchOptions& options, StreamMessages& messages)
{
    const StatedRadiation stated = stated_radiation(options.radiationFile);
    const MeasuredRadiation radiation = measured_radiation(stated.wavelengths, stated.format);
    if (!use_measured_radiation(workspace, radiation, messages))
        return false;
    if (!options.observed.empty())
        messages.note(radiation_taken_text(options.radiationFile, radiation, "--anode, --lambda or --mixture choose another"));
    return true;
}

// The instrument file's lines, told once as the observed file's are.
SetupResult use_instrument_radiation(Workspace& workspace, const BatchOptions& options, const Instrument& instrument,
                                     StreamMessages& messages)
{
    MeasuredRadiation radiation;
    for (const InstrumentLine& line : instrument.wavelengths) {
        radiation.lines.push_back({line.lambda, line.weight});
        radiation.description += (radiation.description.empty() ? "λ " : ", λ ") + setting_number(line.lambda) +
                                 " Å (" + setting_number(line.weight) + ")";
    }
    if (!use_measured_radiation(workspace, radiation, messages))
        return SetupResult::Refused;
    if (!options.observed.empty() || options.radiationFile.empty())
        messages.note(radiation_taken_text(options.instrumentFile, radiation, "--anode, --lambda or --mixture choose another"));
    return SetupResult::Done;
}

SetupResult set_wavelengths(Workspace& workspace, const BatchOptions& options, const Instrument* instrument,
                            StreamMessages& messages)
{
    if (!options.radiationGiven && instrument && !instrument->wavelengths.empty())
        return use_instrument_radiation(workspace, options, *instrument, messages);
    if (!options.radiationFile.empty() && use_observed_radiation(workspace, options, messages))
        return SetupResult::Done;
    if (!options.mixture.empty()) {
        CompositionForm form;
        for (std::size_t r = 0; r < options.mixture.size(); ++r) {
            form.wavelength[r] = options.mixture[r].lambdaText;
            form.intensity[r] = options.mixture[r].intensityText;
        }
        return lit_composition(form, workspace, messages).accepted ? SetupResult::Done : SetupResult::Refused;
    }
    if (options.lambda) {
        zero_anomalous_factors(workspace.model);
        set_single_wavelength(workspace.model, *options.lambda);
        return SetupResult::Done;
    }
    const int item = anode_item_index(options.anode);
    if (item <= kMultipleWavelengthsItem) {
        messages.note("Unknown anode item: " + options.anode);
        return SetupResult::UsageError;
    }
    return set_lambda(workspace, item).choice == AnodeChoice::LineChosen ? SetupResult::Done : SetupResult::UsageError;
}

// The limit edits store both units at the current wavelengths: 2θ1 with the longest
// wavelength's Q, 2θ2 with the shortest's.
void set_range(StructureModel& model, const BatchOptions& options)
{
    const auto lower = convert_limit(options.twoTheta1, AbscissaMode::TwoTheta, model.wavelengths.longest);
    const auto upper = convert_limit(options.twoTheta2, AbscissaMode::TwoTheta, model.wavelengths.shortest);
    model.twoTheta1 = model.enteredTwoTheta1 = options.twoTheta1;
    model.twoTheta2 = model.enteredTwoTheta2 = options.twoTheta2;
    model.q1 = model.enteredQ1 = lower ? lower->q : 0;
    model.q2 = model.enteredQ2 = upper ? upper->q : 0;
    model.twoThetaWidth = model.twoTheta2 - model.twoTheta1;
}

}  // namespace

int anode_item_index(const std::string& item)
{
    const auto& table = anode_line_table();
    for (int i = 0; i < kAnodeListItems; ++i)
        if (table[static_cast<std::size_t>(i)].lambda > 0 && same_text_ignoring_case(item, table[static_cast<std::size_t>(i)].item))
            return i;
    return -1;
}

SetupResult set_radiation_and_range(Workspace& workspace, const BatchOptions& options, StreamMessages& messages)
{
    StructureModel& model = workspace.model;
    std::optional<Instrument> instrument;
    if (!options.instrumentFile.empty() && !(instrument = read_options_instrument(options, messages)))
        return SetupResult::Refused;
    model.radiation = options.neutron ? kNeutrons : kXrays;
    model.xraySource = options.synchrotron ? kSynchrotronSource : kTubeSource;
    model.polarisation = options.synchrotron ? *options.synchrotron : 0.5;
    if (instrument)
        model.radiation = instrument->radiation;
    // The limits first: the anode list derives the Q limits from them.
    model.twoTheta1 = model.enteredTwoTheta1 = options.twoTheta1;
    model.twoTheta2 = model.enteredTwoTheta2 = options.twoTheta2;
    const SetupResult result = set_wavelengths(workspace, options, instrument ? &*instrument : nullptr, messages);
    if (result != SetupResult::Done)
        return result;
    set_range(model, options);
    model.u = options.u;
    model.v = options.v;
    model.w = options.w;
    model.sample = options.sample;
    model.profile = options.profile;
    if (instrument)
        apply_instrument(*instrument, model);
    return SetupResult::Done;
}

SetupResult read_anomalous_table(Workspace& workspace, const std::string& table,
                                 const std::filesystem::path& dataDirectory, StreamMessages& messages)
{
    const int item = table == "sasaki" ? 1 : 0;
    const std::filesystem::path file = find_file_ignoring_case(dataDirectory, kAnomalousTableFiles[item]);
    if (workspace.model.atomCount == 0) {
        beep_and_warn(messages, "No atom in the asymetric unit!");
        return SetupResult::Refused;
    }
    zero_anomalous_factors(workspace.model);
    return read_anomalous_factors(file, workspace.model, messages) ? SetupResult::Done : SetupResult::Refused;
}

}  // namespace kalidos::batch
