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

constexpr int kPageDpi = 299; // 117.66 dots per cm

struct RecordedPage {
    std::unique_ptr<PaintRecorder> recorder =
        std::make_unique<PaintRecorder>(QSize(kPageWidthDots, kPageHeightDots), kPageDpi);
    int ascent = 0;

    // Top-left corner of a text as the page placed it; (−1, −1) when the text is absent.
    QPoint corner(const QString& text) const
    {
        const auto* found = recorder->find_text(text);
        if (!found)
            return {-1, -1};
        return {qRound(found->baseline.x()), qRound(found->baseline.y()) - ascent};
    }
    bool has_line(QPoint from, QPoint to) const
    {
        for (const RecordedLine& line : recorder->lines)
            for (int i = 1; i < line.points.size(); ++i)
                if (line.points[i - 1].toPoint() == from && line.points[i].toPoint() == to)
                    return true;
        return false;
    }
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
    RecordedPage page;
    QPainter painter(page.recorder.get());
    render_print_page(painter, workspace, options);
    QFont font("Arial");
    font.setPixelSize(kPageFontPixels);
    page.ascent = QFontMetrics(font, page.recorder.get()).ascent();
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

    EXPECT_EQ(page.corner("KALIDOS. Powder diagram simulation"), QPoint(1306, 0));
    EXPECT_EQ(page.corner("Title:   Sample structure"), QPoint(0, 2250));
    EXPECT_EQ(page.corner("A comment"), QPoint(0, 2200));
    EXPECT_EQ(page.corner("a=  4.000"), QPoint(1200, 2200));
    EXPECT_EQ(page.corner("c=  4.000"), QPoint(1200, 2300));
    EXPECT_EQ(page.corner("beta =  90.00"), QPoint(1400, 2250));
    EXPECT_EQ(page.corner("Sp. Group: P m -3 m"), QPoint(1700, 2200));
    EXPECT_EQ(page.corner("Lambda=  1.54060"), QPoint(1700, 2250));
    EXPECT_EQ(page.corner("2Theta"), QPoint(3068, 2200));
    EXPECT_EQ(page.corner("Intensity"), QPoint(20, 0));
    EXPECT_EQ(page.corner("As calculated ( 1.54060)"), QPoint(20, 100));
    EXPECT_EQ(page.corner("first.raw ( 1.54060 Å)"), QPoint(20, 170));
    EXPECT_EQ(page.corner("second.rd ( 1.54060 Å)"), QPoint(20, 240));
    EXPECT_EQ(page.recorder->find_text("first.raw ( 1.54060 Å)")->colour, observed_colour(1));
    EXPECT_EQ(page.recorder->find_text("second.rd ( 1.54060 Å)")->colour, observed_colour(2));

    // The baseline, the first tick (10°, 2 cm) with its label below, the ordinate axis and the frame.
    EXPECT_TRUE(page.has_line({235, 2294}, {3176, 2294}));
    EXPECT_TRUE(page.has_line({235, 2294}, {235, 2314}));
    EXPECT_EQ(page.corner("10.00"), QPoint(195, 2324));
    EXPECT_EQ(page.corner("50.00"), QPoint(3136, 2324));
    EXPECT_TRUE(page.has_line({235, 2294}, {235, 177}));
    EXPECT_TRUE(page.has_line({3176, 2294}, {3176, 177}));
    EXPECT_TRUE(page.has_line({3176, 177}, {235, 177}));

    // The calculated curve (pen 3) rises to the frame's top at its largest point, 20°.
    const RecordedLine* calculated = page.curve(3);
    ASSERT_NE(calculated, nullptr);
    double top = 1e9;
    QPointF peak;
    for (const QPointF& point : calculated->points)
        if (point.y() < top)
            top = point.y(), peak = point;
    EXPECT_NEAR(peak.y(), 177, 1);
    EXPECT_NEAR(peak.x(), page_column({10, 50, 0, 0}, 20), 3);
    // The observed curves in their colours, with the pen the calculated curve left.
    int coloured = 0;
    for (const RecordedLine& line : page.recorder->lines)
        if (line.colour == observed_colour(1) || line.colour == observed_colour(2))
            coloured += line.points.size() > 100 && line.penWidth == 3 ? 1 : 0;
    EXPECT_EQ(coloured, 2);
}

TEST(PrintedPage, TickLabelsHaveTwoDecimalsBelowHundredAndOneFromHundredUp)
{
    auto workspace = kalidos::testing::make_empty_workspace();
    workspace->model.twoTheta1 = 5;
    workspace->model.twoTheta2 = 50;
    RecordedPage page = print(*workspace, {});
    EXPECT_EQ(page.corner(" 5.00"), QPoint(235 - 40, 2324));
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
    EXPECT_TRUE(doubled.has_line({235, 2294}, {235, 177}));
    const RecordedLine* calculated = doubled.curve(3);
    ASSERT_NE(calculated, nullptr);
    double top = 1e9;
    for (const QPointF& point : calculated->points)
        top = std::min(top, point.y());
    EXPECT_LT(top, 177 - 2000); // twice as high: far above the frame

    auto observedOnly = kalidos::testing::make_empty_workspace();
    kalidos::testing::add_observed_peak(*observedOnly, "only.cpi", 30, 80);
    const RecordedPage page = print(*observedOnly, {});
    EXPECT_TRUE(page.has_line({235, 2294}, {235, 177}));
    EXPECT_EQ(page.recorder->find_text("As calculated ( 1.54060)"), nullptr);
    EXPECT_EQ(page.corner("only.cpi ( 1.54060 Å)"), QPoint(20, 170));
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
    EXPECT_EQ(sticks[0]->points[0].y(), 2294);
    // Log scale: the strongest stick is drawn at 100 on the frame's scale (its largest point).
    const double imax = page_intensity_range(workspace->results.pattern).imax;
    const double v = 2 * 100 / std::log10(101.0); // log10(100)·100/log10(101)
    EXPECT_EQ(sticks[0]->points[1].y(), 2294 - static_cast<int>(v * 18 / imax * kDotsPerCm));
    EXPECT_EQ(sticks[1]->points[1].y(), 2294); // intensity 0: a stick of height 0
}

}  // namespace
}  // namespace kalidos::drawing
