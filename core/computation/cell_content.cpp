#include "computation/cell_content.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include <gemmi/elem.hpp>

#include "computation/atom_symbol_keys.hpp"
#include "computation/cell_metric.hpp"
#include "computation/site_multiplicity.hpp"
#include "util/pascal_format.hpp"

namespace kalidos {
namespace {

constexpr double kWholeNumber = 0.01;

struct ElementCount {
    gemmi::Element element{gemmi::El::X};
    double count = 0;  // atoms per cell
};

int common_divisor(const std::vector<ElementCount>& counts)
{
    long long divisor = 0;
    for (const ElementCount& c : counts) {
        const double rounded = std::round(c.count);
        if (rounded < 1 || std::fabs(c.count - rounded) > kWholeNumber)
            return 1;
        divisor = std::gcd(divisor, static_cast<long long>(rounded));
    }
    return divisor > 0 ? static_cast<int>(divisor) : 1;
}

std::string formula_text(const std::vector<ElementCount>& counts, int z)
{
    std::string text;
    for (const ElementCount& c : counts) {
        const double perUnit = c.count / z;
        text += (text.empty() ? "" : " ") + std::string(c.element.name());
        if (std::fabs(perUnit - 1) > 1e-6)
            text += std::fabs(perUnit - std::round(perUnit)) < kWholeNumber ? std::to_string(std::lround(perUnit))
                                                                             : fmt_fixed(perUnit, 0, 3);
    }
    return text;
}

}  // namespace

bool cell_content(const StructureModel& model, CellContent& content, std::string& unknownSymbol)
{
    std::vector<ElementCount> counts;
    for (int n = 1; n <= model.atomCount; ++n) {
        const gemmi::Element element(nucleus_key(model.atomSymbol[n]));
        if (element == gemmi::El::X) {
            unknownSymbol = model.atomSymbol[n];
            return false;
        }
        const double atoms = distinct_image_count(model, model.atomX[n], model.atomY[n], model.atomZ[n]) *
                             std::fabs(model.atomPopulation[n]);
        auto found = std::find_if(counts.begin(), counts.end(),
                                  [&](const ElementCount& c) { return c.element == element.elem; });
        if (found == counts.end())
            counts.push_back({element, atoms});
        else
            found->count += atoms;
    }
    double mass = 0;
    for (const ElementCount& c : counts)
        mass += c.count * c.element.weight();
    if (!(mass > 0))
        return false;
    content.z = common_divisor(counts);
    content.formulaMass = mass / content.z;
    const double volume = cell_volume(model.cell, kExactDegreesToRadians);
    content.volume = volume > 0 ? volume : 0;  // a cell no lattice can have holds nothing
    content.formula = formula_text(counts, content.z);
    return true;
}

}  // namespace kalidos
