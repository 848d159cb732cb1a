// Comparisons of the sample settings: whether two are the same, whether one is the default.
#pragma once

#include "model/sample_settings.hpp"

namespace kalidos {

inline bool same_sample_settings(const SampleSettings& a, const SampleSettings& b)
{
    const PreferredOrientation& p = a.preferred;
    const PreferredOrientation& q = b.preferred;
    return p.h == q.h && p.k == q.k && p.l == q.l && p.ratio == q.ratio && p.fraction == q.fraction &&
           a.isotropic == b.isotropic;
}

inline bool is_default(const SampleSettings& settings)
{
    return same_sample_settings(settings, SampleSettings{});
}

}  // namespace kalidos
