// The difference picture: the second curve minus the first, in the main picture's pixels.
#pragma once

#include "drawing/diagram_geometry.hpp" // for DifferenceRows

#include <QPainter>
#include <QSize>

namespace kalidos::drawing {

// trace_difference: grey picture, the zero line at row 100 and one polyline through
// (column, row2 − row1 + 100); a point above the line means the second curve is higher.
void trace_difference(QPainter& painter, QSize picture, const DifferenceRows& rows);

}  // namespace kalidos::drawing
