// The radiation a measured diagram states, as the wavelengths of a calculation: which lines, with
// which weights, and the words telling the user what was taken.
#pragma once

#include <string>
#include <vector>

#include "model/measured_diagram.hpp"
#include "model/workspace.hpp"
#include "ui/messages.hpp"

namespace kalidos {

struct StatedLine {
    double lambda = 0;  // Å
    double weight = 0;  // relative to the first line's 1
};

struct MeasuredRadiation {
    std::vector<StatedLine> lines;  // empty when the file states no usable wavelength
    std::string description;        // "Kα1 1.5406 Å, Kα2 1.54439 Å, I(Kα2)/I(Kα1) 0.5"
};

// The lines of `wavelengths` as a file of `format` states them: Kα1 and Kα2 with their ratio, or
// one wavelength. A Kα2 without a ratio counts only in RAS and RASX files, whose doublet ("Ka") is
// never given a ratio: the usual 0.5 is taken and the description says so; elsewhere a ratio of 0
// means Kα1 alone. Values that are not wavelengths (not finite, outside 0.01-100 Å) count as unstated.
MeasuredRadiation measured_radiation(const MeasuredWavelengths& wavelengths, const std::string& format);

// The lines as the "Multiple wavelengths" dialog would take them: the wavelength set replaced,
// f' and f'' zeroed, the Q limits set from the 2θ range. False (the model unchanged) when there is
// no line or the dialog's reading refuses them.
bool use_measured_radiation(Workspace& workspace, const MeasuredRadiation& radiation, Messages& messages);

// "The radiation of qarr_CORUNDUM.RD is used: Kα1 … (" + `alternatives` + ")".
std::string radiation_taken_text(const std::string& fileName, const MeasuredRadiation& radiation,
                                 const std::string& alternatives);

}  // namespace kalidos
