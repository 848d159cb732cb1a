// The picture of a series: one refined value with its su against the diagrams' index, scan,
// temperature or time, the diagram shown ringed. The window, its picture files and the tests draw it
// with the same routine.
#pragma once

#include <vector>

#include <QPainter>
#include <QString>

namespace kalidos::drawing {

struct SeriesPoint {
    double x = 0, y = 0, su = 0;  // a diagram that failed has none (not in the list)
    int record = 0;               // its place in the series, from 0
};

struct SeriesPlotFrame {
    QRect area;  // the plotting area, inside the axes
    double xmin = 0, xmax = 1, ymin = 0, ymax = 1;
    bool drawn = false;
    // The pixel of a value; the record of a click is the point nearest to it.
    QPointF pixel(double x, double y) const;
};

// Draws the points (a dot, and a bar of ±su when it is wider than the dot), the axes with their
// numbers and names, `title` above, and the point of record `selected` ringed in red.
SeriesPlotFrame render_series_plot(QPainter& painter, QSize picture, const std::vector<SeriesPoint>& points,
                                   int selected, const QString& title, const QString& xName, const QString& yName);

// The record of the point nearest to `position` (pixels), -1 when there is none.
int nearest_series_point(const SeriesPlotFrame& frame, const std::vector<SeriesPoint>& points, QPoint position);

}  // namespace kalidos::drawing
