// Filling f' and f'' from a table file: the "Read Anomalous Factors" button and its panel's OK.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "anomalous/anomalous_table_file.hpp"
#include "model/workspace.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// Photon energy of a wavelength: E (eV) = 12400 / λ (Å), the program's constant (not 12398.4).
inline constexpr double kEnergyWavelengthProduct = 12400;

// The panel's choices (RadioGroup2): item 0 "Brenann and Cowan", item 1 "Sasaki".
inline constexpr const char* kAnomalousTableItems[2] = {"Brenann and Cowan", "Sasaki"};
inline constexpr const char* kAnomalousTableFiles[2] = {"Brcow.an", "Sasaki.an"};

// Stores f' and f'' of every element for the wavelengths 1..min(count, 4) from parsed records.
// Values are first set to 0, so an element without a record, or a wavelength that no point of
// its record reaches, keeps 0. Where a key repeats, the later record wins.
void apply_anomalous_records(const std::vector<AnomalousRecord>& records, StructureModel& model);

// Reads one table file into the model. A file that cannot be read or is damaged: beep, a message
// naming the file and the fault, false, and the model is left as it was.
bool read_anomalous_factors(const std::filesystem::path& file, StructureModel& model, Messages& messages);

enum class AnomalousPanelOutcome {
    NoTableChosen,  // "Select the File!" was shown: the panel stays
    Done,           // values read (or no element to read them for): hide the panel
    Refused,        // the file could not be used (message shown), values unchanged: hide the panel
};

// Acquisition_f_ano: the table of RadioGroup2 item `tableItem` (-1: none chosen), found in the
// start directory without regard to case, read for every element, then show_anomalous. The
// window shows "Wait..." and the hourglass around the call.
AnomalousPanelOutcome acquire_anomalous_factors(Workspace& workspace, int tableItem, Messages& messages);

enum class AnomalousButtonOutcome {
    Refused,    // "No WaveLength!" or "Error on WaveLength!": nothing changed
    NoAtom,     // beep and "No atom in the asymetric unit!"; f', f'' already zeroed
    ShowPanel,  // f', f'' zeroed; deselect RadioGroup2 and show Panel2
};

// bouton_lecture_ano, from the trimmed text of Edit11: a number becomes the single wavelength,
// "Multiple" keeps the set. The wavelength must be positive. After NoAtom and ShowPanel the
// caller clears the displayed results (the rest of reset_spectre_res).
AnomalousButtonOutcome prepare_anomalous_reading(Workspace& workspace, const std::string& edit11Text,
                                                 Messages& messages);

}  // namespace kalidos
