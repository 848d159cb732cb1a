#include "geometry/ellipsoid.hpp"

#include <cmath>
#include <numbers>

namespace kalidos {
namespace {

// P(χ²₃ ≤ x) = erf(√(x/2)) − √(2x/π)·e^(−x/2).
double chi_square_3(double x)
{
    return std::erf(std::sqrt(x / 2)) - std::sqrt(2 * x / std::numbers::pi) * std::exp(-x / 2);
}

void rotate(Mat3& a, Mat3& v, std::size_t p, std::size_t q)
{
    if (std::fabs(a[p][q]) < 1e-300)
        return;
    const double theta = (a[q][q] - a[p][p]) / (2 * a[p][q]);
    const double t = (theta >= 0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
    const double c = 1 / std::sqrt(t * t + 1), s = t * c;
    for (std::size_t k = 0; k < 3; ++k) {
        const double akp = a[k][p], akq = a[k][q];
        a[k][p] = c * akp - s * akq;
        a[k][q] = s * akp + c * akq;
    }
    for (std::size_t k = 0; k < 3; ++k) {
        const double apk = a[p][k], aqk = a[q][k];
        a[p][k] = c * apk - s * aqk;
        a[q][k] = s * apk + c * aqk;
    }
    for (std::size_t k = 0; k < 3; ++k) {
        const double vkp = v[k][p], vkq = v[k][q];
        v[k][p] = c * vkp - s * vkq;
        v[k][q] = s * vkp + c * vkq;
    }
}

}  // namespace

Mat3 cartesian_displacement(const CellFrame& frame, const AnisotropicDisplacement& tensor, const double r[3][4])
{
    const double* u = tensor.u;  // U11 U22 U33 U12 U13 U23
    Mat3 fractional{Vec3{u[0], u[3], u[4]}, Vec3{u[3], u[1], u[5]}, Vec3{u[4], u[5], u[2]}};
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j)
            fractional[i][j] *= norm(frame.reciprocal_axis(static_cast<int>(i))) *
                                norm(frame.reciprocal_axis(static_cast<int>(j)));
    Mat3 rotation{};
    for (std::size_t i = 0; i < 3; ++i)
        rotation[i] = {r[i][0], r[i][1], r[i][2]};
    const Mat3 m = product(frame.to_cartesian(), rotation);
    return product(product(m, fractional), transposed(m));
}

Mat3 isotropic_displacement(double b)
{
    const double u = b / (8 * std::numbers::pi * std::numbers::pi);
    return {Vec3{u, 0, 0}, Vec3{0, u, 0}, Vec3{0, 0, u}};
}

double ellipsoid_scale(double probability)
{
    double low = 0, high = 100;  // χ² values; P(χ²₃ ≤ 100) differs from 1 by 1e-20
    for (int i = 0; i < 100; ++i) {
        const double middle = (low + high) / 2;
        (chi_square_3(middle) < probability ? low : high) = middle;
    }
    return std::sqrt((low + high) / 2);
}

PrincipalAxes principal_axes(const Mat3& symmetric)
{
    Mat3 a = symmetric;
    Mat3 v{Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}};
    for (int sweep = 0; sweep < 50; ++sweep) {
        if (std::fabs(a[0][1]) + std::fabs(a[0][2]) + std::fabs(a[1][2]) < 1e-15 * (std::fabs(a[0][0]) + std::fabs(a[1][1]) + std::fabs(a[2][2])))
            break;
        rotate(a, v, 0, 1);
        rotate(a, v, 0, 2);
        rotate(a, v, 1, 2);
    }
    PrincipalAxes principal;
    for (std::size_t i = 0; i < 3; ++i) {
        principal.values[i] = a[i][i];
        principal.axes[i] = {v[0][i], v[1][i], v[2][i]};
    }
    return principal;
}

}  // namespace kalidos
