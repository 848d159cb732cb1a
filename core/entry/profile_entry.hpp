// The "Sample and profile" dialog's fields as texts, and their reading into the profile settings.
#pragma once

#include <array>
#include <string>

#include "model/profile_settings.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// The numeric fields, in the dialog's order.
enum ProfileField {
    kFieldGaussU, kFieldGaussV, kFieldGaussW, kFieldGaussP, kFieldLorentzX, kFieldLorentzY,
    kFieldSize, kFieldScherrer, kFieldStrain, kFieldAxialSL, kFieldAxialHL,
    kFieldZero, kFieldDisplacement, kFieldRadius, kFieldTransparency,
    kFieldMonochromator, kFieldCylinder, kFieldPlate, kFieldRoughnessP, kFieldRoughnessQ, kFieldSlit,
    kFieldSampleLength, kProfileFieldCount
};

struct ProfileEntry {
    ProfileFunction function = ProfileFunction::Seed;
    StrainShape strainShape = StrainShape::Gaussian;
    MonochromatorPlace monochromatorPlace = MonochromatorPlace::Diffracted;
    std::array<std::string, kProfileFieldCount> texts;
};

// The range of each field (its label, limits and unit).
const ProfileLimit& profile_field_limit(int field);

// The settings as the dialog shows them (shortest texts that read back the same values).
ProfileEntry profile_entry_from(const ProfileSettings& settings);

// Reads every text into `settings` (left unchanged on a refusal). A text that is not a number is
// refused with "Typing error!", a value out of its range with its range; both beep. Returns the
// refused field, or -1 when everything was read. A slit without a sample length (or the reverse)
// is refused at the slit.
int read_profile_entry(const ProfileEntry& entry, ProfileSettings& settings, Messages& messages);

}  // namespace kalidos
