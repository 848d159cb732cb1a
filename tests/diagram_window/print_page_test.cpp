// The printed page: its mapping, texts, axis, frame, curves and legend, recorded in page dots.
#include "drawing/palette.hpp"
#include "drawing/print_page.hpp"
#include "paint_recorder.hpp"
#include "sample_workspace.hpp"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>

namespace kalidos::drawing {
namespace {

using kalidos::testing::PaintRecorder;
using kalidos::testing::RecordedLine;
using kalidos::testing::RecordedText;

constexpr int kPageDpi = 299; // 117.66 dots per cm

struct RecordedPage {
    std::unique_ptr<PaintRecorder> recorder;

    // Where a text was written and how much room it takes; a null rectangle when it is absent.
    QRect rect(const RecordedText& text) const
    {
        const QFontMetrics metrics(text.font, recorder.get());
        return {qRound(text.baseline.x()), qRound(text.baseline.y()) - metrics.ascent(),
                metrics.horizontalAdvance(text.text), metrics.height()};
    }
    QRect rect(const QString& text) const
    {
        const auto* found = recorder->find_text(text);
        return found ? rect(*found) : QRect();
    }
    QPoint corner(const QString& text) const { return recorder->find_text(text) ? rect(text).topLeft() : QPoint(-1, -1); }
    bool has_line(QPoint from, QPoint to) const
    {
        for (const RecordedLine& line : recorder->lines)
            for (int i = 1; i < line.points.size(); ++i)
                if (line.points[i - 1].toPoint() == from && line.points[i].toPoint() == to)
                    return true;
        return false;
    }
    // The abscissa axis: the first line drawn across the plot's 25 cm.
    QLine axis() const
    {
        for (const RecordedLine& line : recorder->lines)
            if (line.points.size() == 2 && line.points[1].x() - line.points[0].x() == 2941 &&
                line.points[0].y() == line.points[1].y())
                return QLineF(line.points[0], line.points[1]).toLine();
        return {};
    }
    int baseline() const { return axis().isNull() ? -1 : axis().y1(); }
    // The longest black polyline drawn with the given pen width.
    const RecordedLine* curve(double width) const
    {
        const RecordedLine* best = nullptr;
        for (const RecordedLine& line : recorder->lines)
            if (line.penWidth == width && line.colour == QColor(Qt::black) &&
                (!best || line.points.size() > best->points.size()))
                best = &line;
        return best;
    }
};

RecordedPage print(const Workspace& workspace, const PageOptions& options)
{
    RecordedPage page{std::make_unique<PaintRecorder>(options.pageDots, kPageDpi)};
    QPainter painter(page.recorder.get());
    render_print_page(painter, workspace, options);
    return page;
}

TEST(PageMapping, TruncatesToDotsFromTheBaselineRow)
{
    const PageMapping mapping{10, 50, 0, 18.0 / 100};
    EXPECT_EQ(page_column(mapping, 10), 235);  // 2 cm
    EXPECT_EQ(page_column(mapping, 50), 3176); // 27 cm
    EXPECT_EQ(page_column(mapping, 30), 1706); // 14.5 cm
    EXPECT_EQ(page_row(mapping, 0), 2294);
    EXPECT_EQ(page_row(mapping, 100), 2294 - 2117); // 18 cm = 2117.88 dots, truncated
    EXPECT_EQ(page_tick_label(5), " 5.00");
    EXPECT_EQ(page_tick_label(99.5), "99.50");
    EXPECT_EQ(page_tick_label(100), "100.0");
    EXPECT_EQ(page_intensity_range(CalculatedPattern{}).imax, 100);
}

TEST(PrintedPage, TextsAxisFrameAndLegendInPageDots)
{
    auto workspace = kalidos::testing::make_empty_workspace();
    kalidos::testing::add_calculated_peaks(*workspace, {20, 30}, {100, 50});
    kalidos::testing::add_observed_peak(*workspace, "first.raw", 20.5, 50);
    kalidos::testing::add_observed_peak(*workspace, "second.rd", 30.5, 50);
    const RecordedPage page =
        print(*workspace, {AbscissaMode::TwoTheta, IntensityScale::Linear, 1.0, "A comment"});

    // On A4 the plot keeps its 2 cm from the left edge; the texts are those of the page in 8 points.
    const int b = page.baseline();
    EXPECT_EQ(page.axis().x1(), 235);
    ASSERT_GT(b, 2117);
    EXPECT_LT(b, kPageHeightDots);
    for (const char* text : {"KALIDOS. Powder diagram simulation", "Title:   Sample structure", "A comment",
                             "a=  4.000", "b=  4.000", "c=  4.000", "alpha=  90.00", "beta =  90.00",
                             "gamma=  90.00", "Sp. Group: P m -3 m", "Lambda=  1.54060", "2Theta", "Intensity",
                             "As calculated ( 1.54060)", "first.raw ( 1.54060 Å)", "second.rd ( 1.54060 Å)"}) {
        ASSERT_NE(page.recorder->find_text(text), nullptr) << text;
        EXPECT_EQ(page.recorder->find_text(text)->font.pixelSize(), kPageFontPixels) << text;
    }
    // The heading is centred over the plot; the title over its comment, "beta" under "b"; the legend
    // above the frame and the summary below the tick labels.
    EXPECT_NEAR(page.rect("KALIDOS. Powder diagram simulation").center().x(), (235 + 3176) / 2, 2);
    EXPECT_EQ(page.corner("Title:   Sample structure").x(), page.corner("A comment").x());
    EXPECT_LT(page.corner("Title:   Sample structure").y(), page.corner("A comment").y());
    EXPECT_EQ(page.corner("b=  4.000").x(), page.corner("beta =  90.00").x());
    EXPECT_LT(page.rect("first.raw ( 1.54060 Å)").bottom(), b - 2117);
    EXPECT_GT(page.corner("Title:   Sample structure").y(), b + 30 + page.rect("10.00").height());
    EXPECT_EQ(page.rect("2Theta").right() + 1, 3176); // under the axis' end
    EXPECT_EQ(page.recorder->find_text("first.raw ( 1.54060 Å)")->colour, observed_colour(1));
    EXPECT_EQ(page.recorder->find_text("second.rd ( 1.54060 Å)")->colour, observed_colour(2));

    // The baseline, the first tick (10°, 2 cm) with its label below, the ordinate axis and the frame.
    EXPECT_TRUE(page.has_line({235, b}, {235, b + 20}));
    EXPECT_EQ(page.corner("10.00"), QPoint(195, b + 30));
    EXPECT_EQ(page.corner("50.00"), QPoint(3136, b + 30));
    EXPECT_TRUE(page.has_line({235, b}, {235, b - 2117}));
    EXPECT_TRUE(page.has_line({3176, b}, {3176, b - 2117}));
    EXPECT_TRUE(page.has_line({3176, b - 2117}, {235, b - 2117}));

    // The calculated curve (pen 3) rises to the frame's top at its largest point, 20°.
    const RecordedLine* calculated = page.curve(3);
    ASSERT_NE(calculated, nullptr);
    double top = 1e9;
    QPointF peak;
    for (const QPointF& point : calculated->points)
        if (point.y() < top)
            top = point.y(), peak = point;
    EXPECT_NEAR(peak.y(), b - 2117, 1);
    EXPECT_NEAR(peak.x(), page_column({10, 50, 0, 0}, 20), 3);
    // The observed curves in their colours, with the pen the calculated curve left.
    int coloured = 0;
    for (const RecordedLine& line : page.recorder->lines)
        if (line.colour == observed_colour(1) || line.colour == observed_colour(2))
            coloured += line.points.size() > 100 && line.penWidth == 3 ? 1 : 0;
    EXPECT_EQ(coloured, 2);
}

// Every text inside the paper, clear of every line drawn (frame, axis, ticks and curves, as far as
// their clip lets them go) and of every other text.
void expect_no_overlap(const RecordedPage& page, QSize paper, const std::string& what)
{
    const QRect sheet(QPoint(0, 0), paper);
    std::vector<QRect> rects;
    for (const RecordedText& text : page.recorder->texts) {
        const QRect r = page.rect(text);
        EXPECT_TRUE(sheet.contains(r)) << what << ": " << text.text.toStdString() << " leaves the paper";
        for (std::size_t i = 0; i < rects.size(); ++i)
            EXPECT_FALSE(r.intersects(rects[i]))
                << what << ": " << text.text.toStdString() << " over " << page.recorder->texts[i].text.toStdString();
        rects.push_back(r);
        for (const RecordedLine& line : page.recorder->lines)
            for (int i = 1; i < line.points.size(); ++i) {
                const double half = line.penWidth / 2;
                QRectF reach = QRectF(line.points[i - 1], line.points[i]).normalized().adjusted(-half, -half, half, half);
                if (!line.clip.isNull())
                    reach = reach.intersected(line.clip);
                ASSERT_FALSE(reach.isValid() && reach.intersects(r))
                    << what << ": " << text.text.toStdString() << " crosses a line near (" << line.points[i].x()
                    << ", " << line.points[i].y() << ")";
            }
    }
}

TEST(PrintedPage, NoTextCrossesTheFrameACurveOrAnotherTextOnA4AndLetter)
{
    auto workspace = kalidos::testing::make_empty_workspace();
    workspace->model.title = "Hydrated calcium aluminium silicate with substituted iron, measured at 293 K";
    kalidos::testing::add_calculated_peaks(*workspace, {11, 20, 30, 49}, {100, 50, 70, 90});
    for (int k = 1; k <= 10; ++k)
        kalidos::testing::add_observed_peak(*workspace, "scan_of_sample_" + std::to_string(k) + ".raw",
                                            10.2 + 4 * k, 50);
    const std::string comment(180, 'W'); // wider than Letter on its own
    struct Paper {
        const char* name;
        QSizeF millimetres;
    };
    for (const Paper& paper : {Paper{"A4", {210, 297}}, Paper{"Letter", {215.9, 279.4}}}) {
        // Either orientation composes the same landscape page; a portrait sheet carries it turned.
        const QSize dots = landscape_page_dots(paper.millimetres);
        ASSERT_EQ(dots, landscape_page_dots(paper.millimetres.transposed()));
        for (double s : {1.0, 2.5})
            for (AbscissaMode mode : {AbscissaMode::TwoTheta, AbscissaMode::Q}) {
                PageOptions options{mode, IntensityScale::SquareRoot, s, comment};
                options.pageDots = dots;
                expect_no_overlap(print(*workspace, options), dots,
                                  std::string(paper.name) + " S=" + std::to_string(s));
            }
    }
    // Fewer texts keep the 8-point font and the plot clear of them on both papers.
    auto small = kalidos::testing::make_empty_workspace();
    kalidos::testing::add_calculated_peaks(*small, {20, 30}, {100, 50});
    PageOptions letter{AbscissaMode::Theta, IntensityScale::Linear, 1.0, "Short"};
    letter.pageDots = landscape_page_dots({279.4, 215.9});
    const RecordedPage page = print(*small, letter);
    expect_no_overlap(page, letter.pageDots, "Letter, two peaks");
    EXPECT_EQ(page.recorder->find_text("Theta")->font.pixelSize(), kPageFontPixels);
    EXPECT_NEAR(page.axis().x1(), letter.pageDots.width() - page.axis().x2(), 2); // centred
}

TEST(PrintedPage, PortraitSheetCarriesTheLandscapePageTurned)
{
    const QSize page = landscape_page_dots({297, 210});
    const QRectF onPortrait = sheet_transform(QSizeF(page.height(), page.width()), 1.0).mapRect(QRectF(QPoint(), page));
    EXPECT_EQ(onPortrait.toRect(), QRect(0, 0, page.height(), page.width()));
    // The page's top-left corner lands at the sheet's bottom-left: the page reads turned clockwise.
    EXPECT_EQ(sheet_transform(QSizeF(page.height(), page.width()), 1.0).map(QPointF(0, 0)), QPointF(0, page.width()));
    EXPECT_EQ(sheet_transform(QSizeF(page), 2.0).mapRect(QRectF(QPoint(), page)), QRectF(0, 0, 2 * page.width(), 2 * page.height()));
}

TEST(PrintedPage, TickLabelsHaveTwoDecimalsBelowHundredAndOneFromHundredUp)
{
    auto workspace = kalidos::testing::make_empty_workspace();
    workspace->model.twoTheta1 = 5;
    workspace->model.twoTheta2 = 50;
    RecordedPage page = print(*workspace, {});
    EXPECT_EQ(page.corner(" 5.00"), QPoint(235 - 40, page.baseline() + 30));
    workspace->model.twoTheta1 = 60;
    workspace->model.twoTheta2 = 110;
    page = print(*workspace, {});
    EXPECT_NE(page.corner("100.0").x(), -1);
    EXPECT_NE(page.corner("95.00").x(), -1);
}

TEST(PrintedPage, DoubleScaleKeepsTheFrameAndWithoutCalculationTheFrameIsHundred)
{
    auto workspace = kalidos::testing::make_empty_workspace();
    kalidos::testing::add_calculated_peaks(*workspace, {20}, {100});
    const RecordedPage doubled = print(*workspace, {AbscissaMode::TwoTheta, IntensityScale::Linear, 2.0, ""});
    const int b = doubled.baseline();
    EXPECT_TRUE(doubled.has_line({235, b}, {235, b - 2117}));
    const RecordedLine* calculated = doubled.curve(3);
    ASSERT_NE(calculated, nullptr);
    double top = 1e9;
    for (const QPointF& point : calculated->points)
        top = std::min(top, point.y());
    EXPECT_LT(top, b - 2117 - 2000); // twice as high: far above the frame, cut below the legend
    EXPECT_GT(calculated->clip.top(), doubled.rect("As calculated ( 1.54060)").bottom());
    EXPECT_LT(calculated->clip.top(), b - 2117);

    auto observedOnly = kalidos::testing::make_empty_workspace();
    kalidos::testing::add_observed_peak(*observedOnly, "only.cpi", 30, 80);
    const RecordedPage page = print(*observedOnly, {});
    EXPECT_TRUE(page.has_line({235, page.baseline()}, {235, page.baseline() - 2117}));
    EXPECT_EQ(page.recorder->find_text("As calculated ( 1.54060)"), nullptr);
    EXPECT_NE(page.corner("only.cpi ( 1.54060 Å)").x(), -1);
}

TEST(PrintedPage, QModeSticksAreSevenDotsWideAndZeroInLogarithmicScale)
{
    auto workspace = kalidos::testing::make_empty_workspace();
    kalidos::testing::add_calculated_peaks(*workspace, {20, 30}, {100, 0});
    const RecordedPage page = print(*workspace, {AbscissaMode::Q, IntensityScale::Logarithmic, 1.0, ""});
    EXPECT_NE(page.corner("4Pi.sin(Theta/lambda)").x(), -1);
    EXPECT_NE(page.corner("Log(Intensity)").x(), -1);
    std::vector<const RecordedLine*> sticks;
    for (const RecordedLine& line : page.recorder->lines)
        if (line.penWidth == 7)
            sticks.push_back(&line);
    ASSERT_EQ(sticks.size(), 2u);
    const int b = page.baseline();
    EXPECT_EQ(sticks[0]->points[0].y(), b);
    // Log scale: the strongest stick is drawn at 100 on the frame's scale (its largest point).
    const double imax = page_intensity_range(workspace->results.pattern).imax;
    const double v = 2 * 100 / std::log10(101.0); // log10(100)·100/log10(101)
    EXPECT_EQ(sticks[0]->points[1].y(), b - static_cast<int>(v * 18 / imax * kDotsPerCm));
    EXPECT_EQ(sticks[1]->points[1].y(), b); // intensity 0: a stick of height 0
}

}  // namespace
}  // namespace kalidos::drawing
