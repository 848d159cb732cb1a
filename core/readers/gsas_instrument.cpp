// GSAS-II's instrument parameter files (.instprm): "Key:value" items, one a line or several separated
// by ";", "#" comment lines, "#Bank N:" before each bank of a multi-bank file (the first is read).
#include <cmath>
#include <algorithm>
#include <map>
#include <set>
#include <numbers>

#include "model/structure_model.hpp"  // for kXrays, kNeutrons
#include "readers/instrument_file.hpp"
#include "readers/reader_text.hpp"

namespace kalidos {
namespace {

constexpr double kCentidegrees = 0.01;
// GSAS-II's Gaussian variance σ² against our full width: FWHM² = 8 ln 2·σ².
const double kVarianceToFwhm2 = 8 * std::log(2.0) * kCentidegrees * kCentidegrees;

using Items = std::map<std::string, double>;

// The keys read here; others may hold words.
const std::set<std::string> kUsedKeys = {"Lam", "Lam1", "Lam2", "I(L2)/I(L1)", "Zero", "Polariz.", "U", "V", "W",
                                         "X", "Y", "Z", "SH/L", "Azimuth"};

bool refuse(std::string& error, std::size_t line, const std::string& why)
{
    error = "line " + std::to_string(line) + ": " + why;
    return false;
}

// The items of the first bank; Type kept apart (it is a word).
bool read_items(std::string_view text, Items& items, std::string& type, std::vector<std::string>& notes,
                std::string& error)
{
    const LineViews lines = split_line_views(text);
    int banks = 0;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string_view line = trim_view(lines[n]);
        if (starts_with(line, "#")) {
            if (starts_with(line, "#Bank") && ++banks == 2)
                break;
            continue;
        }
        std::size_t start = 0;
        while (start < line.size()) {
            const std::size_t end = std::min(line.find(';', start), line.size());
            const std::string_view item = trim_view(line.substr(start, end - start));
            start = end + 1;
            if (item.empty())
                continue;
            const std::size_t colon = item.find(':');
            if (colon == std::string_view::npos)
                return refuse(error, n + 1, "\"" + std::string(item) + "\" is not Key:value");
            const std::string key(trim_view(item.substr(0, colon)));
            const std::string_view value = trim_view(item.substr(colon + 1));
            if (key == "Type") {
                type = std::string(value);
                continue;
            }
            double number = 0;
            // Later GSAS-II files write a value with its refinement flag after a comma: "U:2.0,False".
            const bool numeric = parse_real(value.substr(0, value.find(',')), number);
            if (!numeric && kUsedKeys.count(key))
                return refuse(error, n + 1, key + ": \"" + std::string(value) + "\" is not a number");
            if (numeric)
                items[key] = number;
        }
    }
    if (banks >= 2)
        notes.push_back("the instrument file holds several banks: the first is read");
    if (type.empty())
        return refuse(error, lines.size(), "no Type: not a GSAS-II instrument parameter file");
    return true;
}

bool has(const Items& items, const char* key)
{
    return items.count(key) > 0;
}

// Polariz. as our tube, a monochromator of the same factor, or a polarised source (see the header).
void polarisation(double pola, Instrument& i, std::vector<std::string>& notes)
{
    if (pola == 0.5 || i.radiation == kNeutrons)
        return;
    const bool tube = i.wavelengths.size() == 2;
    if (tube && pola > 0.5 && pola <= 1) {
        const double k = (1 - pola) / pola;  // cos² 2θ_M
        i.monochromatorTwoTheta = std::acos(std::sqrt(k)) * 180 / std::numbers::pi;
        notes.push_back("Polariz. " + std::to_string(pola) + ": a monochromator at 2θ " +
                        std::to_string(i.monochromatorTwoTheta) + "°, the same polarisation factor");
        return;
    }
    i.xraySource = kSynchrotronSource;
    i.polarisation = std::clamp(1 - pola, 0.0, 1.0);
}

}  // namespace

bool read_gsas_instrument(std::string_view text, Instrument& instrument, std::vector<std::string>& notes,
                          std::string& error)
{
    Items items;
    std::string type;
    if (!read_items(text, items, type, notes, error))
        return false;
    if (type != "PXC" && type != "PNC") {
        error = "Type " + type + ": only constant-wavelength banks (PXC X-rays, PNC neutrons) are read";
        return false;
    }
    Instrument i;
    i.radiation = type == "PNC" ? kNeutrons : kXrays;
    i.function = ProfileFunction::Tch;
    if (has(items, "Lam1") && has(items, "Lam2")) {
        i.wavelengths = {{items["Lam1"], 1}, {items["Lam2"], has(items, "I(L2)/I(L1)") ? items["I(L2)/I(L1)"] : 0.5}};
        if (i.wavelengths[1].weight == 0)
            i.wavelengths.pop_back();
    } else if (has(items, "Lam")) {
        i.wavelengths = {{items["Lam"], 1}};
    } else {
        error = "no wavelength (Lam, or Lam1 and Lam2)";
        return false;
    }
    i.zeroShift = items["Zero"];
    i.gaussU = items["U"] * kVarianceToFwhm2, i.gaussV = items["V"] * kVarianceToFwhm2;
    i.gaussW = items["W"] * kVarianceToFwhm2;
    i.lorentzX = items["Y"] * kCentidegrees, i.lorentzY = items["X"] * kCentidegrees;
    i.axialSL = i.axialHL = items["SH/L"] / 2;
    polarisation(has(items, "Polariz.") ? items["Polariz."] : 0.5, i, notes);
    for (const char* key : {"Z", "Azimuth"})
        if (items[key] != 0)
            notes.push_back(std::string(key) + " " + std::to_string(items[key]) + " has no meaning here: left out");
    if (!std::isfinite(i.gaussU + i.gaussV + i.gaussW + i.lorentzX + i.lorentzY + i.axialSL + i.zeroShift)) {
        error = "a value is not a usable number";
        return false;
    }
    instrument = i;
    return true;
}

}  // namespace kalidos
