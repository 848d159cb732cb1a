#include "drawing/series_plot.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "drawing/diagram_render.hpp"  // for picture_font
#include "drawing/palette.hpp"

namespace kalidos::drawing {
namespace {

constexpr int kLeft = 86, kRight = 14, kTop = 26, kBottom = 44;
constexpr double kDotRadius = 2.5;

// 1, 2 or 5 times a power of ten: about `count` steps over the range.
double tick_step(double low, double high, int count)
{
    const double raw = (high - low) / count;
    if (!(raw > 0) || !std::isfinite(raw))
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 5.0})
        if (factor * power >= raw)
            return factor * power;
    return 10 * power;
}

// The range of the values with a twentieth of it added on each side (a single value: ±1 % or ±1).
void padded(double& low, double& high)
{
    if (!(high > low)) {
        const double margin = low != 0 ? std::fabs(low) * 0.01 : 1;
        low -= margin, high += margin;
        return;
    }
    const double margin = (high - low) / 20;
    low -= margin, high += margin;
}

QString tick_text(double value, double step)
{
    if (std::fabs(value) < step * 1e-6)
        value = 0;
    const int decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step))), 0, 10);
    return std::fabs(value) >= 1e6 || (value != 0 && std::fabs(value) < 1e-4) ? QString::number(value, 'g', 6)
                                                                              : QString::number(value, 'f', decimals);
}

void draw_axes(QPainter& painter, const SeriesPlotFrame& f, const QString& xName, const QString& yName)
{
    const QFontMetrics metrics(painter.font());
    painter.setPen(Qt::black);
    painter.drawRect(f.area);
    const double xStep = tick_step(f.xmin, f.xmax, 8), yStep = tick_step(f.ymin, f.ymax, 6);
    for (double x = std::ceil(f.xmin / xStep) * xStep; x <= f.xmax; x += xStep) {
        const int px = static_cast<int>(std::lround(f.pixel(x, f.ymin).x()));
        painter.drawLine(px, f.area.bottom(), px, f.area.bottom() + 4);
        const QString text = tick_text(x, xStep);
        painter.drawText(px - metrics.horizontalAdvance(text) / 2, f.area.bottom() + 6 + metrics.ascent(), text);
    }
    for (double y = std::ceil(f.ymin / yStep) * yStep; y <= f.ymax; y += yStep) {
        const int py = static_cast<int>(std::lround(f.pixel(f.xmin, y).y()));
        painter.drawLine(f.area.left() - 4, py, f.area.left(), py);
        const QString text = tick_text(y, yStep);
        painter.drawText(f.area.left() - 6 - metrics.horizontalAdvance(text), py + metrics.ascent() / 2, text);
    }
    painter.drawText(f.area.center().x() - metrics.horizontalAdvance(xName) / 2,
                     f.area.bottom() + 8 + metrics.height() + metrics.ascent(), xName);
    painter.save();
    painter.translate(14, f.area.center().y() + metrics.horizontalAdvance(yName) / 2);
    painter.rotate(-90);
    painter.drawText(0, 0, yName);
    painter.restore();
}

}  // namespace

QPointF SeriesPlotFrame::pixel(double x, double y) const
{
    return {area.left() + (x - xmin) / (xmax - xmin) * area.width(),
            area.bottom() - (y - ymin) / (ymax - ymin) * area.height()};
}

SeriesPlotFrame render_series_plot(QPainter& painter, QSize picture, const std::vector<SeriesPoint>& points,
                                   int selected, const QString& title, const QString& xName, const QString& yName)
{
    SeriesPlotFrame f;
    painter.save();
    painter.setFont(picture_font());
    efface_ecran(painter, picture);
    text_out(painter, kLeft, 5, title);
    f.area = QRect(kLeft, kTop, picture.width() - kLeft - kRight, picture.height() - kTop - kBottom);
    if (points.empty() || f.area.width() < 20 || f.area.height() < 20) {
        painter.restore();
        return f;
    }
    f.xmin = f.ymin = std::numeric_limits<double>::infinity();
    f.xmax = f.ymax = -f.xmin;
    for (const SeriesPoint& p : points) {
        f.xmin = std::min(f.xmin, p.x), f.xmax = std::max(f.xmax, p.x);
        f.ymin = std::min(f.ymin, p.y - p.su), f.ymax = std::max(f.ymax, p.y + p.su);
    }
    padded(f.xmin, f.xmax);
    padded(f.ymin, f.ymax);
    f.drawn = true;
    painter.setRenderHint(QPainter::Antialiasing, true);
    draw_axes(painter, f, xName, yName);
    painter.setClipRect(f.area);
    const QColor dots(0, 70, 160);
    for (const SeriesPoint& p : points) {
        const QPointF at = f.pixel(p.x, p.y);
        const QPointF low = f.pixel(p.x, p.y - p.su), high = f.pixel(p.x, p.y + p.su);
        painter.setPen(QPen(dots, 1));
        if (low.y() - high.y() > 2 * kDotRadius)
            painter.drawLine(low, high);
        painter.setBrush(dots);
        painter.drawEllipse(at, kDotRadius, kDotRadius);
    }
    for (const SeriesPoint& p : points)
        if (p.record == selected) {
            painter.setPen(QPen(Qt::red, 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(f.pixel(p.x, p.y), 3 * kDotRadius, 3 * kDotRadius);
        }
    painter.restore();
    return f;
}

int nearest_series_point(const SeriesPlotFrame& frame, const std::vector<SeriesPoint>& points, QPoint position)
{
    int best = -1;
    double distance = std::numeric_limits<double>::infinity();
    for (const SeriesPoint& p : points) {
        const QPointF at = frame.pixel(p.x, p.y);
        const double d = std::hypot(at.x() - position.x(), at.y() - position.y());
        if (d < distance)
            distance = d, best = p.record;
    }
    return frame.drawn ? best : -1;
}

}  // namespace kalidos::drawing
