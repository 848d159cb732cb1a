#include "drawing/phase_overlay.hpp"

#include "drawing/display_values.hpp"
#include "drawing/palette.hpp"

#include <QFontMetrics>
#include <QPolygon>
#include <algorithm>

namespace kalidos::drawing {
namespace {

constexpr int kLegendTop = 3;
constexpr int kLegendStep = 15;
constexpr int kLegendMargin = 8;

void draw_phase_curve(QPainter& painter, const DiagramView& view, const std::vector<double>& twoTheta,
                      const PhaseLine& line, AbscissaMode mode, IntensityScale scale)
{
    const std::vector<double> values = curve_display_values(line.intensity, scale);
    const double factor = mode == AbscissaMode::Theta ? 0.5 : 1.0;
    QPolygon polyline;
    for (std::size_t i = 0; i < values.size() && i < twoTheta.size(); ++i) {
        const Pixel pixel = point_ecran(view, twoTheta[i] * factor, values[i]);
        polyline << QPoint(pixel.x, pixel.y);
    }
    painter.setPen(QPen(line.colour, 1));
    painter.drawPolyline(polyline);
}

}  // namespace

void draw_phase_sticks(QPainter& painter, const PhaseOverlay& overlay, IntensityScale scale, int width, double xmin,
                       double xmax, const std::function<QPoint(double, double)>& place)
{
    const QPen previous = painter.pen();
    for (const PhaseLine& line : overlay.phases) {
        if (!line.shown)
            continue;
        // Flat ends: each stick stops exactly at its intensity.
        painter.setPen(QPen(line.colour, width, Qt::SolidLine, Qt::FlatCap));
        for (const PhaseStick& stick : line.sticks)
            if (stick.q >= xmin && stick.q <= xmax)
                painter.drawLine(place(stick.q, 0), place(stick.q, stick_display_value(stick.percent, scale)));
    }
    painter.setPen(previous);
}

void draw_phase_overlay(QPainter& painter, const DiagramView& view, const PhaseOverlay& overlay, AbscissaMode mode,
                        IntensityScale scale)
{
    const QPen previous = painter.pen();
    if (mode != AbscissaMode::Q)
        for (const PhaseLine& line : overlay.phases)
            if (line.shown)
                draw_phase_curve(painter, view, overlay.twoTheta, line, mode, scale);
    const QFontMetrics metrics(painter.font(), painter.device());
    int widest = 0;
    for (const PhaseLine& line : overlay.phases)
        widest = std::max(widest, metrics.horizontalAdvance(line.label));
    int y = kLegendTop;
    for (const PhaseLine& line : overlay.phases) {
        painter.setPen(QPen(line.colour, 1));
        text_out(painter, view.imageWidth - widest - kLegendMargin, y, line.label);
        y += kLegendStep;
    }
    painter.setPen(previous);
}

}  // namespace kalidos::drawing
