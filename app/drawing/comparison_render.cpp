#include "drawing/comparison_render.hpp"

#include <algorithm>
#include <cmath>

#include "comparison/agreement_report.hpp"
#include "drawing/palette.hpp"
#include "util/su_text.hpp"

#include <QFontMetrics>
#include <QPolygon>

namespace kalidos::drawing {
namespace {

const QColor kBackgroundCurve{128, 128, 128};

struct Frame {
    DiagramView main;   // the upper part: intensities 0..100 × S
    int stripTop = 0, stripZero = 0, stripHalf = 0;
    double factor = 1;  // intensity units per count
};

double abscissa(double twoTheta, AbscissaMode mode, double lambda)
{
    return mode == AbscissaMode::Theta ? twoTheta / 2
           : mode == AbscissaMode::Q   ? q_from_two_theta(twoTheta, lambda)
                                       : twoTheta;
}

QPolygon curve(const Frame& frame, const std::vector<double>& x, const std::vector<double>& y)
{
    QPolygon line;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (x[i] < frame.main.xmin || x[i] > frame.main.xmax)
            continue;
        const Pixel p = point_ecran(frame.main, x[i], y[i] * frame.factor);
        line << QPoint(p.x, p.y);
    }
    return line;
}

QPolygon difference_curve(const Frame& frame, const std::vector<double>& x, const AgreementCurves& c)
{
    QPolygon line;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (x[i] < frame.main.xmin || x[i] > frame.main.xmax)
            continue;
        const Pixel p = point_ecran(frame.main, x[i], 0);
        const double rows = (c.observed[i] - c.calculated[i]) * frame.factor * frame.main.yScale;
        line << QPoint(p.x, frame.stripZero - static_cast<int>(std::lround(std::clamp(
                                                    rows, -double(frame.stripHalf), double(frame.stripHalf)))));
    }
    return line;
}

const char* const kCalculatedCaption = "Calculated x scale + background";

QSize legend_size(const QPainter& painter, const FitLegend& legend)
{
    const QFontMetrics metrics(painter.font(), painter.device());
    int width = std::max(metrics.horizontalAdvance(kCalculatedCaption), metrics.horizontalAdvance(legend.title));
    for (const QString& line : legend.figures)
        width = std::max(width, metrics.horizontalAdvance(line));
    return {width, 63 + 15 * static_cast<int>(legend.figures.size())};
}

void draw_legend(QPainter& painter, const FitLegend& legend, int x)
{
    text_out(painter, x, 3, legend.title);
    painter.setPen(observed_colour(1));
    text_out(painter, x, 18, "Observed");
    painter.setPen(Qt::black);
    text_out(painter, x, 33, kCalculatedCaption);
    painter.setPen(kBackgroundCurve);
    text_out(painter, x, 48, "Background");
    painter.setPen(Qt::black);
    for (int i = 0; i < legend.figures.size(); ++i)
        text_out(painter, x, 63 + 15 * i, legend.figures[i]);
}

// Where the legend goes, the left or the right of the picture, and the share of the height the
// curves may then take: the place where the curves below the legend are lowest, the curves
// lowered (their largest value under the legend's foot) only when they reach it on both sides.
struct LegendPlace {
    int x = 2;
    double shrink = 1;
};

LegendPlace place_legend(const Frame& frame, const std::vector<double>& x, const AgreementCurves& c, QSize legend)
{
    const int gap = 6;
    const int room = frame.main.baseline - legend.height() - gap;  // pixels the curves may rise
    LegendPlace best;
    best.shrink = -1;
    for (const int left : {2, frame.main.imageWidth - legend.width() - 4}) {
        double highest = 0;  // of the curves under the legend, in rows above the baseline
        for (std::size_t i = 0; i < x.size(); ++i) {
            if (x[i] < frame.main.xmin || x[i] > frame.main.xmax)
                continue;
            const int column = point_ecran(frame.main, x[i], 0).x;
            if (column < left - gap || column > left + legend.width() + gap)
                continue;
            highest = std::max({highest, c.observed[i] * frame.factor * frame.main.yScale,
                                c.calculated[i] * frame.factor * frame.main.yScale});
        }
        const double shrink = highest > room ? std::max(room, 1) / highest : 1.0;
        if (shrink > best.shrink)
            best = {left, shrink};
    }
    return best;
}

}  // namespace

FitLegend comparison_legend(const Agreement& a)
{
    std::string fitted = "Scale=" + value_su_text(a.scale.value, a.scale.su);
    if (a.zeroShift.su > 0)
        fitted += "  Zero shift=" + value_su_text(a.zeroShift.value, a.zeroShift.su);
    return {QString::fromStdString("Comparison with " + a.fileName),
            {QString::fromStdString(agreement_legend(a)),
             QString::fromStdString(fitted + "  Points=" + std::to_string(a.points))}};
}

RenderOutcome render_comparison(QPainter& painter, QSize picture, const Workspace& workspace,
                                const Agreement& agreement, const DiagramOptions& options)
{
    return render_fit(painter, picture, workspace, agreement.curves, comparison_legend(agreement), options);
}

RenderOutcome render_fit(QPainter& painter, QSize picture, const Workspace& workspace, const AgreementCurves& c,
                         const FitLegend& legend, const DiagramOptions& options)
{
    RenderOutcome outcome;
    const AbscissaLimits limits = display_limits(workspace.model, options.mode);
    if (limits.xmax == 0)
        return outcome;
    outcome.drawn = true;
    Frame frame;
    const int strip = picture.height() / 4;
    frame.main = make_view(picture.width(), picture.height() - strip, limits.xmin, limits.xmax, options.verticalScale);
    frame.stripTop = picture.height() - strip;
    frame.stripZero = frame.stripTop + strip / 2;
    frame.stripHalf = strip / 2 - 2;
    const double lambda = workspace.model.wavelengths.count > 0 ? workspace.model.wavelengths.values[1] : 0;
    std::vector<double> x(c.twoTheta.size());
    double largest = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = abscissa(c.twoTheta[i], options.mode, lambda);
        if (x[i] >= limits.xmin && x[i] <= limits.xmax)
            largest = std::max({largest, c.observed[i], c.calculated[i]});
    }
    frame.factor = largest > 0 ? 100 / largest : 1;
    outcome.view = frame.main;

    painter.save();
    painter.setClipRect(QRect(QPoint(0, 0), picture));
    painter.setFont(picture_font());
    const LegendPlace legendPlace = place_legend(frame, x, c, legend_size(painter, legend));
    frame.factor *= legendPlace.shrink;
    efface_ecran(painter, picture);
    trace_axe(painter, frame.main, frame.main.xmin, frame.main.xmax, 0);
    painter.drawLine(0, frame.stripTop, picture.width(), frame.stripTop);
    painter.setPen(QPen(kBackgroundCurve, 1, Qt::DotLine));
    painter.drawLine(0, frame.stripZero, picture.width(), frame.stripZero);
    painter.setPen(observed_colour(1));
    painter.drawPolyline(curve(frame, x, c.observed));
    painter.setPen(kBackgroundCurve);
    painter.drawPolyline(curve(frame, x, c.background));
    painter.setPen(Qt::black);
    painter.drawPolyline(curve(frame, x, c.calculated));
    painter.setPen(QColor(0, 0, 128));
    painter.drawPolyline(difference_curve(frame, x, c));
    painter.setPen(Qt::black);
    text_out(painter, 2, frame.stripTop + 3, "Observed - calculated");
    draw_legend(painter, legend, legendPlace.x);
    painter.restore();
    return outcome;
}

}  // namespace kalidos::drawing
