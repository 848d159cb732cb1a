#include "computation/listing_sections.hpp"

#include <string>

#include "computation/listing_header.hpp"
#include "computation/scattering.hpp"
#include "util/pascal_format.hpp"

namespace kalidos {
namespace {

// Number, two blanks, h, k, l: the start of the rows of fstr2.out.
std::string numbered_indices(int i, const Reflection& r)
{
    return fmt_int(i, 3) + "  " + fmt_int(r.h, 3) + fmt_int(r.k, 3) + fmt_int(r.l, 3);
}

std::string intensity_row(int i, const Reflection& r, const PassValues& v, double listedIntensity)
{
    return numbered_indices(i, r) + fmt_fixed(r.twoTheta, 9, 3) + fmt_fixed(r.d, 8, 4) + fmt_int(r.multiplicity, 4) +
           fmt_fixed(v.lp, 7, 2) + "  " + fmt_fixed(listedIntensity, 11, 2);
}

void write_scattering_factors(const Workspace& workspace, std::ostream& out)
{
    const StructureModel& m = workspace.model;
    const CalculationResults& res = workspace.results;
    out << "\nAtomic scattering factors\n";
    out << " Nb    h  k  l   1/2dhkl   atom      f         f'       f'' \n";
    for (int i = 1; i <= res.reflections.count; ++i) {
        const Reflection& r = res.reflections[i];
        const double s = 1 / (2 * r.d);
        out << numbered_indices(i, r) << fmt_fixed(s, 10, 5) << '\n';
        for (int e = 1; e <= m.elementCount; ++e) {
            const ScatteringFactor f = atom_scattering_factor(m, e, res.passIndex, s);
            const ScatteringFactor bare = atom_scattering_factor(m, e, 0, s);  // f0 alone: pass 0 has no f'
            const bool anomalous = res.passIndex >= 1 && res.passIndex <= kAnomalousWavelengths;
            out << std::string(28, ' ') << listed_element(m.elementSymbols[e]) << fmt_fixed(bare.f, 10, 2)
                << fmt_fixed(anomalous ? m.fPrime[res.passIndex][e] : 0.0, 10, 2) << fmt_fixed(f.fSecond, 10, 2)
                << '\n';
        }
    }
}

// The table of fstr.out, common to both radiations.
void write_brief_table(const Workspace& workspace, bool neutrons, double listingFactor, std::ostream& out)
{
    const StructureModel& m = workspace.model;
    const CalculationResults& res = workspace.results;
    const bool rhombohedral = m.crystalSystem == "RHOM";
    out << "   h   k   l   dhkl   2Theta  Mult  Lp      Fhkl   Intensity" << (rhombohedral ? "   Hexa indices" : "")
        << "\n\n";
    for (int i = 1; i <= res.reflections.count; ++i) {
        const Reflection& r = res.reflections[i];
        const PassValues& v = res.passValues[i];
        out << fmt_int(r.h, 4) << fmt_int(r.k, 4) << fmt_int(r.l, 4) << fmt_fixed(r.d, 8, 4)
            << fmt_fixed(r.twoTheta, 8, 3) << fmt_int(r.multiplicity, 4) << fmt_fixed(v.lp, 7, 2)
            << fmt_fixed(neutrons ? v.f : v.fMean, 10, 2)
            << fmt_fixed(neutrons ? r.intensity : listingFactor * r.intensity, 10, 2);
        if (rhombohedral)
            out << "    " << fmt_int(r.h - r.k, 4) << fmt_int(r.k - r.l, 3) << fmt_int(r.h + r.k + r.l, 3);
        out << '\n';
    }
}

}  // namespace

void write_xray_sections(const Workspace& workspace, double listingFactor, std::ostream& detailed,
                         std::ostream& brief)
{
    const CalculationResults& res = workspace.results;
    const double lambda = workspace.model.wavelengths.current;
    detailed << "\nThe intensities were multiplied by:" << fmt_exp13(listingFactor) << "\n\n";
    detailed << "Results for lambda=" << fmt_fixed(lambda, 8, 5) << "\n\n";
    detailed << " Nb    h  k  l   2Theta   dhkl    N    LP       Intensity \n";
    for (int i = 1; i <= res.reflections.count; ++i)
        detailed << intensity_row(i, res.reflections[i], res.passValues[i], listingFactor * res.reflections[i].intensity)
                 << '\n';
    detailed << "\nStructure factors\n";
    detailed << " Nb    h  k  l     A+      B+      A-      B-       F+       F-      Fmoy\n";
    for (int i = 1; i <= res.reflections.count; ++i) {
        const PassValues& v = res.passValues[i];
        detailed << numbered_indices(i, res.reflections[i]) << fmt_fixed(v.aPlus, 8, 2) << fmt_fixed(v.bPlus, 8, 2)
                 << fmt_fixed(v.aMinus, 8, 2) << fmt_fixed(v.bMinus, 8, 2) << fmt_fixed(v.fPlus, 9, 2)
                 << fmt_fixed(v.fMinus, 9, 2) << fmt_fixed(v.fMean, 9, 2) << '\n';
    }
    write_scattering_factors(workspace, detailed);

    brief << "\nResults for lambda=" << fmt_fixed(lambda, 8, 5) << "\n\n";
    brief << "The intensities were multiplied by:" << fmt_exp13(listingFactor) << "\n\n";
    write_brief_table(workspace, false, listingFactor, brief);
}

void write_neutron_sections(const Workspace& workspace, bool firstPass, double imax, std::ostream& detailed,
                            std::ostream& brief)
{
    const CalculationResults& res = workspace.results;
    const double lambda = workspace.model.wavelengths.current;
    const double g = res.neutronFactor;
    if (firstPass) {
        detailed << "The intensity was multiplied by:" << fmt_exp13(g) << '\n';
        detailed << "To normalise to 1000 multiply the intensities by" << fmt_exp13(1000 / (g * imax)) << "\n\n";
    }
    detailed << "\nResults for lambda=" << fmt_fixed(lambda, 8, 5) << "\n\n";
    detailed << " No    h  k  l   2Theta   dhkl    N    LP       Intensity\n";
    for (int i = 1; i <= res.reflections.count; ++i)
        detailed << intensity_row(i, res.reflections[i], res.passValues[i], res.reflections[i].intensity) << '\n';
    detailed << "\nStructure factors\n";
    detailed << " No    h  k  l     A       B        F\n";
    for (int i = 1; i <= res.reflections.count; ++i) {
        const PassValues& v = res.passValues[i];
        detailed << numbered_indices(i, res.reflections[i]) << fmt_fixed(v.a, 8, 3) << fmt_fixed(v.b, 8, 3)
                 << fmt_fixed(v.f, 9, 4) << '\n';
    }

    brief << "\nResults for lambda=" << fmt_fixed(lambda, 8, 5) << "\n\n\n";
    write_brief_table(workspace, true, 1.0, brief);
}

}  // namespace kalidos
