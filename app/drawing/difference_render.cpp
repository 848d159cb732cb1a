#include "drawing/difference_render.hpp"

#include "drawing/palette.hpp" // for kDifferenceBackground

#include <QPolygon>

namespace kalidos::drawing {

void trace_difference(QPainter& painter, QSize picture, const DifferenceRows& rows)
{
    QPolygon line;
    for (const Pixel& point : difference_points(rows))
        line << QPoint(point.x, point.y);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(kDifferenceBackground);
    painter.drawRect(0, 0, picture.width() - 1, picture.height() - 1);
    painter.drawLine(0, 100, kDifferenceColumns, 100);
    painter.drawPolyline(line);
    painter.restore();
}

}  // namespace kalidos::drawing
