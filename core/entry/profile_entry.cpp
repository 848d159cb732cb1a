#include "entry/profile_entry.hpp"

#include <charconv>

#include "util/number_text.hpp"

namespace kalidos {
namespace {

double* field_value(ProfileSettings& s, int field)
{
    IntensityCorrections& c = s.corrections;
    double* const values[kProfileFieldCount] = {
        &s.gaussU,    &s.gaussV,        &s.gaussW,  &s.gaussP,       &s.lorentzX,        &s.lorentzY, &s.sizeNm,
        &s.scherrerK, &s.strainPercent, &s.axialSL, &s.axialHL,      &s.zeroShift,       &s.displacementMm,
        &s.radiusMm,  &s.transparency,  &c.monochromatorTwoTheta, &c.cylinderMuR, &c.plateMuT,
        &c.roughnessP, &c.roughnessQ, &c.slitDegrees, &c.sampleLengthMm};
    return values[field];
}

}  // namespace

const ProfileLimit& profile_field_limit(int field)
{
    static const ProfileLimit* const limits[kProfileFieldCount] = {
        &kGaussULimit, &kGaussVLimit,  &kGaussWLimit, &kGaussPLimit, &kLorentzXLimit, &kLorentzYLimit,
        &kSizeLimit,   &kScherrerLimit, &kStrainLimit, &kAxialLimit,  &kAxialLimit,    &kZeroLimit,
        &kDisplacementLimit, &kRadiusLimit, &kTransparencyLimit, &kMonochromatorLimit, &kCylinderLimit,
        &kPlateLimit,  &kRoughnessPLimit, &kRoughnessQLimit, &kSlitLimit, &kSampleLengthLimit};
    return *limits[field];
}

ProfileEntry profile_entry_from(const ProfileSettings& settings)
{
    ProfileEntry entry{settings.function, settings.strainShape, settings.corrections.monochromatorPlace, {}};
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
    read.corrections.monochromatorPlace = entry.monochromatorPlace;
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
    if ((read.corrections.slitDegrees > 0) != (read.corrections.sampleLengthMm > 0)) {
        beep_and_warn(messages, profile_settings_problem(read));
        return kFieldSlit;
    }
    settings = read;
    return -1;
}

}  // namespace kalidos
