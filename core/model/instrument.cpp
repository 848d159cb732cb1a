#include "model/instrument.hpp"

#include <cmath>

#include "model/structure_model.hpp"

namespace kalidos {

Instrument instrument_of(const StructureModel& m)
{
    Instrument i;
    i.radiation = m.radiation;
    i.xraySource = m.xraySource;
    i.polarisation = m.polarisation;
    for (int w = 1; w <= m.wavelengths.count; ++w)
        i.wavelengths.push_back({m.wavelengths.values[w], m.wavelengths.weights[w]});
    i.seedU = m.u, i.seedV = m.v, i.seedW = m.w;
    take_instrument_profile(m.profile, i);
    return i;
}

namespace {

// The instrument's numbers among the profile settings, each beside its place in the instrument.
struct ProfileNumber {
    double Instrument::*instrument;
    double ProfileSettings::*profile;
};
constexpr ProfileNumber kProfileNumbers[] = {
    {&Instrument::gaussU, &ProfileSettings::gaussU},       {&Instrument::gaussV, &ProfileSettings::gaussV},
    {&Instrument::gaussW, &ProfileSettings::gaussW},       {&Instrument::gaussP, &ProfileSettings::gaussP},
    {&Instrument::lorentzX, &ProfileSettings::lorentzX},   {&Instrument::lorentzY, &ProfileSettings::lorentzY},
    {&Instrument::axialSL, &ProfileSettings::axialSL},     {&Instrument::axialHL, &ProfileSettings::axialHL},
    {&Instrument::zeroShift, &ProfileSettings::zeroShift}, {&Instrument::radiusMm, &ProfileSettings::radiusMm}};

struct CorrectionNumber {
    double Instrument::*instrument;
    double IntensityCorrections::*correction;
};
constexpr CorrectionNumber kCorrectionNumbers[] = {
    {&Instrument::monochromatorTwoTheta, &IntensityCorrections::monochromatorTwoTheta},
    {&Instrument::slitDegrees, &IntensityCorrections::slitDegrees},
    {&Instrument::sampleLengthMm, &IntensityCorrections::sampleLengthMm}};

void apply_to_profile(const Instrument& i, ProfileSettings& p)
{
    p.function = i.function;
    p.corrections.monochromatorPlace = i.monochromatorPlace;
    for (const ProfileNumber& n : kProfileNumbers)
        p.*n.profile = i.*n.instrument;
    for (const CorrectionNumber& n : kCorrectionNumbers)
        p.corrections.*n.correction = i.*n.instrument;
}

}  // namespace

void take_instrument_profile(const ProfileSettings& p, Instrument& i)
{
    i.function = p.function;
    i.monochromatorPlace = p.corrections.monochromatorPlace;
    for (const ProfileNumber& n : kProfileNumbers)
        i.*n.instrument = p.*n.profile;
    for (const CorrectionNumber& n : kCorrectionNumbers)
        i.*n.instrument = p.corrections.*n.correction;
}

void apply_instrument(const Instrument& i, StructureModel& m)
{
    m.radiation = i.radiation;
    m.xraySource = i.xraySource;
    m.polarisation = i.polarisation;
    m.u = i.seedU, m.v = i.seedV, m.w = i.seedW;
    apply_to_profile(i, m.profile);
}

std::string instrument_problem(const Instrument& i)
{
    if (i.radiation != kXrays && i.radiation != kNeutrons)
        return "the radiation is neither X-rays nor neutrons";
    if (!(i.polarisation >= 0 && i.polarisation <= 1))
        return "the polarisation p must lie between 0 and 1";
    if (i.wavelengths.size() > static_cast<std::size_t>(kAnomalousWavelengths))
        return "at most " + std::to_string(kAnomalousWavelengths) + " wavelengths";
    double weights = 0;
    for (const InstrumentLine& line : i.wavelengths) {
        if (!(line.lambda > 0 && line.lambda <= 100) || !(line.weight >= 0 && line.weight <= 1e6))
            return "a wavelength must lie above 0 and at most 100 Å, its weight between 0 and 1e6";
        weights += line.weight;
    }
    if (!i.wavelengths.empty() && !(weights > 0))
        return "the wavelengths' weights are all 0";
    if (!std::isfinite(i.seedU) || !std::isfinite(i.seedV) || !std::isfinite(i.seedW) || std::fabs(i.seedU) > 1e6 ||
        std::fabs(i.seedV) > 1e6 || std::fabs(i.seedW) > 1e6)
        return "the U, V, W of the half-width curve are not usable numbers";
    ProfileSettings p;
    apply_to_profile(i, p);
    return profile_settings_problem(p);
}

}  // namespace kalidos
