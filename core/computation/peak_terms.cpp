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
    const ProfileSettings& s = m.profile;
    const bool asymmetric = s.axialSL + s.axialHL > 0;
    const bool corrected = s.corrections.specimen();
    std::vector<ProfileTerm> terms, copies;
    terms.reserve(reflections.size());
    for (const Reflection& r : reflections) {
        if (peak_width_refusal(m, r.twoTheta))
            continue;
        const double intensity = corrected ? r.intensity * specimen_intensity_factor(s, r.twoTheta) : r.intensity;
        const PeakShape p = peak_shape(m, r.twoTheta, r.lambda, intensity);
        const ProfileTerm term{p.position, p.fwhm / 2, p.heightEta, p.height};
        if (!asymmetric && s.transparency == 0) {
            terms.push_back(term);
            continue;
        }
        copies.clear();
        if (asymmetric)
            add_axially_divergent_terms(term, s.axialSL, s.axialHL, copies);
        else
            copies.push_back(term);
        add_transparency_tail(copies, transparency_tail_length(p.position, s.transparency), terms);
    }
    return terms;
}

}  // namespace kalidos
