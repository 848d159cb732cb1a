#include "drawing/diagram_render.hpp"

#include "drawing/display_values.hpp"
#include "drawing/palette.hpp"
#include "drawing/phase_overlay.hpp"
#include "util/pascal_format.hpp" // for fmt_fixed, fmt_int

#include <QFontMetrics>
#include <QPolygon>

namespace kalidos::drawing {
namespace {

constexpr int kFontPixels = 11; // the picture's small sans-serif text

const char* ordinate_title(IntensityScale scale)
{
    switch (scale) {
    case IntensityScale::Linear:
        return "Intensity";
    case IntensityScale::Logarithmic:
        return "Log(Intensity)";
    case IntensityScale::SquareRoot:
        break;
    }
    return "Sqrt(Intensity)";
}

const char* abscissa_title(AbscissaMode mode)
{
    switch (mode) {
    case AbscissaMode::Theta:
        return "Theta";
    case AbscissaMode::TwoTheta:
        return "2Theta";
    case AbscissaMode::Q:
        break;
    }
    return "Q=4pisin(T)/lambda";
}

QPen pen(const QColor& colour, int width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}

// The calculated pattern as a polyline (θ, 2θ) or as sticks (Q); curve 1 of the difference.
void draw_calculated(QPainter& painter, const Workspace& workspace, const DiagramOptions& options,
                     RenderOutcome& outcome)
{
    const DiagramView& view = outcome.view;
    if (options.mode == AbscissaMode::Q && options.phases) {
        draw_phase_sticks(painter, *options.phases, options.scale, 3, view.xmin, view.xmax, [&view](double q, double v) {
            const Pixel p = point_ecran(view, q, v);
            return QPoint(p.x, p.y);
        });
        return;
    }
    if (options.mode == AbscissaMode::Q) {
        const std::vector<double> values = stick_display_values(workspace.results, options.scale);
        // Flat ends: each stick stops exactly at its intensity.
        painter.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::FlatCap));
        for (int i = 1; i <= workspace.results.peaks.count; ++i) {
            const double q = workspace.results.peaks[i].q;
            const Pixel foot = point_ecran(view, q, 0);
            const Pixel top = point_ecran(view, q, values[static_cast<std::size_t>(i - 1)]);
            painter.drawLine(foot.x, foot.y, top.x, top.y);
        }
        painter.setPen(pen(Qt::black, 1));
        return;
    }
    const CalculatedPattern& pattern = workspace.results.pattern;
    const std::vector<double> values = calculated_display_values(pattern, options.scale);
    const double factor = options.mode == AbscissaMode::Theta ? 0.5 : 1.0;
    ++outcome.curveCount;
    QPolygon line;
    for (int i = 0; i < pattern.pointCount; ++i) {
        const Pixel pixel =
            point_ecran(view, pattern.angles[i] * factor, values[static_cast<std::size_t>(i)]);
        line << QPoint(pixel.x, pixel.y);
        outcome.rows.record(outcome.curveCount, pixel);
    }
    painter.setPen(pen(Qt::black, 1));
    painter.drawPolyline(line);
}

double slot_abscissa(const ObservedPoint& point, AbscissaMode mode)
{
    return mode == AbscissaMode::Theta      ? point.twoTheta / 2
           : mode == AbscissaMode::TwoTheta ? point.twoTheta
                                            : point.q;
}

// Observed diagram k in its colour, with its legend line; curves 1 and 2 feed the difference.
void draw_observed(QPainter& painter, const Workspace& workspace, const DiagramOptions& options, int k,
                   int legendY, RenderOutcome& outcome)
{
    const DiagramView& view = outcome.view;
    const ObservedSlot& slot = workspace.observed.slots[k];
    ++outcome.curveCount;
    painter.setPen(pen(observed_colour(k), 1));
    text_out(painter, 2, legendY,
             QString::fromStdString(slot.fileName + " (" + fmt_fixed(slot.lambda, 8, 5) + " Å)"));
    const std::vector<double> values = observed_display_values(slot, options.scale);
    QPolygon line;
    for (int i = 1; i <= kPatternPoints; ++i) {
        const double x = slot_abscissa(slot.points[i], options.mode);
        if (x < view.xmin || x > view.xmax)
            continue;
        const Pixel pixel = point_ecran(view, x, values[static_cast<std::size_t>(i - 1)]);
        outcome.rows.record(outcome.curveCount, pixel);
        line << QPoint(pixel.x, pixel.y);
    }
    painter.drawPolyline(line);
    painter.setPen(pen(Qt::black, 1));
}

}  // namespace

