// The sample and profile settings in the program's QSettings, between sessions.
#pragma once

#include "model/profile_settings.hpp"
#include "model/sample_settings.hpp"

class QSettings;

namespace kalidos::app {

void write_sample_profile(QSettings& settings, const SampleSettings& sample, const ProfileSettings& profile);

// The stored settings when every value is there and in its range; false (and both left alone)
// otherwise, so that a damaged or partial store never reaches the calculation.
bool read_sample_profile(const QSettings& settings, SampleSettings& sample, ProfileSettings& profile);

}  // namespace kalidos::app
