#include "anomalous/anomalous_grid_check.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "anomalous/anomalous_grid.hpp"
#include "model/typed_ranges.hpp"
#include "util/number_text.hpp"

namespace kalidos {
namespace {

// Read as load_element_scattering_data reads it: the value strtod finds, if any.
bool usable(const std::string& text)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return end == text.c_str() || (std::isfinite(value) && std::fabs(value) <= kLargestTypedValue);
}

}  // namespace

bool check_anomalous_grid(const StructureModel& model, const TextGrid& grid, Messages& messages)
{
    const int wavelengths = std::min(model.wavelengths.count, kAnomalousWavelengths);
    for (int e = 1; e <= model.elementCount; ++e) {
        for (int w = 1; w <= wavelengths; ++w) {
            const std::pair<const char*, int> items[] = {{"f'", 2 * w - 1}, {"f''", 2 * w}};
            for (const auto& [name, column] : items) {
                const std::string text = grid.cell(e + 1, column);
                if (usable(text))
                    continue;
                beep_and_warn(messages, std::string("Unusable value in the anomalous dispersion grid: ") + name +
                                            " of " + grid_element_symbol(model.elementSymbols[e]) + ", wavelength " +
                                            std::to_string(w) + " = " + trim(text));
                return false;
            }
        }
    }
    return true;
}

}  // namespace kalidos
