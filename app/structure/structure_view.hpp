// How a structure picture looks at the scene: the rotation of the Cartesian frame, the zoom and
// the pan, and the projection they make onto a rectangle of the picture.
#pragma once

#include <QPointF>
#include <QRectF>

#include "geometry/structure_scene.hpp"

namespace kalidos::app {

struct StructureView {
    // Rows: the picture's x (right), y (up) and z (towards the viewer) in the Cartesian frame.
    Mat3 rotation{Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}};
    double zoom = 1;  // 1: the block of cells fits the picture whatever the rotation
    QPointF pan;      // pixels

    // `towards` (Cartesian) points at the viewer, `up` (projected onto the picture) upwards.
    void look_along(const Vec3& towards, const Vec3& up);
    // A drag of (dx, dy) pixels turns the scene about the picture's y and x axes, 0.01 rad a pixel.
    void turn(double dx, double dy);
};

// The axis (0, 1, 2 for a, b, c) or reciprocal axis (3, 4, 5 for a*, b*, c*) towards the viewer,
// the next direct axis but one upwards: b right and c up along a, c and a along b, a and b along c.
void look_along_axis(StructureView& view, const CellParameters& cell, int axis);

class Projection {
public:
    Projection(const QRectF& target, const StructureScene& scene, const StructureView& view);

    // The point in the viewer's frame (Å from the block's centre; z towards the viewer).
    Vec3 viewed(const Vec3& cartesian) const { return times(view_.rotation, cartesian - centre_); }
    QPointF screen(const Vec3& viewedPoint) const
    {
        return {origin_.x() + scale_ * viewedPoint[0], origin_.y() - scale_ * viewedPoint[1]};
    }
    double pixels_per_angstrom() const { return scale_; }
    const Mat3& rotation() const { return view_.rotation; }

private:
    StructureView view_;
    Vec3 centre_{};
    QPointF origin_;
    double scale_ = 1;
};

}  // namespace kalidos::app
