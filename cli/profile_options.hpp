// The command-line options of the profile settings: --profile, --gauss, --lorentz, --size, --strain,
// --asymmetry, --zero, --displacement, --transparency, and the intensity corrections --monochromator,
// --capillary, --plate, --roughness, --overspill.
#pragma once

#include <string>
#include <vector>

#include "model/profile_settings.hpp"

namespace kalidos::batch {

enum class OptionRead { NotProfile, Read, Error };

// Reads option `name` (already taken) and its values from arguments[next...], moving `next` past them.
// NotProfile: `name` is not a profile option; Error: `error` says what is wrong.
OptionRead read_profile_option(const std::string& name, const std::vector<std::string>& arguments, std::size_t& next,
                               ProfileSettings& settings, std::string& error);

}  // namespace kalidos::batch
