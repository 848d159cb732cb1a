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

void take_instrument_profile(const ProfileSettings& p, Instrument& i)
{
    i.function = p.function;
    i.gaussU = p.gaussU, i.gaussV = p.gaussV, i.gaussW = p.gaussW, i.gaussP = p.gaussP;
    i.lorentzX = p.lorentzX, i.lorentzY = p.lorentzY;
    i.axialSL = p.axialSL, i.axialHL = p.axialHL;
    i.zeroShift = p.zeroShift;
    i.radiusMm = p.radiusMm;
    i.monochromatorTwoTheta = p.corrections.monochromatorTwoTheta;
    i.monochromatorPlace = p.corrections.monochromatorPlace;
    i.slitDegrees = p.corrections.slitDegrees;
    i.sampleLengthMm = p.corrections.sampleLengthMm;
}

namespace {

void apply_to_profile(const Instrument& i, ProfileSettings& p)
{
    p.function = i.function;
    p.gaussU = i.gaussU, p.gaussV = i.gaussV, p.gaussW = i.gaussW, p.gaussP = i.gaussP;
    p.lorentzX = i.lorentzX, p.lorentzY = i.lorentzY;
    p.axialSL = i.axialSL, p.axialHL = i.axialHL;
    p.zeroShift = i.zeroShift;
    p.radiusMm = i.radiusMm;
    p.corrections.monochromatorTwoTheta = i.monochromatorTwoTheta;
    p.corrections.monochromatorPlace = i.monochromatorPlace;
    p.corrections.slitDegrees = i.slitDegrees;
    p.corrections.sampleLengthMm = i.sampleLengthMm;
}

}  // namespace

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
