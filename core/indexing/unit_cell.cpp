#include "indexing/unit_cell.hpp"

#include <Eigen/Cholesky>  // for the positive-definite test
#include <Eigen/LU>        // for the inverse and determinant

#include <algorithm>
#include <cmath>

namespace kalidos {
namespace {

constexpr double kPi = 3.14159265358979323846;

double radians(double degrees) { return degrees * kPi / 180; }
double degrees(double radians) { return radians * 180 / kPi; }

}  // namespace

Eigen::Matrix3d direct_metric(const UnitCell& c)
{
    const double ab = c.a * c.b * std::cos(radians(c.gamma));
    const double ac = c.a * c.c * std::cos(radians(c.beta));
    const double bc = c.b * c.c * std::cos(radians(c.alpha));
    Eigen::Matrix3d g;
    g << c.a * c.a, ab, ac, ab, c.b * c.b, bc, ac, bc, c.c * c.c;
    return g;
}

UnitCell cell_of_metric(const Eigen::Matrix3d& g)
{
    UnitCell c;
    c.a = std::sqrt(std::max(0.0, g(0, 0)));
    c.b = std::sqrt(std::max(0.0, g(1, 1)));
    c.c = std::sqrt(std::max(0.0, g(2, 2)));
    const auto angle = [](double product, double first, double second) {
        return first > 0 && second > 0 ? degrees(std::acos(std::clamp(product / (first * second), -1.0, 1.0))) : 90.0;
    };
    c.alpha = angle(g(1, 2), c.b, c.c);
    c.beta = angle(g(0, 2), c.a, c.c);
    c.gamma = angle(g(0, 1), c.a, c.b);
    return c;
}

Eigen::Matrix3d reciprocal_metric(const UnitCell& cell) { return direct_metric(cell).inverse(); }

UnitCell cell_of_reciprocal_metric(const Eigen::Matrix3d& gStar) { return cell_of_metric(gStar.inverse()); }

double volume_of(const UnitCell& cell)
{
    const double determinant = direct_metric(cell).determinant();
    return determinant > 0 ? std::sqrt(determinant) : 0.0;
}

bool is_valid_cell(const UnitCell& cell)
{
    if (!(cell.a > 0 && cell.b > 0 && cell.c > 0) || !std::isfinite(cell.a * cell.b * cell.c))
        return false;
    const Eigen::LLT<Eigen::Matrix3d> cholesky(direct_metric(cell));
    return cholesky.info() == Eigen::Success;
}

UnitCell transformed_cell(const UnitCell& cell, const Eigen::Matrix3d& p)
{
    return cell_of_metric(p.transpose() * direct_metric(cell) * p);
}

Eigen::Matrix3d primitive_basis(char centring)
{
    Eigen::Matrix3d p = Eigen::Matrix3d::Identity();
    const double h = 0.5, t = 1.0 / 3, u = 2.0 / 3;
    switch (centring) {
    case 'A': p << 1, 0, 0, 0, h, -h, 0, h, h; break;
    case 'B': p << h, 0, -h, 0, 1, 0, h, 0, h; break;
    case 'C': p << h, -h, 0, h, h, 0, 0, 0, 1; break;
    case 'I': p << -h, h, h, h, -h, h, h, h, -h; break;
    case 'F': p << 0, h, h, h, 0, h, h, h, 0; break;
    case 'R': p << u, -t, -t, t, t, -u, t, t, t; break;
    default: break;
    }
    return p;
}

int centring_multiplicity(char centring)
{
    switch (centring) {
    case 'A': case 'B': case 'C': case 'I': return 2;
    case 'F': return 4;
    case 'R': return 3;
    default: return 1;
    }
}

bool centring_allows(char centring, int h, int k, int l)
{
    const auto even = [](int n) { return n % 2 == 0; };
    switch (centring) {
    case 'A': return even(k + l);
    case 'B': return even(h + l);
    case 'C': return even(h + k);
    case 'I': return even(h + k + l);
    case 'F': return even(h + k) && even(k + l);
    case 'R': return (-h + k + l) % 3 == 0;
    default: return true;
    }
}

UnitCell primitive_cell(const UnitCell& conventional, char centring)
{
    return transformed_cell(conventional, primitive_basis(centring));
}

}  // namespace kalidos
