#include "readers/profile_lines.hpp"

#include <charconv>

#include "readers/reader_text.hpp"  // for parse_real

namespace kalidos {
namespace {

LineRead outcome(bool read)
{
    return read ? LineRead::Read : LineRead::Bad;
}

LineRead read_correction(const std::vector<std::string>& w, IntensityCorrections& c)
{
    const std::string& key = w[0];
    if (key == "monochromator") {
        if (w.size() > 2 && w[2] != "incident" && w[2] != "diffracted")
            return LineRead::Bad;
        c.monochromatorPlace = w.size() > 2 && w[2] == "incident" ? MonochromatorPlace::Incident
                                                                  : MonochromatorPlace::Diffracted;
        return outcome(read_setting_numbers(w, {&c.monochromatorTwoTheta}));
    }
    if (key == "capillary")
        return outcome(read_setting_numbers(w, {&c.cylinderMuR}));
    if (key == "plate")
        return outcome(read_setting_numbers(w, {&c.plateMuT}));
    if (key == "roughness")
        return outcome(read_setting_numbers(w, {&c.roughnessP, &c.roughnessQ}));
    if (key == "overspill")
        return outcome(read_setting_numbers(w, {&c.slitDegrees, &c.sampleLengthMm}));
    return LineRead::Other;
}

}  // namespace

bool read_setting_numbers(const std::vector<std::string>& words, std::initializer_list<double*> targets)
{
    std::size_t i = 1;
    for (double* target : targets) {
        if (i >= words.size() || !parse_real(words[i], *target))
            return false;
        ++i;
    }
    return true;
}

std::string setting_number(double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

LineRead read_profile_line(const std::vector<std::string>& w, ProfileSettings& s)
{
    if (w.empty())
        return LineRead::Other;
    const std::string& key = w[0];
    if (key == "profile")
        return outcome(w.size() > 1 && (w[1] == "seed" || w[1] == "tch") &&
                       ((s.function = w[1] == "tch" ? ProfileFunction::Tch : ProfileFunction::Seed), true));
    if (key == "strain") {
        if (w.size() <= 2 || (w[2] != "gauss" && w[2] != "lorentz"))
            return LineRead::Bad;
        s.strainShape = w[2] == "lorentz" ? StrainShape::Lorentzian : StrainShape::Gaussian;
        return outcome(read_setting_numbers(w, {&s.strainPercent}));
    }
    if (key == "gauss")
        return outcome(read_setting_numbers(w, {&s.gaussU, &s.gaussV, &s.gaussW, &s.gaussP}));
    if (key == "lorentz")
        return outcome(read_setting_numbers(w, {&s.lorentzX, &s.lorentzY}));
    if (key == "size")
        return outcome(read_setting_numbers(w, {&s.sizeNm, &s.scherrerK}));
    if (key == "asymmetry")
        return outcome(read_setting_numbers(w, {&s.axialSL, &s.axialHL}));
    if (key == "zero")
        return outcome(read_setting_numbers(w, {&s.zeroShift}));
    if (key == "displacement")
        return outcome(read_setting_numbers(w, {&s.displacementMm, &s.radiusMm}));
    if (key == "transparency")
        return outcome(read_setting_numbers(w, {&s.transparency}));
    return read_correction(w, s.corrections);
}

std::string correction_lines(const IntensityCorrections& c)
{
    std::string text;
    if (c.monochromatorTwoTheta != 0)
        text += "monochromator " + setting_number(c.monochromatorTwoTheta) +
                (c.monochromatorPlace == MonochromatorPlace::Incident ? " incident\n" : " diffracted\n");
    if (c.cylinderMuR != 0)
        text += "capillary " + setting_number(c.cylinderMuR) + "\n";
    if (c.plateMuT != 0)
        text += "plate " + setting_number(c.plateMuT) + "\n";
    if (c.roughnessP != 0 || c.roughnessQ != 0)
        text += "roughness " + setting_number(c.roughnessP) + ' ' + setting_number(c.roughnessQ) + "\n";
    if (c.slitDegrees != 0 || c.sampleLengthMm != 0)
        text += "overspill " + setting_number(c.slitDegrees) + ' ' + setting_number(c.sampleLengthMm) + "\n";
    return text;
}

}  // namespace kalidos
