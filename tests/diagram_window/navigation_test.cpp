// The diagram window's wheel zoom around the pointer and middle-button pan, beside the zoom box.
#include "window_fixture.hpp"

#include <QApplication>
#include <QWheelEvent>

namespace kalidos::testing {
namespace {

void turn_wheel(QWidget* widget, QPoint at, int eighthsOfDegree)
{
    QWheelEvent wheel(QPointF(at), QPointF(widget->mapToGlobal(at)), QPoint(), QPoint(0, eighthsOfDegree),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

TEST_F(DiagramWindowTest, WheelZoomKeepsThePointUnderThePointer)
{
    add_calculated_peaks(*workspace, {30}, {100});
    for (const AbscissaMode mode : {AbscissaMode::TwoTheta, AbscissaMode::Q}) {
        workspace->abscissaMode = mode;
        open_window();
        const drawing::DiagramView before = view();
        const int px = before.imageWidth * 2 / 3;
        const double under = drawing::point_monde(before, px, 0).x;
        turn_wheel(image(), {px, 100}, 240);  // two notches towards the screen: zoom in
        const drawing::DiagramView after = view();
        EXPECT_NEAR(after.xmax - after.xmin, 0.64 * (before.xmax - before.xmin), 1e-9);
        // Within the width of one pixel of the new view.
        EXPECT_NEAR(drawing::point_monde(after, px, 0).x, under, 1 / after.xScale);
        EXPECT_EQ(window->vertical_scale(), 1.0);
        turn_wheel(image(), {px, 100}, -240);
        EXPECT_NEAR(view().xmin, before.xmin, 1e-9);
        EXPECT_NEAR(view().xmax, before.xmax, 1e-9);
    }
}

TEST_F(DiagramWindowTest, MiddleDragPansAndTheRightButtonStillResets)
{
    add_calculated_peaks(*workspace, {30}, {100});
    open_window();
    turn_wheel(image(), pixel(30, 0), 120);
    const drawing::DiagramView zoomed = view();
    const QPoint from = pixel(30, 50);
    QTest::mousePress(image(), Qt::MiddleButton, {}, from);
    QTest::mouseMove(image(), from + QPoint(100, 30));
    QTest::mouseRelease(image(), Qt::MiddleButton, {}, from + QPoint(100, 30));
    // The diagram followed the pointer: the range moved left by 100 pixels' worth, width kept.
    EXPECT_NEAR(view().xmin, zoomed.xmin - 100 / zoomed.xScale, 1e-9);
    EXPECT_NEAR(view().xmax - view().xmin, zoomed.xmax - zoomed.xmin, 1e-9);
    EXPECT_NE(colour_at({from.x() + 50, from.y()}), drawing::kZoomBox);
    EXPECT_TRUE(selectedRows.empty());  // not taken for a click that indexes a peak
    // A pan is kept inside 2θ ≥ 0.
    QTest::mousePress(image(), Qt::MiddleButton, {}, from);
    QTest::mouseMove(image(), from + QPoint(5000, 0));
    QTest::mouseRelease(image(), Qt::MiddleButton, {}, from + QPoint(5000, 0));
    EXPECT_DOUBLE_EQ(view().xmin, 0);
    QTest::mouseClick(image(), Qt::RightButton, {}, QPoint(300, 100));
    EXPECT_DOUBLE_EQ(view().xmin, 10);
    EXPECT_DOUBLE_EQ(view().xmax, 50);
}

}  // namespace
}  // namespace kalidos::testing
