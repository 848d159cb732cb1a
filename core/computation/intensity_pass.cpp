#include "computation/intensity_pass.hpp"

#include <algorithm>
#include <cmath>

#include "computation/listing_header.hpp"
#include "computation/listing_sections.hpp"
#include "computation/monochromator_polarisation.hpp"
#include "computation/preferred_orientation.hpp"
#include "computation/reflection_generation.hpp"
#include "computation/scattering.hpp"

namespace kalidos {
namespace {

constexpr double kRadiansToTwoTheta = 114.5914;
constexpr double kMinimumIntensity = 0.05;

struct Angles {
    double theta;  // radians
    double s;      // 1/(2d), Å⁻¹
};

bool generate(Workspace& workspace, Messages& messages)
{
    StructureModel& m = workspace.model;
    m.latticeLetter = m.spaceGroupSymbol.substr(0, 1);
    if (generate_reflections(m, workspace.results.reflections, messages))
        return true;
    beep_and_warn(messages, kNoReflection);
    return false;
}

Angles angles_of(Reflection& r)
{
    const double theta = std::asin(std::min(1.0, (r.lambda / 2) / r.d));
    r.twoTheta = theta * kRadiansToTwoTheta;
    return {theta, 1 / (2 * r.d)};
}

void xray_values(const StructureModel& m, int pass, double scaleK, const double* sums, double s, PassValues& v)
{
    double ap = 0, bp = 0, am = 0, bm = 0;
    for (int e = 1; e <= m.elementCount; ++e) {
        const ScatteringFactor f = atom_scattering_factor(m, e, pass, s);
        const double p = sums[2 * (e - 1)], q = sums[2 * (e - 1) + 1];
        ap += f.f * p - f.fSecond * q;
        bp += f.fSecond * p + f.f * q;
        am += f.f * p + f.fSecond * q;
        bm += f.fSecond * p - f.f * q;
    }
    v.aPlus = ap * scaleK;
    v.bPlus = bp * scaleK;
    v.aMinus = am * scaleK;
    v.bMinus = bm * scaleK;
}

// The largest intensity of the list, as the 32-bit value the listings divide by.
float largest_intensity(const CountedTable<Reflection>& list)
{
    float largest = 0;
    for (const Reflection& r : list)
        largest = std::max(largest, static_cast<float>(r.intensity));
    return largest;
}

}  // namespace

double lorentz_polarisation(const StructureModel& m, double theta)
{
    const double sinTheta = std::sin(theta);
    const double d = sinTheta * sinTheta * std::cos(theta);
    const double cos2 = std::cos(2 * theta);
    if (m.radiation == kNeutrons)
        return 1 / d;
    if (m.xraySource == kSynchrotronSource)
        return (m.polarisation * cos2 * cos2 + (1 - m.polarisation)) / d;
    if (m.profile.corrections.monochromatorTwoTheta > 0)
        return monochromator_polarisation(theta, m.profile.corrections.monochromatorTwoTheta) / d;
    return (1 + cos2 * cos2) * 0.5 / d;
}

double neutron_intensity_factor(const StructureModel& m)
{
    double s = 0, magnitude = 0;
    for (int n = 1; n <= m.atomCount; ++n) {
        s += m.atomMultiplicity[n] * m.atomFermiLength[n];
        magnitude += std::fabs(m.atomMultiplicity[n] * m.atomFermiLength[n]);
    }
    if (s == 0)
        s = magnitude;
    const double operators = m.operatorCount;
    if (s == 0 || operators == 0)
        return 1.0;
    const double g = 1000 / (s * s * operators * operators * operators);
    return m.inversionAdded == 1 ? 4 * g : g;
}

bool xray_pass(Workspace& workspace, ListingFiles& files, StructureFactorEngine& engine, Messages& messages)
{
    if (!generate(workspace, messages))
        return false;
    StructureModel& m = workspace.model;
    CalculationResults& res = workspace.results;
    engine.prepare(res.reflections);
    const PreferredOrientationFactors preferred(m);
    res.passValues.count = res.reflections.count;
    for (int i = 1; i <= res.reflections.count; ++i) {
        Reflection& r = res.reflections[i];
        PassValues& v = res.passValues[i];
        v = PassValues{};
        const Angles a = angles_of(r);
        xray_values(m, res.passIndex, res.structureFactorScale, engine.sums(r), a.s, v);
        const double f2 = (v.aPlus * v.aPlus + v.bPlus * v.bPlus + v.aMinus * v.aMinus + v.bMinus * v.bMinus) / 2;
        v.lp = lorentz_polarisation(m, a.theta);
        r.intensity = std::max(r.multiplicity * f2 * v.lp * preferred(r.h, r.k, r.l), kMinimumIntensity);
        v.fPlus = std::sqrt(v.aPlus * v.aPlus + v.bPlus * v.bPlus);
        v.fMinus = std::sqrt(v.aMinus * v.aMinus + v.bMinus * v.bMinus);
        v.fMean = (v.fPlus + v.fMinus) / 2;
    }
    const double listingFactor = 100 / static_cast<double>(largest_intensity(res.reflections));
    if (files.skipped)
        return true;
    if (res.passIndex == 1)
        write_short_header(workspace, files.brief);
    write_xray_sections(workspace, listingFactor, files.detailed, files.brief);
    return true;
}

bool neutron_pass(Workspace& workspace, ListingFiles& files, StructureFactorEngine& engine, Messages& messages)
{
    if (!generate(workspace, messages))
        return false;
    StructureModel& m = workspace.model;
    CalculationResults& res = workspace.results;
    engine.prepare(res.reflections);
    const PreferredOrientationFactors preferred(m);
    res.passValues.count = res.reflections.count;
    for (int i = 1; i <= res.reflections.count; ++i) {
        Reflection& r = res.reflections[i];
        PassValues& v = res.passValues[i];
        v = PassValues{};
        const Angles a = angles_of(r);
        const double* sums = engine.sums(r);
        v.a = sums[0] * res.structureFactorScale;
        v.b = sums[1] * res.structureFactorScale;
        v.lp = lorentz_polarisation(m, a.theta);
        r.intensity = std::max(r.multiplicity * (v.a * v.a + v.b * v.b) * v.lp * preferred(r.h, r.k, r.l),
                               kMinimumIntensity);
        v.f = std::sqrt(v.a * v.a + v.b * v.b);
    }
    const float imax = largest_intensity(res.reflections);
    const bool firstPass = res.passIndex == 1;
    if (firstPass)
        res.neutronFactor = neutron_intensity_factor(m);
    for (Reflection& r : res.reflections)
        r.intensity *= res.neutronFactor;
    if (files.skipped)
        return true;
    if (firstPass)
        write_short_header(workspace, files.brief);
    write_neutron_sections(workspace, firstPass, imax, files.detailed, files.brief);
    return true;
}

}  // namespace kalidos
