#include "drawing/print_page.hpp"

#include "drawing/display_values.hpp"
#include "drawing/page_layout.hpp"
#include "drawing/palette.hpp"
#include "drawing/phase_overlay.hpp"
#include "util/pascal_format.hpp" // for fmt_fixed

#include <QPolygon>

namespace kalidos::drawing {
namespace {

constexpr double kPlotWidthCm = 25;
constexpr double kPlotHeightCm = 18;

const char* page_abscissa_title(AbscissaMode mode)
{
    switch (mode) {
    case AbscissaMode::Theta:
        return "Theta";
    case AbscissaMode::TwoTheta:
        return "2Theta";
    case AbscissaMode::Q:
        break;
    }
    return "4Pi.sin(Theta/lambda)";
}

const char* page_ordinate_title(IntensityScale scale)
{
    switch (scale) {
    case IntensityScale::Linear:
        return "Intensity";
    case IntensityScale::Logarithmic:
        return "Log(Intensity)";
    case IntensityScale::SquareRoot:
        break;
    }
    return "SQRT(Intensity)";
}

QPoint page_point(const PageMapping& mapping, double x, double intensity)
{
    return {page_column(mapping, x), page_row(mapping, intensity)};
}

void set_pen(QPainter& painter, const QColor& colour, int width)
{
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
}

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

// Heading, axis titles, legend and the structure summary: title, comment, cell, space group and
// wavelength.
PageWording page_wording(const Workspace& workspace, const PageOptions& options)
{
    const StructureModel& model = workspace.model;
    const CellParameters& cell = model.cell;
    PageWording wording;
    wording.heading = "KALIDOS. Powder diagram simulation";
    wording.ordinateTitle = page_ordinate_title(options.scale);
    wording.abscissaTitle = page_abscissa_title(options.mode);
    if (workspace.results.pattern.pointCount > 0)
        wording.legend.push_back(
            {qs("As calculated (" + fmt_fixed(model.wavelengths.values[1], 8, 5) + ")"), Qt::black, {}, {}});
    if (options.phases && workspace.results.pattern.pointCount > 0)
        for (const PhaseLine& line : options.phases->phases)
            wording.legend.push_back({line.label, line.colour, {}, {}});
    for (int k = 1; k <= workspace.observed.count; ++k) {
        const ObservedSlot& slot = workspace.observed.slots[k];
        wording.legend.push_back(
            {qs(slot.fileName + " (" + fmt_fixed(slot.lambda, 8, 5) + " Å)"), observed_colour(k), {}, {}});
    }
    wording.summary = {{qs("Title: " + model.title), qs(options.comment)},
                       {qs("a=" + fmt_fixed(cell.a, 7, 3)), qs("alpha=" + fmt_fixed(cell.alpha, 7, 2))},
                       {qs("b=" + fmt_fixed(cell.b, 7, 3)), qs("beta =" + fmt_fixed(cell.beta, 7, 2))},
                       {qs("c=" + fmt_fixed(cell.c, 7, 3)), qs("gamma=" + fmt_fixed(cell.gamma, 7, 2))},
                       {qs("Sp. Group: " + model.spaceGroupSymbol),
                        qs("Lambda=" + fmt_fixed(model.typedWavelength, 9, 5))}};
    return wording;
}

void draw_page_texts(QPainter& painter, const PagePlan& plan)
{
    const QPen previous = painter.pen();
    for (const PageText& text : plan.texts) {
        painter.setFont(text.font);
        painter.setPen(text.colour);
        text_out(painter, text.topLeft.x(), text.topLeft.y(), text.text);
    }
    painter.setFont(plan.font);
    painter.setPen(previous);
}

// The abscissa axis with its ticks, the ordinate axis and the frame.
void draw_page_axes(QPainter& painter, const PageMapping& mapping, double imax, double verticalScale)
{
    painter.drawLine(page_point(mapping, mapping.xmin, 0), page_point(mapping, mapping.xmax, 0));
    for (double t : tick_values(mapping.xmin, mapping.xmax)) {
        const QPoint foot = page_point(mapping, t, 0);
        painter.drawLine(foot, foot + QPoint(0, 20));
        text_out(painter, foot.x() - 40, foot.y() + kTickLabelGap, QString::fromStdString(page_tick_label(t)));
    }
    const double top = imax / verticalScale;
    painter.drawLine(page_point(mapping, mapping.xmin, 0), page_point(mapping, mapping.xmin, top));
    QPolygon frame;
    frame << page_point(mapping, mapping.xmin, mapping.imin)
          << page_point(mapping, mapping.xmax, mapping.imin) << page_point(mapping, mapping.xmax, top)
          << page_point(mapping, mapping.xmin, top);
    painter.drawPolyline(frame);
}

void draw_page_calculated(QPainter& painter, const Workspace& workspace, const PageOptions& options,
                          const PageMapping& mapping)
{
    if (options.mode == AbscissaMode::Q && options.phases) {
        draw_phase_sticks(painter, *options.phases, options.scale, 7, mapping.xmin, mapping.xmax,
                          [&mapping](double q, double v) { return page_point(mapping, q, v); });
        set_pen(painter, Qt::black, 2);
        return;
    }
    if (options.mode == AbscissaMode::Q) {
        const std::vector<double> values = stick_display_values(workspace.results, options.scale);
        set_pen(painter, Qt::black, 7);
        for (int i = 1; i <= workspace.results.peaks.count; ++i) {
            const double q = workspace.results.peaks[i].q;
            if (q < mapping.xmin)
                continue;
            if (q > mapping.xmax)
                break;
            painter.drawLine(page_point(mapping, q, 0),
                             page_point(mapping, q, values[static_cast<std::size_t>(i - 1)]));
        }
        set_pen(painter, Qt::black, 2);
        return;
    }
    const CalculatedPattern& pattern = workspace.results.pattern;
    const std::vector<double> values = calculated_display_values(pattern, options.scale);
    const double factor = options.mode == AbscissaMode::Theta ? 0.5 : 1.0;
    QPolygon line;
    for (int i = 2; i <= pattern.pointCount; ++i) {
        const double x = pattern.angles[i - 1] * factor;
        if (x < mapping.xmin)
            continue;
        if (x > mapping.xmax)
            break;
        line << page_point(mapping, x, values[static_cast<std::size_t>(i - 1)]);
    }
    painter.drawPolyline(line);
}

// Each shown phase of a mixture in its colour, over the points the calculated curve uses.
void draw_page_phases(QPainter& painter, const PhaseOverlay& overlay, const PageOptions& options,
                      const PageMapping& mapping)
{
    if (options.mode == AbscissaMode::Q)
        return;  // the calculation is drawn as sticks
    const QPen previous = painter.pen();
    const double factor = options.mode == AbscissaMode::Theta ? 0.5 : 1.0;
    for (const PhaseLine& phase : overlay.phases) {
        if (!phase.shown)
            continue;
        const std::vector<double> values = curve_display_values(phase.intensity, options.scale);
        QPolygon line;
        for (std::size_t i = 1; i < values.size() && i < overlay.twoTheta.size(); ++i) {
            const double x = overlay.twoTheta[i] * factor;
            if (x < mapping.xmin)
                continue;
            if (x > mapping.xmax)
                break;
            line << page_point(mapping, x, values[i]);
        }
        QPen pen = previous;
        pen.setColor(phase.colour);
        painter.setPen(pen);
        painter.drawPolyline(line);
    }
    painter.setPen(previous);
}

void draw_page_observed(QPainter& painter, const Workspace& workspace, const PageOptions& options,
                        PageMapping mapping, int k)
{
    const ObservedSlot& slot = workspace.observed.slots[k];
    const StructureModel& model = workspace.model;
    const QPen previous = painter.pen();
    QPen curvePen = previous;
    curvePen.setColor(observed_colour(k));
    painter.setPen(curvePen);
    mapping.imin = 0;
    mapping.ky = kPlotHeightCm * options.verticalScale / 100;
    const std::vector<double> values = observed_display_values(slot, options.scale);
    QPolygon line;
    for (int i = 1; i <= kPatternPoints; ++i) {
        const ObservedPoint& point = slot.points[i];
        if (point.twoTheta < model.twoTheta1 || point.twoTheta > model.twoTheta2)
            continue;
        const double x = options.mode == AbscissaMode::Theta      ? point.twoTheta / 2
                         : options.mode == AbscissaMode::TwoTheta ? point.twoTheta
                                                                  : point.q;
        line << page_point(mapping, x, values[static_cast<std::size_t>(i - 1)]);
    }
    painter.drawPolyline(line);
    painter.setPen(previous);
}

}  // namespace

int page_column(const PageMapping& mapping, double x)
{
    const double span = mapping.xmax - mapping.xmin;
    const double cm = (span != 0 ? (x - mapping.xmin) * kPlotWidthCm / span : 0.0) + mapping.leftCm;
    return static_cast<int>(cm * kDotsPerCm);
}

int page_row(const PageMapping& mapping, double intensity)
{
    return mapping.baselineRow - static_cast<int>((intensity - mapping.imin) * mapping.ky * kDotsPerCm);
}

std::string page_tick_label(double value)
{
    return value >= 100 ? fmt_fixed(value, 5, 1) : fmt_fixed(value, 5, 2);
}

IntensityRange page_intensity_range(const CalculatedPattern& pattern)
{
    if (pattern.pointCount == 0)
        return {};
    IntensityRange range{0, 0};
    for (int i = 2; i <= pattern.pointCount; ++i)
        range.imax = std::max(range.imax, static_cast<double>(pattern.intensities[i - 1]));
    if (range.imax <= range.imin)
        range.imax = 100; // a flat pattern keeps the frame of an empty page
    return range;
}

QSize landscape_page_dots(QSizeF millimetres)
{
    const auto dots = [](double mm) { return static_cast<int>(mm / 10 * kDotsPerCm); };
    const double across = std::max(millimetres.width(), millimetres.height());
    const double down = std::min(millimetres.width(), millimetres.height());
    return {dots(across), dots(down)};
}

QTransform sheet_transform(QSizeF sheetPixels, double pixelsPerDot)
{
    QTransform transform;
    if (sheetPixels.height() > sheetPixels.width())
        transform.translate(0, sheetPixels.height()).rotate(-90);
    return transform.scale(pixelsPerDot, pixelsPerDot);
}

void render_print_page(QPainter& painter, const Workspace& workspace, const PageOptions& options)
{
    const AbscissaLimits limits = display_limits(workspace.model, options.mode);
    const IntensityRange range = page_intensity_range(workspace.results.pattern);
    const PagePlan plan = plan_page(page_wording(workspace, options), options.pageDots, painter.device());
    const PageMapping mapping{limits.xmin, limits.xmax, range.imin,
                              kPlotHeightCm * options.verticalScale / (range.imax - range.imin),
                              plan.plotLeftCm, plan.baselineRow};
    painter.save();
    painter.setFont(plan.font);
    set_pen(painter, Qt::black, 2);
    draw_page_texts(painter, plan);
    draw_page_axes(painter, mapping, range.imax, options.verticalScale);
    // Curves stay between the texts above the plot and the tick labels, even when S lifts them
    // over the frame.
    const int left = page_column(mapping, mapping.xmin);
    painter.setClipRect(QRect(left - 10, plan.curveTop, page_column(mapping, mapping.xmax) - left + 20,
                              plan.baselineRow + 10 - plan.curveTop));
    set_pen(painter, Qt::black, 3);
    if (workspace.results.pattern.pointCount > 0)
        draw_page_calculated(painter, workspace, options, mapping);
    if (workspace.results.pattern.pointCount > 0 && options.phases)
        draw_page_phases(painter, *options.phases, options, mapping);
    for (int k = 1; k <= workspace.observed.count; ++k)
        draw_page_observed(painter, workspace, options, mapping, k);
    painter.restore();
}

}  // namespace kalidos::drawing
