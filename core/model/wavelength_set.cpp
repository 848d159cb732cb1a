#include "model/wavelength_set.hpp"

#include <algorithm>  // for std::min, std::max

namespace kalidos {

void set_single_wavelength(StructureModel& model, double lambda)
{
    WavelengthSet& set = model.wavelengths;
    model.typedWavelength = lambda;
    set.count = 1;
    set.values[1] = lambda;
    set.weights[1] = 1;
    set.shortest = lambda;
    set.longest = lambda;
}

void update_wavelength_extremes(WavelengthSet& set)
{
    if (set.count <= 0) {
        set.shortest = 0;
        set.longest = 0;
        return;
    }
    // The composition dialog's start values.
    set.shortest = 1000;
    set.longest = 0;
    for (int i = 1; i <= set.count; ++i) {
        set.shortest = std::min(set.shortest, set.values[i]);
        set.longest = std::max(set.longest, set.values[i]);
    }
}

int anomalous_wavelength_count(const WavelengthSet& set)
{
    return std::clamp(set.count, 0, kAnomalousWavelengths);
}

}  // namespace kalidos
