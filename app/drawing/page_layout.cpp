#include "drawing/page_layout.hpp"

#include "drawing/print_page.hpp" // for kDotsPerCm and the page font size

#include <QFontMetrics>
#include <algorithm>

namespace kalidos::drawing {
namespace {

constexpr int kMargin = 30;    // 2.5 mm kept free along the paper's edges
constexpr int kColumnGap = 50; // between texts side by side
constexpr int kRowGap = 8;     // between rows of texts
constexpr int kFrameGap = 14;  // between the texts above the plot and the frame or the curves
constexpr int kSmallestFont = 12;

QFont page_font(int pixels)
{
    QFont font("Arial");
    font.setPixelSize(pixels);
    return font;
}

int text_width(const PageText& text, const QPaintDevice* device)
{
    return QFontMetrics(text.font, device).horizontalAdvance(text.text);
}

// The text in `font`, or in a smaller one when it alone is wider than `width`: its words are kept.
PageText fitted(PageText text, const QFont& font, int width, const QPaintDevice* device)
{
    text.font = font;
    while (text.font.pixelSize() > 4 && text_width(text, device) > width)
        text.font.setPixelSize(text.font.pixelSize() - 1);
    return text;
}

// Lines written one under the other; `rightEdge` > 0 puts the column's right side there when the
// row leaves room.
struct Column {
    std::vector<PageText> lines;
    int rightEdge = 0;
};

// Places the columns left to right from `left`, starting a new row of columns when the next one
// would pass `right`. Returns the bottom of the last row.
int flow_columns(const std::vector<Column>& columns, int left, int right, int top, int lineHeight,
                 const QPaintDevice* device, std::vector<PageText>& placed)
{
    int x = left, y = top, rowLines = 0;
    for (const Column& column : columns) {
        int width = 0;
        for (const PageText& line : column.lines)
            width = std::max(width, text_width(line, device));
        if (x > left && x + width > right) {
            y += rowLines * lineHeight + kRowGap;
            x = left;
            rowLines = 0;
        }
        const int at = column.rightEdge > 0 ? std::max(x, std::min(column.rightEdge, right) - width) : x;
        for (std::size_t i = 0; i < column.lines.size(); ++i) {
            if (column.lines[i].text.isEmpty())
                continue;
            PageText line = column.lines[i];
            line.topLeft = {at, y + static_cast<int>(i) * lineHeight};
            placed.push_back(line);
        }
        rowLines = std::max(rowLines, static_cast<int>(column.lines.size()));
        x = at + width + kColumnGap;
    }
    return y + rowLines * lineHeight;
}

// The ordinate title at the top left and the heading centred over the plot. Returns their bottom.
int place_heading_row(const PageWording& wording, const QFont& font, int plotCentre, int width,
                      const QPaintDevice* device, std::vector<PageText>& placed)
{
    PageText ordinate = fitted({wording.ordinateTitle, Qt::black, {}, {kMargin, kMargin}}, font, width, device);
    const int ordinateRight = kMargin + text_width(ordinate, device) + kColumnGap;
    PageText heading = fitted({wording.heading, Qt::black, {}, {}}, font, width - ordinateRight, device);
    const int headingWidth = text_width(heading, device);
    const int x = std::clamp(plotCentre - headingWidth / 2, ordinateRight, kMargin + width - headingWidth);
    heading.topLeft = {x, kMargin};
    placed.push_back(ordinate);
    placed.push_back(heading);
    return kMargin + QFontMetrics(font, device).height();
}

PagePlan plan_with_font(const PageWording& wording, QSize page, const QPaintDevice* device, int pixels)
{
    PagePlan plan;
    plan.font = page_font(pixels);
    const int lineHeight = QFontMetrics(plan.font, device).height();
    const int width = page.width() - 2 * kMargin;
    // The plot 2 cm from the left edge as on A4, centred on narrower paper.
    plan.plotLeftCm = std::clamp((page.width() - kPlotWidthDots) / 2 / kDotsPerCm, 0.0, 2.0);
    const int plotLeft = static_cast<int>(plan.plotLeftCm * kDotsPerCm);
    const int plotRight = plotLeft + kPlotWidthDots;

    int textsBottom = place_heading_row(wording, plan.font, plotLeft + kPlotWidthDots / 2, width, device, plan.texts);
    std::vector<Column> legend;
    for (const PageText& entry : wording.legend)
        legend.push_back({{fitted(entry, plan.font, width, device)}});
    if (!legend.empty())
        textsBottom = flow_columns(legend, kMargin, kMargin + width, textsBottom + kRowGap, lineHeight, device,
                                   plan.texts);

    // Below the plot: the tick labels' row, then the summary and the abscissa title at the axis' end.
    std::vector<Column> summary;
    for (const std::vector<QString>& lines : wording.summary) {
        Column column;
        for (const QString& line : lines)
            column.lines.push_back(fitted({line, Qt::black, {}, {}}, plan.font, width, device));
        summary.push_back(column);
    }
    summary.push_back({{fitted({wording.abscissaTitle, Qt::black, {}, {}}, plan.font, width, device)}, plotRight});
    std::vector<PageText> below;
    const int summaryHeight = flow_columns(summary, kMargin, kMargin + width, 0, lineHeight, device, below);
    const int summaryTop = kTickLabelGap + lineHeight + kRowGap;
    plan.baselineRow = page.height() - kMargin - summaryTop - summaryHeight;
    for (PageText& text : below) {
        text.topLeft.ry() += plan.baselineRow + summaryTop;
        plan.texts.push_back(text);
    }
    plan.curveTop = textsBottom + kFrameGap / 2;
    plan.fits = plan.baselineRow - kPlotHeightDots >= textsBottom + kFrameGap;
    return plan;
}

}  // namespace

PagePlan plan_page(const PageWording& wording, QSize page, const QPaintDevice* device)
{
    PagePlan plan;
    for (int pixels = kPageFontPixels; pixels >= kSmallestFont; --pixels) {
        plan = plan_with_font(wording, page, device, pixels);
        if (plan.fits)
            break;
    }
    return plan;
}

}  // namespace kalidos::drawing
