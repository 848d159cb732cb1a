#include "model/profile_settings.hpp"

#include <cmath>
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
    for (const auto& [limit, value] : checks) {
        std::string message = out_of_range_message(*limit, value);
        if (!message.empty())
            return message;
    }
    return {};
}

}  // namespace kalidos
