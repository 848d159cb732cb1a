#include "entry/sample_entry.hpp"

#include <charconv>
#include <cmath>

#include "util/number_text.hpp"

namespace kalidos {
namespace {

// The refusal of field f holding `value`, empty when it is allowed.
std::string problem(int f, double value)
{
    if (f <= kFieldPreferredL)
        return value == std::floor(value) && std::fabs(value) <= 99 ? "" : "h, k, l must be whole numbers!";
    if (f == kFieldRatio)
        return value > 0 && value <= 100 ? "" : "The ratio r must lie above 0 and at most 100!";
    return value >= 0 && value <= 1 ? "" : "The oriented fraction f must lie between 0 and 1!";
}

}  // namespace

SampleEntry sample_entry_from(const SampleSettings& s)
{
    const PreferredOrientation& p = s.preferred;
    return SampleEntry{{field_text(p.h), field_text(p.k), field_text(p.l), field_text(p.ratio), field_text(p.fraction)},
                       s.isotropic};
}

int read_sample_entry(const SampleEntry& entry, SampleSettings& settings, Messages& messages)
{
    const PreferredOrientation& now = settings.preferred;
    const double shown[kSampleFieldCount] = {double(now.h), double(now.k), double(now.l), now.ratio, now.fraction};
    double values[kSampleFieldCount] = {};
    for (int f = 0; f < kSampleFieldCount; ++f) {
        const auto value = field_number(entry.texts[static_cast<std::size_t>(f)], shown[f]);
        if (!value) {
            beep_and_warn(messages, "Typing error!");
            return f;
        }
        const std::string text = problem(f, *value);
        if (!text.empty()) {
            beep_and_warn(messages, text);
            return f;
        }
        values[f] = *value;
    }
    if (values[kFieldPreferredH] == 0 && values[kFieldPreferredK] == 0 && values[kFieldPreferredL] == 0) {
        beep_and_warn(messages, "h, k, l cannot all be 0!");
        return kFieldPreferredH;
    }
    PreferredOrientation& p = settings.preferred;
    p.h = static_cast<int>(values[kFieldPreferredH]);
    p.k = static_cast<int>(values[kFieldPreferredK]);
    p.l = static_cast<int>(values[kFieldPreferredL]);
    p.ratio = values[kFieldRatio];
    p.fraction = values[kFieldFraction];
    settings.isotropic = entry.isotropic;
    return -1;
}

}  // namespace kalidos
