// The Series window: records of a temperature series opened from the diagram window, a cell length
// plotted against the temperature, the diagrams stepped through with their fits, a failed diagram.
#include "diagram/tfseries.hpp"
#include "support/paths.hpp"
#include "window_fixture.hpp"

#include <QComboBox>
#include <QSpinBox>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kalidos::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kRecords = 8;
constexpr int kFailed = 5;  // from 0

double cell_a(int k) { return 4.76 + 0.004 * k; }

// A record as kalidos-batch --series writes it: diagram k at 300 + 50 k kelvin, its a, and a fit of
// one peak whose calculation falls short of the observation by a tenth.
std::string record_line(int k)
{
    std::ostringstream line;
    line << R"({"index":)" << k + 1 << R"(,"file":"run/ramp.cif","scan":)" << k + 1 << R"(,"scans":8,"name":"",)"
         << R"("temperature":)" << 300 + 50 * k << R"(,"start_time":"","time":null,"settings":"0","ok":)"
         << (k == kFailed ? "false" : "true") << R"(,"reason":")" << (k == kFailed ? "no points" : "")
         << R"(","start":)" << k << R"(,"messages":[])";
    if (k != kFailed) {
        line << R"(,"points":41,"refined":4,"cycles":5,"converged":true,"outcome":"converged","rp":0.05,"rwp":)"
             << 0.06 + 0.001 * k
             << R"(,"rexp":0.05,"chi2":1.4,"values":[{"name":"0::a","value":)" << cell_a(k)
             << R"(,"su":0.0004},{"name":"zero","value":0.01,"su":0.001}],"curves":{)";
        std::ostringstream x, observed, calculated, background;
        for (int i = 0; i <= 40; ++i) {
            const double t = 30 + 0.25 * i, peak = 1000 * std::exp(-std::pow(t - 35, 2) / 0.5);
            const char* comma = i ? "," : "";
            x << comma << t;
            observed << comma << 50 + peak;
            calculated << comma << 50 + 0.9 * peak;
            background << comma << 50;
        }
        line << R"("two_theta":[)" << x.str() << R"(],"observed":[)" << observed.str() << R"(],"calculated":[)"
             << calculated.str() << R"(],"background":[)" << background.str() << "]}";
    }
    line << "}";
    return line.str();
}

bool red(const QColor& c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; }

// Whether any pixel within `radius` of `centre` is red.
bool ringed(const QImage& picture, QPointF centre, int radius)
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint p(static_cast<int>(centre.x()) + dx, static_cast<int>(centre.y()) + dy);
            if (picture.rect().contains(p) && red(picture.pixelColor(p)))
                return true;
        }
    return false;
}

TEST_F(DiagramWindowTest, SeriesWindowPlotsAValueAgainstTemperatureAndStepsThroughTheFits)
{
    const fs::path dir = make_scratch_dir("series-window");
    {
        std::ofstream out(dir / "ramp.jsonl");
        for (int k = 0; k < kRecords; ++k)
            out << record_line(k) << '\n';
        out << record_line(0).substr(0, 40);  // a record cut short by a stopped run
    }
    open_window();
    dialogs.answers = {app::ChosenFile{(dir / "ramp.jsonl").string(), 0}};
    trigger("Series1");
    app::Tfseries& series = window->series_window();
    ASSERT_EQ(series.records().size(), static_cast<std::size_t>(kRecords)) << ::testing::PrintToString(messages.warnings);
    series.resize(900, 700);
    EXPECT_EQ(series.value_name(), "0::a");
    EXPECT_EQ(series.findChild<QComboBox*>("SeriesAbscissa")->currentText(), "Temperature (K)");
    ASSERT_EQ(series.points().size(), static_cast<std::size_t>(kRecords - 1));  // not the failed one
    for (const drawing::SeriesPoint& p : series.points()) {
        EXPECT_EQ(p.x, 300 + 50 * p.record);
        EXPECT_DOUBLE_EQ(p.y, cell_a(p.record));
    }

    // Diagram 4 from the spin box: ringed in the plot, its fit drawn with its figures.
    series.findChild<QSpinBox*>("SeriesDiagram")->setValue(4);
    EXPECT_EQ(series.current_record(), 3);
    EXPECT_NE(series.record_text().toStdString().find("T = 450.00 K"), std::string::npos)
        << series.record_text().toStdString();
    EXPECT_NE(series.record_text().toStdString().find("0::a = 4.7720(4)"), std::string::npos);
    const auto* plot = series.findChild<app::PictureWidget*>("SeriesPlot");
    const drawing::SeriesPlotFrame& frame = series.plot_frame();
    ASSERT_TRUE(frame.drawn);
    EXPECT_TRUE(ringed(plot->picture(), frame.pixel(450, cell_a(3)), 9));
    EXPECT_FALSE(ringed(plot->picture(), frame.pixel(300, cell_a(0)), 3));
    // A larger a lies higher: the points rise from left to right.
    EXPECT_LT(frame.pixel(600, cell_a(6)).y(), frame.pixel(300, cell_a(0)).y());
    const QImage fit = series.findChild<app::PictureWidget*>("SeriesFit")->picture();
    int dark = 0;
    for (int y = 0; y < fit.height(); ++y)
        for (int x = fit.width() / 3; x < 2 * fit.width() / 3; ++x)
            dark += qGray(fit.pixel(x, y)) < 100;
    EXPECT_GT(dark, 100);  // the curves of the peak, not a blank picture
    QDir().mkpath(KALIDOS_PICTURE_DIR);
    series.grab().save(QString(KALIDOS_PICTURE_DIR) + "/series_window.png");

    // A click on the point of diagram 7 shows it; the failed diagram says why.
    const QPointF seventh = frame.pixel(600, cell_a(6));
    QTest::mouseClick(series.findChild<app::PictureWidget*>("SeriesPlot"), Qt::LeftButton, Qt::NoModifier,
                      seventh.toPoint());
    EXPECT_EQ(series.current_record(), 6);
    series.show_record(kFailed);
    EXPECT_NE(series.record_text().toStdString().find("failed: no points"), std::string::npos);
    // Another value: the fit's Rwp.
    ASSERT_TRUE(series.set_value("rwp"));
    EXPECT_EQ(series.points().front().y, 0.06);
    EXPECT_FALSE(series.set_value("0::c"));
}

// Renews docs/series_window.png from a series' records named by KALIDOS_SERIES_RECORDS (bench/
// series_corundum.py makes the 200-diagram corundum series): the cell length a against the
// temperature, the middle diagram's fit.
TEST_F(DiagramWindowTest, SeriesWindowPictureOfTheCorundumSeries)
{
    const char* records = std::getenv("KALIDOS_SERIES_RECORDS");
    if (!records)
        GTEST_SKIP() << "skipped: KALIDOS_SERIES_RECORDS names no series";
    open_window();
    app::Tfseries& series = window->series_window();
    series.resize(1000, 820);
    series.show();
    ASSERT_TRUE(series.open_file(records)) << ::testing::PrintToString(messages.warnings);
    series.show_record(static_cast<int>(series.records().size() / 2));
    ASSERT_GT(series.points().size(), series.records().size() / 2);
    QDir().mkpath(KALIDOS_PICTURE_DIR);
    EXPECT_TRUE(series.grab().save(QString(KALIDOS_PICTURE_DIR) + "/readme_series_window.png"));
}

}  // namespace
}  // namespace kalidos::testing
