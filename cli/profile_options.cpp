#include "profile_options.hpp"

#include <map>
#include <optional>

#include "batch_options.hpp"

namespace kalidos::batch {
namespace {

class ValueReader {
public:
    ValueReader(const std::string& option, const std::vector<std::string>& arguments, std::size_t& next,
                std::string& error)
        : option_(option), args_(arguments), next_(next), error_(error)
    {
    }

    // The next argument as a number; an error when it is missing or not a number.
    bool number(double& value)
    {
        if (next_ >= args_.size())
            return fail("option " + option_ + " needs more values");
        const auto parsed = decimal_number(args_[next_]);
        if (!parsed)
            return fail("option " + option_ + ": \"" + args_[next_] + "\" is not a number");
        value = *parsed;
        ++next_;
        return true;
    }

    // The next argument when it is a number; nothing is taken otherwise.
    void optional_number(double& value)
    {
        if (next_ < args_.size() && decimal_number(args_[next_])) {
            value = *decimal_number(args_[next_]);
            ++next_;
        }
    }

    // The next argument when it is one of `words`, as its index; -1 and nothing taken otherwise.
    int optional_word(std::initializer_list<const char*> words)
    {
        int index = 0;
        for (const char* word : words) {
            if (next_ < args_.size() && args_[next_] == word) {
                ++next_;
                return index;
            }
            ++index;
        }
        return -1;
    }

    bool fail(const std::string& text)
    {
        error_ = text;
        return false;
    }

private:
    const std::string& option_;
    const std::vector<std::string>& args_;
    std::size_t& next_;
    std::string& error_;
};

// --monochromator 2THETA [incident|diffracted], --capillary MUR, --plate MUT, --roughness P Q,
// --overspill SLIT LENGTH.
bool read_correction(const std::string& name, ValueReader& in, IntensityCorrections& c)
{
    if (name == "--monochromator") {
        if (!in.number(c.monochromatorTwoTheta))
            return false;
        if (in.optional_word({"diffracted", "incident"}) == 1)
            c.monochromatorPlace = MonochromatorPlace::Incident;
        return true;
    }
    if (name == "--capillary")
        return in.number(c.cylinderMuR);
    if (name == "--plate")
        return in.number(c.plateMuT);
    if (name == "--roughness")
        return in.number(c.roughnessP) && in.number(c.roughnessQ);
    return in.number(c.slitDegrees) && in.number(c.sampleLengthMm);  // --overspill
}

bool read_values(const std::string& name, ValueReader& in, ProfileSettings& s)
{
    if (name == "--profile") {
        const int word = in.optional_word({"seed", "tch"});
        if (word < 0)
            return in.fail("option --profile: expected seed or tch");
        s.function = word == 0 ? ProfileFunction::Seed : ProfileFunction::Tch;
        return true;
    }
    if (name == "--gauss")
        return in.number(s.gaussU) && in.number(s.gaussV) && in.number(s.gaussW) && in.number(s.gaussP);
    if (name == "--lorentz")
        return in.number(s.lorentzX) && in.number(s.lorentzY);
    if (name == "--size") {
        if (!in.number(s.sizeNm))
            return false;
        in.optional_number(s.scherrerK);
        return true;
    }
    if (name == "--strain") {
        if (!in.number(s.strainPercent))
            return false;
        if (in.optional_word({"gauss", "lorentz"}) == 1)
            s.strainShape = StrainShape::Lorentzian;
        return true;
    }
    if (name == "--asymmetry")
        return in.number(s.axialSL) && in.number(s.axialHL);
    if (name == "--zero")
        return in.number(s.zeroShift);
    if (name == "--transparency")
        return in.number(s.transparency);
    if (name == "--displacement")
        return in.number(s.displacementMm) && in.number(s.radiusMm);
    return read_correction(name, in, s.corrections);
}

}  // namespace

OptionRead read_profile_option(const std::string& name, const std::vector<std::string>& arguments, std::size_t& next,
                               ProfileSettings& settings, std::string& error)
{
    static const char* const names[] = {"--profile", "--gauss",    "--lorentz", "--size",
                                        "--strain",  "--asymmetry", "--zero",    "--displacement",
                                        "--transparency", "--monochromator", "--capillary", "--plate",
                                        "--roughness", "--overspill"};
    bool known = false;
    for (const char* n : names)
        known = known || name == n;
    if (!known)
        return OptionRead::NotProfile;
    ValueReader in(name, arguments, next, error);
    if (!read_values(name, in, settings))
        return OptionRead::Error;
    const std::string problem = profile_settings_problem(settings);
    if (!problem.empty()) {
        error = "option " + name + ": " + problem;
        return OptionRead::Error;
    }
    return OptionRead::Read;
}

}  // namespace kalidos::batch
