#include "readers/model_number_check.hpp"

#include <cmath>
#include <sstream>

#include "computation/cell_metric.hpp"

namespace kalidos {
namespace {

constexpr double kLargest = 1e6;

bool within(double value, double low, double high)
{
    return std::isfinite(value) && value >= low && value <= high;
}

bool refuse(Messages& messages, const std::string& item, double value, const std::string& where)
{
    std::ostringstream text;
    text << "Unusable value " << where << ": " << item << " = " << value;
    messages.warning(text.str());
    return false;
}

}  // namespace

bool check_model_numbers(StructureModel& model, const std::string& where, Messages& messages)
{
    const CellParameters& c = model.cell;
    const std::pair<const char*, double> lengths[] = {{"a", c.a}, {"b", c.b}, {"c", c.c}};
    const std::pair<const char*, double> angles[] = {{"alpha", c.alpha}, {"beta", c.beta}, {"gamma", c.gamma}};
    for (const auto& [name, value] : lengths)
        if (!within(value, 0, kLargest)) {
            model.atomCount = 0;
            return refuse(messages, std::string("the cell length ") + name, value, where);
        }
    for (const auto& [name, value] : angles)
        if (!within(value, 0, 180) || value == 180) {
            model.atomCount = 0;
            return refuse(messages, std::string("the cell angle ") + name, value, where);
        }
    if (const std::string impossible = impossible_cell_message(c, where); !impossible.empty()) {
        model.atomCount = 0;
        messages.warning(impossible);
        return false;
    }
    for (int n = 1; n <= model.atomCount; ++n) {
        const std::string atom = " of the atom " + model.atomSymbol[n] + model.atomLabel[n];
        const std::pair<const char*, double> items[] = {{"x", model.atomX[n]},
                                                        {"y", model.atomY[n]},
                                                        {"z", model.atomZ[n]},
                                                        {"B", model.atomB[n]},
                                                        {"population", model.atomPopulation[n]}};
        for (const auto& [name, value] : items)
            if (!within(value, -kLargest, kLargest)) {
                model.atomCount = n - 1;
                return refuse(messages, std::string("the ") + name + atom, value, where);
            }
    }
    return true;
}

}  // namespace kalidos
