#include "diagram_files/measured_radiation.hpp"

#include <charconv>
#include <cmath>

#include "readers/reader_text.hpp"  // for file_name_only
#include "wavelengths/composition.hpp"

namespace kalidos {
namespace {

// A doublet's usual I(Kα2)/I(Kα1), close to 0.5 for every common anode.
constexpr double kUsualDoubletRatio = 0.5;

bool is_wavelength(double lambda)
{
    return std::isfinite(lambda) && lambda >= 0.01 && lambda <= 100;
}

// The shortest text that reads back as the same double; a value held as a 32-bit number (the older
// binary headers) as the shortest text of that number: 1.54056, not 1.540560007095337.
std::string exact_text(double value)
{
    char buffer[32];
    const auto single = static_cast<float>(value);
    const auto result = static_cast<double>(single) == value
                            ? std::to_chars(buffer, buffer + sizeof buffer, single)
                            : std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace

MeasuredRadiation measured_radiation(const MeasuredWavelengths& w, const std::string& format)
{
    MeasuredRadiation radiation;
    if (!is_wavelength(w.lambda1))
        return radiation;
    const bool ratioNeverStated = format == "ras" || format == "rasx";
    const bool doublet = is_wavelength(w.lambda2) && w.lambda2 != w.lambda1 &&
                         ((std::isfinite(w.ratio) && w.ratio > 0 && w.ratio <= 10) || (w.ratio == 0 && ratioNeverStated));
    if (!doublet) {
        radiation.lines = {{w.lambda1, 1}};
        radiation.description = "λ " + exact_text(w.lambda1) + " Å";
        return radiation;
    }
    const bool assumed = w.ratio == 0;
    const double ratio = assumed ? kUsualDoubletRatio : w.ratio;
    radiation.lines = {{w.lambda1, 1}, {w.lambda2, ratio}};
    radiation.description = "Kα1 " + exact_text(w.lambda1) + " Å, Kα2 " + exact_text(w.lambda2) +
                            " Å, I(Kα2)/I(Kα1) " + exact_text(ratio) +
                            (assumed ? " (the file does not state it: the usual ratio)" : "");
    return radiation;
}

bool use_measured_radiation(Workspace& workspace, const MeasuredRadiation& radiation, Messages& messages)
{
    if (radiation.lines.empty() || radiation.lines.size() > static_cast<std::size_t>(kCompositionRows))
        return false;
    CompositionForm form;
    for (std::size_t r = 0; r < radiation.lines.size(); ++r) {
        form.wavelength[r] = exact_text(radiation.lines[r].lambda);
        form.intensity[r] = exact_text(radiation.lines[r].weight);
    }
    return lit_composition(form, workspace, messages).accepted;
}

std::string radiation_taken_text(const std::string& fileName, const MeasuredRadiation& radiation,
                                 const std::string& alternatives)
{
    return "The radiation of " + file_name_only(fileName) + " is used: " + radiation.description + " (" + alternatives +
           ")";
}

}  // namespace kalidos
