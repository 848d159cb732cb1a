#include "readers/profile_companion.hpp"

#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <vector>

#include "model/sample_defaults.hpp"
#include "readers/profile_lines.hpp"

namespace kalidos {
namespace {

constexpr const char* kHeader = "KALIDOS sample and profile";

bool read_preferred(const std::vector<std::string>& w, PreferredOrientation& p)
{
    double h = 0, k = 0, l = 0;
    if (!read_setting_numbers(w, {&h, &k, &l, &p.ratio, &p.fraction}))
        return false;
    p.h = static_cast<int>(h), p.k = static_cast<int>(k), p.l = static_cast<int>(l);
    return h == p.h && k == p.k && l == p.l && (p.h || p.k || p.l) && p.ratio > 0 && p.fraction >= 0 &&
           p.fraction <= 1;
}

// A whole number within [low, high] after the key.
bool read_count(const std::vector<std::string>& w, int low, int high, int& target)
{
    double number = 0;
    if (!read_setting_numbers(w, {&number}) || number != std::floor(number) || number < low || number > high)
        return false;
    target = static_cast<int>(number);
    return true;
}

// "refine-released 0::a 0::c", "refine-stages scale;cell", "refine-cycles 20", "refine-damping 0.001",
// "refine-background 3".
bool read_refinement_line(const std::vector<std::string>& w, RefinementSettings& r)
{
    const std::string& key = w[0];
    if (key == "refine-released") {
        r.released.assign(w.begin() + 1, w.end());
        return true;
    }
    if (key == "refine-stages") {
        r.stages = w.size() == 2 ? w[1] : std::string();
        return w.size() == 2;
    }
    if (key == "refine-cycles")
        return read_count(w, 1, 1000, r.cycles);
    if (key == "refine-background")
        return read_count(w, 0, 12, r.backgroundOrder);
    return read_setting_numbers(w, {&r.damping}) && r.damping > 0;  // refine-damping
}

bool is_refinement_key(const std::string& key)
{
    return key == "refine-released" || key == "refine-stages" || key == "refine-cycles" ||
           key == "refine-damping" || key == "refine-background";
}

std::string refinement_lines(const RefinementSettings& r)
{
    if (is_default(r))
        return {};
    std::string text = "refine-released";
    for (const std::string& name : r.released)
        text += ' ' + name;
    text += "\n";
    if (!r.stages.empty())
        text += "refine-stages " + r.stages + "\n";
    text += "refine-cycles " + std::to_string(r.cycles) + "\n";
    text += "refine-damping " + setting_number(r.damping) + "\n";
    return text + "refine-background " + std::to_string(r.backgroundOrder) + "\n";
}

bool read_line(const std::vector<std::string>& w, ProfileSettings& s, SampleSettings& sample)
{
    const std::string& key = w[0];
    if (key == "preferred")
        return read_preferred(w, sample.preferred);
    if (key == "isotropic") {
        sample.isotropic = true;
        return true;
    }
    return read_profile_line(w, s) != LineRead::Bad;  // a later setting's line: skipped
}

}  // namespace

std::filesystem::path profile_companion_path(const std::filesystem::path& cryFile)
{
    std::filesystem::path path = cryFile;
    return path.replace_extension(".ksp");
}

std::string format_profile_companion(const ProfileSettings& s, const SampleSettings& sample,
                                     const RefinementSettings& refinement)
{
    std::string text = std::string(kHeader) + "\n";
    text += std::string("profile ") + (s.function == ProfileFunction::Tch ? "tch" : "seed") + "\n";
    text += "gauss " + setting_number(s.gaussU) + ' ' + setting_number(s.gaussV) + ' ' + setting_number(s.gaussW) + ' ' +
            setting_number(s.gaussP) + "\n";
    text += "lorentz " + setting_number(s.lorentzX) + ' ' + setting_number(s.lorentzY) + "\n";
    text += "size " + setting_number(s.sizeNm) + ' ' + setting_number(s.scherrerK) + "\n";
    text += "strain " + setting_number(s.strainPercent) +
            (s.strainShape == StrainShape::Lorentzian ? " lorentz" : " gauss") + "\n";
    text += "asymmetry " + setting_number(s.axialSL) + ' ' + setting_number(s.axialHL) + "\n";
    text += "zero " + setting_number(s.zeroShift) + "\n";
    text += "displacement " + setting_number(s.displacementMm) + ' ' + setting_number(s.radiusMm) + "\n";
    if (s.transparency != 0)  // a later setting: files without it stay as they were
        text += "transparency " + setting_number(s.transparency) + "\n";
    text += correction_lines(s.corrections);  // likewise
    const PreferredOrientation& p = sample.preferred;
    text += "preferred " + std::to_string(p.h) + ' ' + std::to_string(p.k) + ' ' + std::to_string(p.l) + ' ' +
            setting_number(p.ratio) + ' ' + setting_number(p.fraction) + "\n";
    if (sample.isotropic)
        text += "isotropic\n";
    return text + refinement_lines(refinement);
}

bool parse_profile_companion(const TextLines& lines, ProfileSettings& settings, SampleSettings& sample,
                             std::string& error, RefinementSettings* refinement)
{
    if (lines.empty() || trim(lines[0]) != kHeader) {
        error = "not a sample and profile file";
        return false;
    }
    ProfileSettings read;
    SampleSettings readSample;
    RefinementSettings readRefinement;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> words = split_words(lines[i]);
        const bool refinementLine = !words.empty() && is_refinement_key(words[0]);
        if (refinementLine ? !read_refinement_line(words, readRefinement)
                           : !words.empty() && !read_line(words, read, readSample)) {
            error = "read error in line " + std::to_string(i + 1);
            return false;
        }
    }
    const std::string problem = profile_settings_problem(read);
    if (!problem.empty()) {
        error = problem;
        return false;
    }
    settings = read;
    sample = readSample;
    if (refinement)
        *refinement = readRefinement;
    return true;
}

void read_profile_companion(StructureModel& model, const std::filesystem::path& cryFile, Messages& messages)
{
    model.profile = {};
    model.sample = {};
    model.refinement = {};
    const std::filesystem::path companion = profile_companion_path(cryFile);
    std::error_code code;
    if (!std::filesystem::is_regular_file(companion, code))
        return;
    const auto lines = read_text_lines(companion, messages);
    std::string error;
    if (lines && !parse_profile_companion(*lines, model.profile, model.sample, error, &model.refinement))
        messages.warning("The sample and profile settings of " + file_name_only(companion.string()) +
                         " were not read (" + error + ")");
}

bool write_profile_companion(const StructureModel& model, const std::filesystem::path& cryFile, Messages& messages)
{
    const std::filesystem::path companion = profile_companion_path(cryFile);
    std::error_code code;
    if (is_default(model.profile) && is_default(model.sample) && is_default(model.refinement)) {
        std::filesystem::remove(companion, code);
        return true;
    }
    std::ofstream out(companion, std::ios::binary | std::ios::trunc);
    out << format_profile_companion(model.profile, model.sample, model.refinement);
    if (!out.flush()) {
        messages.warning("Cannot write the file " + file_name_only(companion.string()));
        return false;
    }
    return true;
}

}  // namespace kalidos
