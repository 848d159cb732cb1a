#include "structure/structure_view.hpp"

#include <algorithm>
#include <cmath>

namespace kalidos::app {
namespace {

Vec3 unit(const Vec3& v)
{
    const double length = norm(v);
    return length > 0 ? (1 / length) * v : Vec3{0, 0, 1};
}

Mat3 turning(double angle, int axis)
{
    const double c = std::cos(angle), s = std::sin(angle);
    if (axis == 0)
        return {Vec3{1, 0, 0}, Vec3{0, c, -s}, Vec3{0, s, c}};
    return {Vec3{c, 0, s}, Vec3{0, 1, 0}, Vec3{-s, 0, c}};
}

}  // namespace

void StructureView::look_along(const Vec3& towards, const Vec3& up)
{
    const Vec3 z = unit(towards);
    Vec3 y = up - dot(up, z) * z;
    if (norm(y) < 1e-9)  // up along the line of sight: any other direction
        y = std::fabs(z[0]) < 0.9 ? Vec3{1, 0, 0} - z[0] * z : Vec3{0, 1, 0} - z[1] * z;
    y = unit(y);
    rotation = {cross(y, z), y, z};
    pan = {};
}

void StructureView::turn(double dx, double dy)
{
    rotation = product(turning(dy * 0.01, 0), product(turning(dx * 0.01, 1), rotation));
}

void look_along_axis(StructureView& view, const CellParameters& cell, int axis)
{
    const CellFrame frame(cell);
    if (!frame.valid())
        return;
    const int direct = axis % 3;
    const Vec3 towards = axis < 3 ? frame.axis(direct) : frame.reciprocal_axis(direct);
    view.look_along(towards, frame.axis((direct + 2) % 3));
}

Projection::Projection(const QRectF& target, const StructureScene& scene, const StructureView& view) : view_(view)
{
    const CellRange& r = scene.range;
    const Vec3 low{double(r.from[0]), double(r.from[1]), double(r.from[2])};
    const Vec3 high{double(r.to[0]), double(r.to[1]), double(r.to[2])};
    centre_ = scene.cartesian(0.5 * (low + high));
    // The longest diagonal of the block, plus room for the spheres, fits the smaller side.
    double reach = 0;
    for (int corner = 0; corner < 8; ++corner) {
        const Vec3 f{corner & 1 ? high[0] : low[0], corner & 2 ? high[1] : low[1], corner & 4 ? high[2] : low[2]};
        reach = std::max(reach, norm(scene.cartesian(f) - centre_));
    }
    const double side = std::max(1.0, std::min(target.width(), target.height()));
    scale_ = view.zoom * side / (2 * reach + 3);
    origin_ = target.center() + view.pan;
}

}  // namespace kalidos::app
