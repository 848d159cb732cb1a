#include "readers/instrument_file.hpp"

#include <fstream>
#include <iterator>

#include "model/structure_model.hpp"  // for kXrays, kTubeSource
#include "readers/profile_lines.hpp"
#include "readers/reader_text.hpp"

namespace kalidos {
namespace {

constexpr std::uintmax_t kLargestInstrumentFile = 1u << 20;

std::string radiation_line(const Instrument& i)
{
    if (i.radiation == kNeutrons)
        return "radiation neutron\n";
    if (i.xraySource == kSynchrotronSource)
        return "radiation xray synchrotron " + setting_number(i.polarisation) + "\n";
    return "radiation xray tube\n";
}

bool read_radiation(const std::vector<std::string>& w, Instrument& i)
{
    if (w.size() == 2 && w[1] == "neutron") {
        i.radiation = kNeutrons;
        return true;
    }
    if (w.size() == 3 && w[1] == "xray" && w[2] == "tube") {
        i.radiation = kXrays, i.xraySource = kTubeSource;
        return true;
    }
    i.radiation = kXrays, i.xraySource = kSynchrotronSource;
    return w.size() == 4 && w[1] == "xray" && w[2] == "synchrotron" && read_setting_numbers({"", w[3]}, {&i.polarisation});
}

// One line of the KALIDOS format; false when a known setting cannot be read.
bool read_line(const std::vector<std::string>& w, Instrument& i, ProfileSettings& profile)
{
    const std::string& key = w[0];
    if (key == "radiation")
        return read_radiation(w, i);
    if (key == "wavelength") {
        InstrumentLine line;
        i.wavelengths.push_back(line);
        return read_setting_numbers(w, {&i.wavelengths.back().lambda, &i.wavelengths.back().weight});
    }
    if (key == "uvw")
        return read_setting_numbers(w, {&i.seedU, &i.seedV, &i.seedW});
    if (key == "radius")
        return read_setting_numbers(w, {&profile.radiusMm});
    if (key == "size" || key == "strain" || key == "transparency" || key == "displacement" || key == "capillary" ||
        key == "plate" || key == "roughness")
        return true;  // the sample's: not an instrument's
    return read_profile_line(w, profile) != LineRead::Bad;
}

bool read_kalidos(const LineViews& lines, Instrument& instrument, std::string& error)
{
    Instrument read;
    read.wavelengths.clear();
    ProfileSettings profile;
    for (std::size_t n = 1; n < lines.size(); ++n) {
        const std::string_view text = lines[n].substr(0, lines[n].find('#'));
        const std::vector<std::string> words = split_words(text);
        if (!words.empty() && !read_line(words, read, profile)) {
            error = "line " + std::to_string(n + 1) + ": \"" + std::string(trim_view(lines[n])) + "\" cannot be read";
            return false;
        }
    }
    take_instrument_profile(profile, read);
    instrument = read;
    return true;
}

}  // namespace

std::string format_instrument(const Instrument& i, const std::string& comment)
{
    std::string text = std::string(kInstrumentHeader) + "\n";
    if (!comment.empty())
        text += "# " + comment + "\n";
    text += radiation_line(i);
    for (const InstrumentLine& line : i.wavelengths)
        text += "wavelength " + setting_number(line.lambda) + ' ' + setting_number(line.weight) + "\n";
    text += std::string("profile ") + (i.function == ProfileFunction::Tch ? "tch" : "seed") + "\n";
    text += "gauss " + setting_number(i.gaussU) + ' ' + setting_number(i.gaussV) + ' ' + setting_number(i.gaussW) +
            ' ' + setting_number(i.gaussP) + "\n";
    text += "lorentz " + setting_number(i.lorentzX) + ' ' + setting_number(i.lorentzY) + "\n";
    text += "uvw " + setting_number(i.seedU) + ' ' + setting_number(i.seedV) + ' ' + setting_number(i.seedW) + "\n";
    text += "asymmetry " + setting_number(i.axialSL) + ' ' + setting_number(i.axialHL) + "\n";
    text += "zero " + setting_number(i.zeroShift) + "\n";
    text += "radius " + setting_number(i.radiusMm) + "\n";
    IntensityCorrections c;
    c.monochromatorTwoTheta = i.monochromatorTwoTheta;
    c.monochromatorPlace = i.monochromatorPlace;
    c.slitDegrees = i.slitDegrees;
    c.sampleLengthMm = i.sampleLengthMm;
    return text + correction_lines(c);
}

bool read_instrument_text(std::string_view text, Instrument& instrument, std::vector<std::string>& notes,
                          std::string& error)
{
    const LineViews lines = split_line_views(text);
    Instrument read;
    const bool ours = !lines.empty() && trim_view(lines[0]) == kInstrumentHeader;
    if (ours ? !read_kalidos(lines, read, error) : !read_gsas_instrument(text, read, notes, error))
        return false;
    if (const std::string problem = instrument_problem(read); !problem.empty()) {
        error = problem;
        return false;
    }
    instrument = read;
    return true;
}

bool read_instrument_file(const std::filesystem::path& path, Instrument& instrument, std::vector<std::string>& notes,
                          std::string& error)
{
    std::error_code code;
    const std::uintmax_t size = std::filesystem::file_size(path, code);
    std::ifstream in(path, std::ios::binary);
    if (code || !in || size > kLargestInstrumentFile) {
        error = path.string() + (code || !in ? ": the file cannot be read" : ": more than 1 MB, not an instrument file");
        return false;
    }
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    if (read_instrument_text(text, instrument, notes, error))
        return true;
    error = file_name_only(path.string()) + ": " + error;
    return false;
}

}  // namespace kalidos
