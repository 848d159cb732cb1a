// The sample fields of the "Sample and profile" dialog: preferred orientation and the isotropic switch.
#pragma once

#include <array>
#include <string>

#include "model/sample_defaults.hpp"
#include "ui/messages.hpp"

namespace kalidos {

enum SampleField { kFieldPreferredH, kFieldPreferredK, kFieldPreferredL, kFieldRatio, kFieldFraction, kSampleFieldCount };

struct SampleEntry {
    std::array<std::string, kSampleFieldCount> texts;
    bool isotropic = false;
};

SampleEntry sample_entry_from(const SampleSettings& settings);

// Reads the fields into `settings` (unchanged on a refusal): h, k, l whole numbers not all 0, the
// ratio r above 0 (at most 100), the fraction f from 0 to 1. A text that is not a number is refused
// with "Typing error!", a value out of range with what is allowed; both beep. Returns the refused
// field, or -1.
int read_sample_entry(const SampleEntry& entry, SampleSettings& settings, Messages& messages);

}  // namespace kalidos
