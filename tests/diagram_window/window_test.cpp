// The diagram window driven like a user: drawing, scales, spin buttons, zoom, reset, indexing, erase.
#include "diagram/tfdifference.hpp"
#include "diagram/up_down.hpp"
#include "drawing/palette.hpp"
#include "window_fixture.hpp"

#include <QAction>
#include <QLineEdit>
#include <QSpinBox>
#include <cmath>

namespace kalidos::testing {
namespace {

const QColor kBlack(Qt::black);

TEST_F(DiagramWindowTest, CalculatedPeakIsDrawnAtItsPixelWithTitlesAndHelpLine)
{
    add_calculated_peaks(*workspace, {30}, {80});
    open_window();
    ASSERT_TRUE(window->last_drawing().drawn);
    EXPECT_EQ(window->windowTitle(), "Diffraction diagram");
    EXPECT_EQ(view().imageWidth, window->picture().width());
    EXPECT_EQ(view().baseline, window->picture().height() - 28);
    // Point 508 of the grid is exactly 30°: the curve's top in that column is the peak's pixel.
    const QPoint peak = pixel(30, 80);
    EXPECT_EQ(topmost_row(window->picture(), peak.x(), kBlack, 1, view().baseline - 1), peak.y());
    EXPECT_EQ(peak.y(), static_cast<int>(std::lround(view().baseline * 0.2)));
    // The view's centre and width went to UpDown1 and to the model.
    EXPECT_EQ(window->findChild<QSpinBox*>("UpDown1")->value(), 30);
    EXPECT_DOUBLE_EQ(workspace->model.twoThetaWidth, 40);
    EXPECT_FALSE(window->findChild<QLineEdit*>("Edit3")->isHidden());
    EXPECT_TRUE(window->findChild<QLineEdit*>("Edit3")->text().startsWith("Click on a peak to index it"));
    EXPECT_EQ(window->last_drawing().curveCount, 1);
}

TEST_F(DiagramWindowTest, NothingIsDrawnBeforeThereIsARange)
{
    workspace->model.twoTheta2 = workspace->model.enteredTwoTheta2 = 0;
    open_window();
    EXPECT_FALSE(window->last_drawing().drawn);
    EXPECT_TRUE(window->findChild<QLineEdit*>("Edit3")->isHidden());
}

TEST_F(DiagramWindowTest, ScaleMenusCheckOneItemAndRedrawInSquareRoot)
{
    add_calculated_peaks(*workspace, {30}, {100});
    open_window();
    trigger("Squareroot1");
    EXPECT_TRUE(window->findChild<QAction*>("Squareroot1")->isChecked());
    EXPECT_FALSE(window->findChild<QAction*>("Linear1")->isChecked());
    EXPECT_EQ(window->intensity_scale(), drawing::IntensityScale::SquareRoot);
    const QPoint peak = pixel(30, 100 * 10 / std::sqrt(101.0));
    EXPECT_EQ(topmost_row(window->picture(), peak.x(), kBlack, 1, view().baseline - 1), peak.y());
    trigger("Logarithmic1");
    EXPECT_TRUE(window->findChild<QAction*>("Logarithmic1")->isChecked());
    EXPECT_FALSE(window->findChild<QAction*>("Squareroot1")->isChecked());
}

TEST_F(DiagramWindowTest, ScaleMenusWithoutCalculationOnlyRememberTheChoice)
{
    add_observed_peak(*workspace, "a.raw", 30, 50);
    open_window();
    const QImage before = window->picture().copy();
    trigger("Logarithmic1");
    EXPECT_EQ(window->intensity_scale(), drawing::IntensityScale::Logarithmic);
    EXPECT_EQ(window->picture(), before);
}

TEST_F(DiagramWindowTest, SpinButtonsUseThePositionShownBeforeTheStep)
{
    add_calculated_peaks(*workspace, {30}, {100});
    open_window();
    auto* upDown2 = window->findChild<app::UpDown*>("UpDown2");
    auto* upDown1 = window->findChild<app::UpDown*>("UpDown1");
    ASSERT_NE(upDown2, nullptr);
    upDown2->stepBy(1);
    EXPECT_DOUBLE_EQ(window->vertical_scale(), 1.0);
    EXPECT_EQ(upDown2->value(), 15);
    upDown2->stepBy(1);
    EXPECT_DOUBLE_EQ(window->vertical_scale(), 1.5);
    EXPECT_DOUBLE_EQ(view().verticalScale, 1.5);
    // At the maximum: a beep and no change.
    upDown2->setValue(500);
    upDown2->stepBy(-1);
    EXPECT_EQ(messages.beeps, 1);
    EXPECT_DOUBLE_EQ(window->vertical_scale(), 1.5);

    // UpDown1 shows the centre 30; a step re-centres there first, the next one moves by 1.
    upDown1->stepBy(1);
    EXPECT_DOUBLE_EQ(workspace->model.twoTheta1, 10);
    EXPECT_EQ(upDown1->value(), 31);
    upDown1->stepBy(1);
    EXPECT_DOUBLE_EQ(workspace->model.twoTheta1, 11);
    EXPECT_DOUBLE_EQ(workspace->model.twoTheta2, 51);
}

TEST_F(DiagramWindowTest, ZoomBoxThenRightButtonResets)
{
    add_calculated_peaks(*workspace, {30}, {100});
    open_window();
    const QPoint from = pixel(20, 50);
    const QPoint to = pixel(30, 20);
    QTest::mousePress(image(), Qt::LeftButton, {}, from);
    QTest::mouseMove(image(), to);
    // The green box is drawn over the clean picture while dragging.
    EXPECT_EQ(colour_at({(from.x() + to.x()) / 2, from.y()}), drawing::kZoomBox);
    QTest::mouseRelease(image(), Qt::LeftButton, {}, to);
    const double expectedScale =
        (window->picture().height() - 28.0) / (window->picture().height() - from.y() - 28.0);
    EXPECT_NEAR(workspace->model.twoTheta1, 20, 0.05);
    EXPECT_NEAR(workspace->model.twoTheta2, 30, 0.05);
    EXPECT_DOUBLE_EQ(window->vertical_scale(), expectedScale);
    EXPECT_EQ(window->findChild<QSpinBox*>("UpDown2")->value(), std::lround(10 * expectedScale));
    EXPECT_NEAR(view().xmin, 20, 0.05);

    QTest::mouseClick(image(), Qt::RightButton, {}, QPoint(300, 100));
    EXPECT_DOUBLE_EQ(workspace->model.twoTheta1, 10);
    EXPECT_DOUBLE_EQ(workspace->model.twoTheta2, 50);
    EXPECT_DOUBLE_EQ(window->vertical_scale(), 1.0);
    EXPECT_DOUBLE_EQ(view().xmax, 50);
}

TEST_F(DiagramWindowTest, ZoomDraggedRightToLeftTakesTheSameLimits)
{
    add_calculated_peaks(*workspace, {30}, {100});
    open_window();
    QTest::mousePress(image(), Qt::LeftButton, {}, pixel(30, 50));
    QTest::mouseRelease(image(), Qt::LeftButton, {}, pixel(20, 50));
    EXPECT_NEAR(workspace->model.twoTheta1, 20, 0.05);
    EXPECT_NEAR(workspace->model.twoTheta2, 30, 0.05);
    EXPECT_LT(view().xmin, view().xmax);
}

TEST_F(DiagramWindowTest, ClickBetweenTwoClosePeaksMarksBothAndSelectsTheLaterLine)
{
    add_calculated_peaks(*workspace, {30.0, 30.2, 40}, {100, 60, 30});
    open_window();
    const int first = pixel(30.0, 0).x();
    const int second = pixel(30.2, 0).x();
    ASSERT_LT(second - first, 8);
    const int middle = (first + second) / 2;
    QTest::mouseClick(image(), Qt::LeftButton, {}, QPoint(middle, 150));
    EXPECT_EQ(selectedRows, std::vector<int>{3}); // reflection 2 is on row 3 of ListBox3
    for (int column : {first, second}) {
        EXPECT_EQ(colour_at({column, view().baseline - 1}), drawing::kMarkerLine) << column;
        EXPECT_EQ(colour_at({column, 21}), drawing::kMarkerLine) << column;
    }
    EXPECT_EQ(colour_at({first - 4, 6}), drawing::kMarkerBackground);
    EXPECT_EQ(window->selected_reflection(), 0);

    // A click far from every reflection marks nothing and selects no line.
    QTest::mouseClick(image(), Qt::LeftButton, {}, QPoint(pixel(35, 0).x(), 150));
    EXPECT_EQ(selectedRows.size(), 1u);
    EXPECT_NE(colour_at({pixel(30.0, 0).x(), 21}), drawing::kMarkerLine);

    // The main window's selection is drawn by the next redraw.
    window->set_selected_reflection(3);
    window->dessine();
    EXPECT_EQ(colour_at({pixel(40, 0).x(), 21}), drawing::kMarkerLine);
}

TEST_F(DiagramWindowTest, ReadoutFollowsTheCursor)
{
    add_calculated_peaks(*workspace, {30}, {100});
    open_window();
    QTest::mouseMove(image(), pixel(30, 50));
    const QString text = window->findChild<QLineEdit*>("Edit1")->text();
    EXPECT_TRUE(text.startsWith("2Th=   30.0")) << text.toStdString();
    EXPECT_TRUE(text.contains("  d=  2.97")) << text.toStdString();
}

TEST_F(DiagramWindowTest, DifferenceWithOnlyObservedDiagramsShowsSecondMinusFirst)
{
    add_observed_peak(*workspace, "one.raw", 25, 50);
    open_window();
    trigger("Difference1"); // a single curve: nothing happens
    EXPECT_FALSE(window->difference_shown());
    EXPECT_FALSE(window->findChild<QAction*>("Difference1")->isChecked());

    add_observed_peak(*workspace, "two.raw", 35, 50);
    window->dessine();
    EXPECT_EQ(window->last_drawing().curveCount, 2);
    trigger("Difference1");
    ASSERT_TRUE(window->difference_shown());
    EXPECT_TRUE(window->findChild<QAction*>("Difference1")->isChecked());
    EXPECT_TRUE(window->difference_window().isVisible());
    const drawing::DifferenceRows& rows = window->last_drawing().rows;
    // Column of the first diagram's peak: the second curve lies far lower there.
    const int column = pixel(25, 0).x();
    ASSERT_GE(rows.row1[column], 0);
    ASSERT_GE(rows.row2[column], 0);
    EXPECT_GT(rows.row2[column], rows.row1[column]);
    const QImage& difference = window->difference_window().picture();
    EXPECT_EQ(difference.pixelColor(3, 100), kBlack); // zero line
    // Where the two curves differ by less than the picture's height, the difference is drawn.
    int plotted = 0;
    for (int j = 1; j <= drawing::kDifferenceColumns; ++j) {
        const int y = rows.row2[j] - rows.row1[j] + 100;
        if (rows.row1[j] >= 0 && rows.row2[j] >= 0 && y != 100 && y > 2 && y < difference.height() - 2) {
            EXPECT_EQ(difference.pixelColor(j, y), kBlack) << j;
            ++plotted;
        }
    }
    EXPECT_GT(plotted, 10);
    EXPECT_EQ(difference.pixelColor(3, 50), drawing::kDifferenceBackground);

    trigger("Difference1");
    EXPECT_FALSE(window->difference_shown());
    EXPECT_FALSE(window->difference_window().isVisible());
}

TEST_F(DiagramWindowTest, QModeSticksAreNotRecordedForTheDifference)
{
    add_calculated_peaks(*workspace, {20, 30}, {100, 40});
    add_observed_peak(*workspace, "one.raw", 25, 50);
    add_observed_peak(*workspace, "two.raw", 35, 50);
    workspace->abscissaMode = AbscissaMode::Q;
    open_window();
    EXPECT_EQ(window->last_drawing().curveCount, 2);
    const double q = 2 * M_PI / workspace->results.merged[2].d;
    const QPoint top = pixel(q, 40);
    EXPECT_EQ(topmost_row(window->picture(), top.x(), kBlack, 1, view().baseline - 1), top.y());
}

TEST_F(DiagramWindowTest, EraseItemsEmptyTheDiagramsAndHideTheDifference)
{
    add_calculated_peaks(*workspace, {30}, {100});
    add_observed_peak(*workspace, "one.raw", 25, 50);
    open_window();
    trigger("Difference1");
    ASSERT_TRUE(window->difference_shown());
    trigger("Calculateddiagram1");
    EXPECT_EQ(workspace->results.pattern.pointCount, 0);
    EXPECT_FALSE(window->difference_shown());
    EXPECT_EQ(window->last_drawing().curveCount, 1);
    trigger("Observeddiagrams1");
    EXPECT_EQ(workspace->observed.count, 0);
    EXPECT_EQ(workspace->observed.importCounter, 0);
    EXPECT_EQ(window->last_drawing().curveCount, 0);
}

TEST_F(DiagramWindowTest, PrintWithoutDiagramIsRefusedAndHelpOpensTheWindowsPage)
{
    open_window();
    trigger("ImpressionDiagramme1");
    EXPECT_EQ(messages.events, (std::vector<std::string>{"beep", "warning: No calculated diagram!"}));
    trigger("Help1");
    EXPECT_EQ(helpTopics, std::vector<int>{2});  // the diagram window's page
}

}  // namespace
}  // namespace kalidos::testing
