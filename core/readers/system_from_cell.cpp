#include "readers/system_from_cell.hpp"

#include <cmath>

namespace kalidos
{

namespace
{
// Lengths in Å equal within this tolerance; angles are compared exactly as entered.
constexpr double kLengthTolerance = 0.001;

bool same(double x, double y)
{
    return std::fabs(x - y) < kLengthTolerance;
}
bool differ(double x, double y)
{
    return std::fabs(x - y) > kLengthTolerance;
}
} // namespace

std::string crystal_system_of_cell(const CellParameters& cell)
{
    const double a = cell.a, b = cell.b, c = cell.c;
    if (cell.alpha == 90 && cell.beta == 90 && cell.gamma == 90) {
        if (same(a, b) && same(b, c) && same(c, a))
            return "CUBI";
        if (same(a, b) && differ(b, c))
            return "QUAD";
        if (differ(a, b) && differ(b, c))
            return "ORTH";
        return {};
    }
    if (cell.alpha == 90 && cell.beta == 90 && cell.gamma == 120)
        return "HEXA";
    if (same(a, b) && same(b, c) && same(c, a))
        return "RHOM";
    if (cell.alpha == 90 && cell.beta != 90 && cell.gamma == 90)
        return "MONO";
    if (cell.alpha == 90 && cell.beta == 90 && cell.gamma != 90)
        return "MONO";
    return "TRIC";
}

void system_from_cell(StructureModel& model)
{
    const std::string system = crystal_system_of_cell(model.cell);
    if (!system.empty())
        model.crystalSystem = crystal_system_code(system);
}

} // namespace kalidos
