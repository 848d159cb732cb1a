#include "batch_radiation.hpp"

#include <algorithm>
#include <cctype>

#include "anomalous/anomalous_reading.hpp"
#include "entry/range_entry.hpp"
#include "model/wavelength_set.hpp"
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

SetupResult set_wavelengths(Workspace& workspace, const BatchOptions& options, StreamMessages& messages)
{
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
    model.radiation = options.neutron ? kNeutrons : kXrays;
    model.xraySource = options.synchrotron ? kSynchrotronSource : kTubeSource;
    model.polarisation = options.synchrotron ? *options.synchrotron : 0.5;
    // The limits first: the anode list derives the Q limits from them.
    model.twoTheta1 = model.enteredTwoTheta1 = options.twoTheta1;
    model.twoTheta2 = model.enteredTwoTheta2 = options.twoTheta2;
    const SetupResult result = set_wavelengths(workspace, options, messages);
    if (result != SetupResult::Done)
        return result;
    set_range(model, options);
    model.u = options.u;
    model.v = options.v;
    model.w = options.w;
    model.sample = options.sample;
    model.profile = options.profile;
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