QFont picture_font()
{
    QFont font("Arial");
    font.setPixelSize(kFontPixels);
    return font;
}

void efface_ecran(QPainter& painter, QSize picture)
{
    painter.setPen(pen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(0, 0, picture.width() - 1, picture.height() - 1);
    painter.setBrush(Qt::NoBrush);
}

void trace_axe(QPainter& painter, const DiagramView& view, double x1, double x2, double y, int labelsEnd)
{
    const Pixel start = point_ecran(view, x1, y);
    const Pixel end = point_ecran(view, x2, y);
    painter.drawLine(start.x, start.y, end.x, end.y);
    for (const Tick& tick : axis_ticks(x1, x2)) {
        const Pixel pixel = point_ecran(view, tick.value, y);
        painter.drawLine(pixel.x, pixel.y, pixel.x, pixel.y + 5);
        const QString label = QString::fromStdString(tick.label);
        if (pixel.x - 10 + QFontMetrics(painter.font(), painter.device()).horizontalAdvance(label) < labelsEnd)
            text_out(painter, pixel.x - 10, pixel.y + 5, label);
    }
}

void draw_reflection_marker(QPainter& painter, const DiagramView& view, int number, int px)
{
    const QString label = QString::fromStdString(fmt_int(number, 2));
    painter.setPen(pen(Qt::black, 1));
    text_out_on(painter, px - 5, 5, label, kMarkerBackground);
    text_out_on(painter, px - 5, view.baseline + 5, label, kMarkerBackground);
    painter.setPen(pen(kMarkerLine, 1));
    painter.drawLine(px, view.baseline, px, 20);
    painter.setPen(pen(Qt::black, 1));
}

double selected_abscissa(const Workspace& workspace, AbscissaMode mode, int s)
{
    if (s < 1 || s > workspace.results.merged.count)
        return 0;
    return reflection_abscissa(workspace.results.merged[s], mode);
}

RenderOutcome render_diagram(QPainter& painter, QSize picture, const Workspace& workspace,
                             const DiagramOptions& options)
{
    RenderOutcome outcome;
    const AbscissaLimits limits = display_limits(workspace.model, options.mode);
    if (limits.xmax == 0)
        return outcome;
    outcome.drawn = true;
    outcome.view =
        make_view(picture.width(), picture.height(), limits.xmin, limits.xmax, options.verticalScale);
    const DiagramView& view = outcome.view;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRect(QRect(QPoint(0, 0), picture));
    painter.setFont(picture_font());
    efface_ecran(painter, picture);
    const bool titled = workspace.results.pattern.pointCount > 0;
    const int titleLeft = view.imageWidth - 90;
    trace_axe(painter, view, view.xmin, view.xmax, 0, titled ? titleLeft - 4 : std::numeric_limits<int>::max());

    int legendY = 20;
    if (titled) {
        text_out(painter, 2, 3, ordinate_title(options.scale));
        text_out(painter, titleLeft, view.imageHeight - 20, abscissa_title(options.mode));
        text_out(painter, 2, 20, "Calculated");
        draw_calculated(painter, workspace, options, outcome);
        if (options.phases)
            draw_phase_overlay(painter, view, *options.phases, options.mode, options.scale);
    }
    for (int k = 1; k <= workspace.observed.count; ++k) {
        legendY += 15;
        draw_observed(painter, workspace, options, k, legendY, outcome);
    }
    if (options.selectedReflection != 0 && options.selectedReflection <= workspace.results.merged.count) {
        const double x = selected_abscissa(workspace, options.mode, options.selectedReflection);
        draw_reflection_marker(painter, view, options.selectedReflection, point_ecran(view, x, 0).x);
    }
    painter.restore();
    return outcome;
}

}  // namespace kalidos::drawing
