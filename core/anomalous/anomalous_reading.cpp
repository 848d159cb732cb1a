#include "anomalous/anomalous_reading.hpp"

#include "anomalous/anomalous_grid.hpp"
#include "model/typed_ranges.hpp"
#include "model/wavelength_set.hpp"
#include "util/data_files.hpp"
#include "util/number_text.hpp"  // for parse_real

namespace kalidos {

void apply_anomalous_records(const std::vector<AnomalousRecord>& records, StructureModel& model)
{
    const int wavelengths = anomalous_wavelength_count(model.wavelengths);
    for (int e = 1; e <= model.elementCount; ++e) {
        for (int w = 1; w <= wavelengths; ++w) {
            model.fPrime[w][e] = 0;
            model.fSecond[w][e] = 0;
        }
        const std::string key = anomalous_key(model.elementSymbols[e]);
        for (const AnomalousRecord& record : records) {
            if (record.key != key)
                continue;
            for (int w = 1; w <= wavelengths; ++w) {
                if (!(model.wavelengths.values[w] > 0))
                    continue;  // no photon energy
                const double energy = kEnergyWavelengthProduct / model.wavelengths.values[w];
                interpolate_anomalous(record, energy, model.fPrime[w][e], model.fSecond[w][e]);
            }
        }
    }
}

bool read_anomalous_factors(const std::filesystem::path& file, StructureModel& model, Messages& messages)
{
    std::vector<AnomalousRecord> records;
    std::string error;
    if (!read_anomalous_table_file(file, records, error)) {
        beep_and_warn(messages, "Error in " + file.filename().string() + ": " + error + "!");
        return false;
    }
    apply_anomalous_records(records, model);
    model.anomalousRecords = std::make_shared<const std::vector<AnomalousRecord>>(std::move(records));
    return true;
}

AnomalousPanelOutcome acquire_anomalous_factors(Workspace& workspace, int tableItem, Messages& messages)
{
    if (tableItem < 0 || tableItem > 1) {
        messages.warning("Select the File!");
        return AnomalousPanelOutcome::NoTableChosen;
    }
    StructureModel& model = workspace.model;
    if (model.elementCount == 0)
        return AnomalousPanelOutcome::Done;
    const auto file = find_file_ignoring_case(data_folder(model), kAnomalousTableFiles[tableItem]);
    if (!read_anomalous_factors(file, model, messages))
        return AnomalousPanelOutcome::Refused;
    show_anomalous(workspace);
    return AnomalousPanelOutcome::Done;
}

// A wavelength of 0 or below has no photon energy: it is refused like an unreadable one, and
// so is one beyond the range the entries accept.
AnomalousButtonOutcome prepare_anomalous_reading(Workspace& workspace, const std::string& edit11Text,
                                                 Messages& messages)
{
    const std::string text = trim(edit11Text);
    if (text.empty() || text == "0.00000") {
        messages.warning("No WaveLength!");
        return AnomalousButtonOutcome::Refused;
    }
    StructureModel& model = workspace.model;
    if (text != "Multiple") {
        const auto lambda = parse_real(text);
        if (!lambda || *lambda <= 0 || !wavelength_in_range(*lambda)) {
            messages.warning("Error on WaveLength!");
            return AnomalousButtonOutcome::Refused;
        }
        set_single_wavelength(model, *lambda);
    }
    erase_anomalous_factors(workspace);
    if (model.atomCount == 0) {
        beep_and_warn(messages, "No atom in the asymetric unit!");
        return AnomalousButtonOutcome::NoAtom;
    }
    return AnomalousButtonOutcome::ShowPanel;
}

}  // namespace kalidos
