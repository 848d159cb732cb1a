// The Cartesian frame of a unit cell: fractional coordinates to ångströms and back, the
// directions of the axes and reciprocal axes.
#pragma once

#include <array>
#include <cmath>

#include "model/structure_model.hpp"  // for CellParameters

namespace kalidos {

using Vec3 = std::array<double, 3>;
using Mat3 = std::array<Vec3, 3>;  // row by row

inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
inline Vec3 operator*(double s, const Vec3& a) { return {s * a[0], s * a[1], s * a[2]}; }
inline double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline double norm(const Vec3& a) { return std::sqrt(dot(a, a)); }
inline Vec3 cross(const Vec3& a, const Vec3& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline Vec3 times(const Mat3& m, const Vec3& v) { return {dot(m[0], v), dot(m[1], v), dot(m[2], v)}; }
Mat3 product(const Mat3& a, const Mat3& b);
Mat3 transposed(const Mat3& m);

// a along x, b in the xy plane, c completing a right-handed set (the usual crystallographic
// orthogonalisation). Angles are converted with the exact π: the drawing and the distances do not
// take the listings' degree factor (kDegreesToRadians).
class CellFrame {
public:
    explicit CellFrame(const CellParameters& cell);

    Vec3 cartesian(const Vec3& fractional) const { return times(toCartesian_, fractional); }
    Vec3 fractional(const Vec3& cartesian) const { return times(toFractional_, cartesian); }
    // Column i of the orthogonalisation: the axis a, b or c in ångströms.
    Vec3 axis(int i) const;
    // Row i of the inverse: the reciprocal axis a*, b* or c* in Å⁻¹.
    Vec3 reciprocal_axis(int i) const { return toFractional_[static_cast<std::size_t>(i)]; }
    const Mat3& to_cartesian() const { return toCartesian_; }
    bool valid() const { return valid_; }

private:
    Mat3 toCartesian_{};
    Mat3 toFractional_{};
    bool valid_ = false;
};

}  // namespace kalidos
