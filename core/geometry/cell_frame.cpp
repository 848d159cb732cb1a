#include "geometry/cell_frame.hpp"

#include <numbers>

namespace kalidos {

Mat3 product(const Mat3& a, const Mat3& b)
{
    Mat3 c{};
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j)
            c[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    return c;
}

Mat3 transposed(const Mat3& m)
{
    Mat3 t{};
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j)
            t[i][j] = m[j][i];
    return t;
}

CellFrame::CellFrame(const CellParameters& cell)
{
    constexpr double kRadian = std::numbers::pi / 180;
    const double ca = std::cos(cell.alpha * kRadian), cb = std::cos(cell.beta * kRadian);
    const double cg = std::cos(cell.gamma * kRadian), sg = std::sin(cell.gamma * kRadian);
    const double cx = cb, cy = (ca - cb * cg) / sg;
    const double cz2 = 1 - cx * cx - cy * cy;
    valid_ = cell.a > 0 && cell.b > 0 && cell.c > 0 && std::fabs(sg) > 1e-9 && cz2 > 1e-12;
    if (!valid_)
        return;
    const double cz = std::sqrt(cz2);
    toCartesian_ = {Vec3{cell.a, cell.b * cg, cell.c * cx}, Vec3{0, cell.b * sg, cell.c * cy},
                    Vec3{0, 0, cell.c * cz}};
    // The inverse of an upper triangular matrix.
    const Mat3& m = toCartesian_;
    const double i00 = 1 / m[0][0], i11 = 1 / m[1][1], i22 = 1 / m[2][2];
    toFractional_ = {Vec3{i00, -m[0][1] * i00 * i11, (m[0][1] * m[1][2] - m[0][2] * m[1][1]) * i00 * i11 * i22},
                     Vec3{0, i11, -m[1][2] * i11 * i22}, Vec3{0, 0, i22}};
}

Vec3 CellFrame::axis(int i) const
{
    const auto j = static_cast<std::size_t>(i);
    return {toCartesian_[0][j], toCartesian_[1][j], toCartesian_[2][j]};
}

}  // namespace kalidos
