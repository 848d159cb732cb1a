#include "computation/peak_terms.hpp"

#include "computation/axial_asymmetry.hpp"
#include "computation/intensity_correction.hpp"
#include "computation/peak_shape.hpp"
#include "computation/specimen_transparency.hpp"

namespace kalidos {

std::vector<ProfileTerm> profile_terms(const Workspace& workspace)
{
    const CountedTable<Reflection>& merged = workspace.results.merged;
    return profile_terms_of(workspace.model, std::span<const Reflection>(merged.begin(), merged.end()));
}

std::vector<ProfileTerm> profile_terms_of(const StructureModel& m, std::span<const Reflection> reflections)
{
    std::vector<ProfileTerm> terms, copies;
    terms.reserve(reflections.size());
    for (const Reflection& r : reflections)
        append_profile_terms(m, r, terms, copies);
    return terms;
}

bool append_profile_terms(const StructureModel& m, const Reflection& r, std::vector<ProfileTerm>& terms,
                          std::vector<ProfileTerm>& copies)
{
    const ProfileSettings& s = m.profile;
    const double intensity = s.corrections.specimen() ? r.intensity * specimen_intensity_factor(s, r.twoTheta)
                                                      : r.intensity;
    PeakShape p;
    if (checked_peak_shape(m, r.twoTheta, r.lambda, intensity, p))
        return false;
    const ProfileTerm term{p.position, p.fwhm / 2, p.heightEta, p.height};
    const bool asymmetric = s.axialSL + s.axialHL > 0;
    if (!asymmetric && s.transparency == 0) {
        terms.push_back(term);
        return true;
    }
    copies.clear();
    if (asymmetric)
        add_axially_divergent_terms(term, s.axialSL, s.axialHL, copies);
    else
        copies.push_back(term);
    add_transparency_tail(copies, transparency_tail_length(p.position, s.transparency), terms);
    return true;
}

}  // namespace kalidos
