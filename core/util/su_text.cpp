#include "util/su_text.hpp"

#include <cmath>
#include <cstdio>

namespace kalidos {
namespace {

std::string fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string out = text;
    if (out.find_first_not_of("-0.") == std::string::npos)
        out = out.substr(out[0] == '-' ? 1 : 0);  // no "-0.000"
    return out;
}

std::string plain(double value, int digits)
{
    std::string text = fixed(value, digits);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
    }
    return text;
}

}  // namespace

std::string value_su_text(double value, double su, int plainDigits)
{
    if (!(su > 0) || !std::isfinite(su))
        return plain(value, plainDigits);
    // The su's last kept decimal: two significant digits up to 19 of them, else one.
    int decimals = 1 - static_cast<int>(std::floor(std::log10(su)));
    if (std::round(su * std::pow(10.0, decimals)) >= 20)
        --decimals;
    if (decimals <= 0) {
        // The su is a whole number: the value and su rounded to its last significant place.
        const double unit = std::pow(10.0, -decimals);
        return fixed(std::round(value / unit) * unit, 0) + "(" + fixed(std::round(su / unit) * unit, 0) + ")";
    }
    return fixed(value, decimals) + "(" + fixed(std::round(su * std::pow(10.0, decimals)), 0) + ")";
}

}  // namespace kalidos
