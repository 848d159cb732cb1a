#include "refinement_output/extracted_intensities.hpp"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "util/su_text.hpp"

namespace kalidos {
namespace {

constexpr double kLargestHklf = 9999.99;

std::string hklf_line(int h, int k, int l, double f2, double su)
{
    char line[64];
    std::snprintf(line, sizeof line, "%4d%4d%4d%8.2f%8.2f\n", h, k, l, f2, su);
    return line;
}

}  // namespace

std::string hklf4_text(const RefinedPhase& phase, double* scale)
{
    double largest = 0;
    for (const ExtractedReflection& r : phase.reflections)
        largest = std::max(largest, r.f2);
    const double factor = largest > 0 ? kLargestHklf / largest : 1;
    if (scale)
        *scale = factor;
    std::string text;
    for (const ExtractedReflection& r : phase.reflections)
        text += hklf_line(r.h, r.k, r.l, std::max(r.f2, 0.0) * factor, r.su * factor);
    return text + hklf_line(0, 0, 0, 0, 0);
}

std::string refln_cif_text(const RefinedPhase& phase, const std::string& blockName, const StructureUncertainties& su,
                           const RefinementFigures& figures)
{
    std::ostringstream out;
    out << refined_cif_text(phase.refined, blockName, su, figures);
    const StructureModel& m = phase.refined;
    if (m.wavelengths.count > 0)
        out << "_diffrn_radiation_wavelength " << value_su_text(m.wavelengths.values[1], 0, 6) << '\n';
    out << "_refln_observed_criterion ?\n";
    out << "_kalidos_refln_method '" << intensity_method_text(phase.method) << "'\n";
    const bool calculated = m.atomCount > 0;
    out << "loop_\n_refln_index_h\n_refln_index_k\n_refln_index_l\n_refln_d_spacing\n"
           "_kalidos_refln_two_theta\n_refln_F_squared_meas\n_refln_F_squared_sigma\n";
    if (calculated)
        out << "_refln_F_squared_calc\n";
    out << "_kalidos_refln_overlap\n";
    for (const ExtractedReflection& r : phase.reflections) {
        out << r.h << ' ' << r.k << ' ' << r.l << ' ' << value_su_text(r.d, 0, 6) << ' '
            << value_su_text(r.twoTheta, 0, 5) << ' ' << value_su_text(r.f2, 0, 6) << ' '
            << value_su_text(r.su, 0, 6);
        if (calculated)
            out << ' ' << value_su_text(r.f2Calculated, 0, 6);
        out << ' ' << (r.exact ? "exact" : r.overlapped ? "partial" : "none") << '\n';
    }
    return out.str();
}

}  // namespace kalidos
