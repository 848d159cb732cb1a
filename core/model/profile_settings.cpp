#include "model/profile_settings.hpp"

#include <cmath>
#include <span>
#include <sstream>

namespace kalidos {

std::string out_of_range_message(const ProfileLimit& limit, double value)
{
    if (value >= limit.low && value <= limit.high)
        return {};
    std::ostringstream text;
    text << limit.name << " must lie between " << limit.low << " and " << limit.high;
    if (*limit.unit)
        text << ' ' << limit.unit;
    text << '!';
    return text.str();
}

std::string profile_settings_problem(const ProfileSettings& s)
{
    const std::pair<const ProfileLimit*, double> checks[] = {
        {&kGaussULimit, s.gaussU},         {&kGaussVLimit, s.gaussV},       {&kGaussWLimit, s.gaussW},
        {&kGaussPLimit, s.gaussP},         {&kLorentzXLimit, s.lorentzX},   {&kLorentzYLimit, s.lorentzY},
        {&kSizeLimit, s.sizeNm},           {&kScherrerLimit, s.scherrerK},  {&kStrainLimit, s.strainPercent},
        {&kAxialLimit, s.axialSL},         {&kAxialLimit, s.axialHL},       {&kZeroLimit, s.zeroShift},
        {&kDisplacementLimit, s.displacementMm}, {&kRadiusLimit, s.radiusMm},
        {&kTransparencyLimit, s.transparency}};
    const IntensityCorrections& c = s.corrections;
    const std::pair<const ProfileLimit*, double> corrections[] = {
        {&kMonochromatorLimit, c.monochromatorTwoTheta}, {&kCylinderLimit, c.cylinderMuR},
        {&kPlateLimit, c.plateMuT},                      {&kRoughnessPLimit, c.roughnessP},
        {&kRoughnessQLimit, c.roughnessQ},               {&kSlitLimit, c.slitDegrees},
        {&kSampleLengthLimit, c.sampleLengthMm}};
    using Checks = std::span<const std::pair<const ProfileLimit*, double>>;
    for (const Checks list : {Checks(checks), Checks(corrections)})
        for (const auto& [limit, value] : list) {
            std::string message = out_of_range_message(*limit, value);
            if (!message.empty())
                return message;
        }
    if ((c.slitDegrees > 0) != (c.sampleLengthMm > 0))
        return "The divergence slit and the sample length go together: give both or neither!";
    return {};
}

}  // namespace kalidos
