#include "entry/range_entry.hpp"

#include <cmath>
#include <numbers>

#include "util/pascal_format.hpp"

namespace kalidos {

std::optional<RangeLimit> convert_limit(double v, AbscissaMode mode, double lambda)
{
    constexpr double fourPi = 4 * std::numbers::pi;
    switch (mode) {
    case AbscissaMode::Theta:
        return RangeLimit{2 * v, fourPi * std::sin(v * kDegToRad) / lambda};
    case AbscissaMode::TwoTheta:
        return RangeLimit{v, fourPi * std::sin(v * kDegToRad / 2) / lambda};
    case AbscissaMode::Q: {
        const double sine = v * lambda / fourPi;
        if (sine > 1 || sine < -1)
            return std::nullopt;
        return RangeLimit{kTwoThetaPerRadian * std::asin(sine), v};
    }
    }
    return std::nullopt;
}

void show_range(EntryForm& form, const StructureModel& model, AbscissaMode mode)
{
    const WavelengthSet& set = model.wavelengths;
    // With no wavelength the edit stays empty: a shown "0.00000" would be read back as a wavelength.
    if (set.count >= 2)
        form.lambda = "Multiple";
    else
        form.lambda = set.count == 1 ? fmt_fixed(set.values[1], 8, 5) : std::string();
    switch (mode) {
    case AbscissaMode::Theta:
        form.lower = fmt_fixed(model.twoTheta1 * 0.5, 7, 3);
        form.upper = fmt_fixed(model.twoTheta2 * 0.5, 7, 3);
        break;
    case AbscissaMode::TwoTheta:
        form.lower = fmt_fixed(model.twoTheta1, 7, 3);
        form.upper = fmt_fixed(model.twoTheta2, 7, 3);
        break;
    case AbscissaMode::Q:
        form.lower = fmt_fixed(model.q1, 7, 4);
        form.upper = fmt_fixed(model.q2, 7, 4);
        break;
    }
}

}  // namespace kalidos
