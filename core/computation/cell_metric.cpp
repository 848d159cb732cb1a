#include "computation/cell_metric.hpp"

#include <cmath>
#include <sstream>

namespace kalidos {
namespace {

// (V/abc)² from the cosines of the angles: positive for every cell a lattice can have.
double squared_volume_factor(double ca, double cb, double cg)
{
    return 1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg;
}

}  // namespace

double cell_volume(const CellParameters& cell, double radiansPerDegree)
{
    const double ca = std::cos(cell.alpha * radiansPerDegree);
    const double cb = std::cos(cell.beta * radiansPerDegree);
    const double cg = std::cos(cell.gamma * radiansPerDegree);
    return cell.a * cell.b * cell.c * std::sqrt(squared_volume_factor(ca, cb, cg));
}

std::string impossible_cell_message(const CellParameters& cell, const std::string& where)
{
    const double angles[3] = {cell.alpha, cell.beta, cell.gamma};
    for (const double angle : angles)
        if (!(angle > 0 && angle < 180))
            return {};
    if (!(cell.a > 0 && cell.b > 0 && cell.c > 0))
        return {};
    const double ca = std::cos(cell.alpha * kDegreesToRadians);
    const double cb = std::cos(cell.beta * kDegreesToRadians);
    const double cg = std::cos(cell.gamma * kDegreesToRadians);
    if (squared_volume_factor(ca, cb, cg) > 0)
        return {};
    std::ostringstream text;
    text << "Impossible cell " << where << ": a = " << cell.a << ", b = " << cell.b << ", c = " << cell.c
         << ", alpha = " << cell.alpha << ", beta = " << cell.beta << ", gamma = " << cell.gamma
         << ": no lattice has these angles (the metric is not positive definite)";
    return text.str();
}

void compute_cell_metric(StructureModel& model)
{
    CellParameters& cell = model.cell;
    const double ca = std::cos(cell.alpha * kDegreesToRadians);
    const double cb = std::cos(cell.beta * kDegreesToRadians);
    const double cg = std::cos(cell.gamma * kDegreesToRadians);
    const double sa = std::sin(cell.alpha * kDegreesToRadians);
    const double sb = std::sin(cell.beta * kDegreesToRadians);
    const double sg = std::sin(cell.gamma * kDegreesToRadians);

    cell.volume = cell_volume(cell, kDegreesToRadians);
    cell.aStar = cell.b * cell.c * sa / cell.volume;
    cell.bStar = cell.a * cell.c * sb / cell.volume;
    cell.cStar = cell.a * cell.b * sg / cell.volume;

    const double cosAlphaStar = (cb * cg - ca) / (sb * sg);
    const double cosBetaStar = (ca * cg - cb) / (sa * sg);
    const double cosGammaStar = (ca * cb - cg) / (sa * sb);
    const double betaStar = std::acos(cosBetaStar);    // radians
    const double gammaStar = std::acos(cosGammaStar);  // radians
    cell.alphaStar = std::acos(cosAlphaStar) * kRadiansToDegrees;
    cell.betaStar = betaStar * kRadiansToDegrees;
    cell.gammaStar = gammaStar * kRadiansToDegrees;

    double (&m)[3][3] = model.cellMatrix;
    m[0][0] = cell.aStar;
    m[0][1] = cell.bStar * cosGammaStar;
    m[0][2] = cell.cStar * cosBetaStar;
    m[1][0] = 0;
    m[1][1] = cell.bStar * std::sin(gammaStar);
    m[1][2] = -cell.cStar * std::sin(betaStar) * ca;
    m[2][0] = 0;
    m[2][1] = 0;
    m[2][2] = 1 / cell.c;
}

double reciprocal_length_squared(const StructureModel& model, int h, int k, int l)
{
    const double(&m)[3][3] = model.cellMatrix;
    const double x = m[0][0] * h + m[0][1] * k + m[0][2] * l;
    const double y = m[1][1] * k + m[1][2] * l;
    const double z = m[2][2] * l;
    return x * x + y * y + z * z;
}

}  // namespace kalidos
