#include "entry/profile_entry.hpp"

#include <charconv>

#include "util/number_text.hpp"

namespace kalidos {
namespace {

double* field_value(ProfileSettings& s, int field)
{
    double* const values[kProfileFieldCount] = {
        &s.gaussU,    &s.gaussV,        &s.gaussW,  &s.gaussP,       &s.lorentzX,        &s.lorentzY, &s.sizeNm,
        &s.scherrerK, &s.strainPercent, &s.axialSL, &s.axialHL,      &s.zeroShift,       &s.displacementMm,
        &s.radiusMm,  &s.transparency};
    return values[field];
}

}  // namespace

const ProfileLimit& profile_field_limit(int field)
{
    static const ProfileLimit* const limits[kProfileFieldCount] = {
        &kGaussULimit, &kGaussVLimit,  &kGaussWLimit, &kGaussPLimit, &kLorentzXLimit, &kLorentzYLimit,
        &kSizeLimit,   &kScherrerLimit, &kStrainLimit, &kAxialLimit,  &kAxialLimit,    &kZeroLimit,
        &kDisplacementLimit, &kRadiusLimit, &kTransparencyLimit};
    return *limits[field];
}

ProfileEntry profile_entry_from(const ProfileSettings& settings)
{
    ProfileEntry entry{settings.function, settings.strainShape, {}};
    ProfileSettings copy = settings;
    for (int f = 0; f < kProfileFieldCount; ++f)
        entry.texts[static_cast<std::size_t>(f)] = field_text(*field_value(copy, f));
    return entry;
}

int read_profile_entry(const ProfileEntry& entry, ProfileSettings& settings, Messages& messages)
{
    ProfileSettings read = settings;
    read.function = entry.function;
    read.strainShape = entry.strainShape;
    for (int f = 0; f < kProfileFieldCount; ++f) {
        const auto value = field_number(entry.texts[static_cast<std::size_t>(f)], *field_value(read, f));
        if (!value) {
            beep_and_warn(messages, "Typing error!");
            return f;
        }
        const std::string problem = out_of_range_message(profile_field_limit(f), *value);
        if (!problem.empty()) {
            beep_and_warn(messages, problem);
            return f;
        }
        *field_value(read, f) = *value;
    }
    settings = read;
    return -1;
}

}  // namespace kalidos
