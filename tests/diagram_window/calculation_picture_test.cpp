// The window after a real calculation (rock salt) with two measured diagrams read through
// File › Open: indexing a peak, and the pictures of the window and of the printed page.
#include "computation/calculation_driver.hpp"
#include "diagram/tfdifference.hpp"
#include "diagram/tfprint.hpp"
#include "drawing/print_page.hpp"
#include "support/paths.hpp"
#include "test_structures.hpp"
#include "window_fixture.hpp"

#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <cmath>
#include <fstream>

namespace kalidos::testing {
namespace {

// The calculation shows its diagram through the window, as the main window does.
class WindowHost : public RecordingCalculationHost {
  public:
    explicit WindowHost(app::Tfplecran& window) : window_(window) {}
    void show_diagram() override
    {
        RecordingCalculationHost::show_diagram();
        window_.show_after_calculation();
    }

  private:
    app::Tfplecran& window_;
};

// A "measured" CPI scan made from the calculated pattern: shifted by `shift` degrees, with a
// background and a deterministic ripple, in counts.
std::string write_measured_scan(const Workspace& workspace, const std::filesystem::path& path, double shift,
                                double background)
{
    const CalculatedPattern& pattern = workspace.results.pattern;
    std::ofstream out(path);
    out << "SIETRONICS XRD SCAN\n"
        << pattern.angles[0] << "\n"
        << pattern.angles[pattern.pointCount - 1] << "\n"
        << pattern.step << "\nCu\n1.54060\n00:00:00\n1\nSampleIdent measured\nSCANDATA\n";
    const int offset = static_cast<int>(std::lround(shift / pattern.step));
    for (int i = 0; i < pattern.pointCount; ++i) {
        const int source = std::clamp(i - offset, 0, pattern.pointCount - 1);
        const double ripple = 0.5 * std::sin(i * 0.7);
        out << static_cast<int>(10 * (background + pattern.intensities[source] + ripple)) << "\n";
    }
    return path.string();
}

TEST_F(DiagramWindowTest, CalculatedRockSaltWithTwoMeasuredDiagrams)
{
    const auto dir = make_scratch_dir("picture-rock-salt");
    workspace = make_rock_salt(dir.string());
    workspace->model.typedWavelength = 1.5406; // what the main window's wavelength field holds
    open_window();
    WindowHost host(*window);
    recalcule(*workspace, host, messages);
    ASSERT_EQ(workspace->results.pattern.pointCount, kPatternPoints)
        << ::testing::PrintToString(messages.warnings);
    ASSERT_TRUE(window->isVisible());
    ASSERT_TRUE(window->last_drawing().drawn);

    // A click on the strongest line (2 0 0) selects its row of the results list.
    const CountedTable<Reflection>& merged = workspace->results.merged;
    int strongest = 1;
    for (int i = 1; i <= merged.count; ++i)
        if (merged[i].intensity > merged[strongest].intensity)
            strongest = i;
    ASSERT_GT(strongest, 1); // (1 1 1) comes first and is weak
    EXPECT_NEAR(merged[strongest].twoTheta, 31.7, 0.1);
    const int column = pixel(merged[strongest].twoTheta, 0).x();
    QTest::mouseClick(image(), Qt::LeftButton, {}, QPoint(column + 1, 120));
    ASSERT_FALSE(selectedRows.empty());
    EXPECT_EQ(selectedRows.back(), strongest + 1);

    dialogs.answers = {app::ChosenFile{write_measured_scan(*workspace, dir / "measured_a.cpi", 0.12, 8), 4},
                       app::ChosenFile{write_measured_scan(*workspace, dir / "measured_b.cpi", -0.2, 20), 4}};
    trigger("CPIformatcpi1");
    trigger("CPIformatcpi1");
    ASSERT_EQ(workspace->observed.count, 2) << ::testing::PrintToString(messages.warnings);
    EXPECT_EQ(window->last_drawing().curveCount, 3);
    trigger("Difference1");
    window->set_selected_reflection(strongest);
    window->dessine();

    const auto pictures = std::filesystem::path(KALIDOS_PICTURE_DIR);
    std::filesystem::create_directories(pictures);
    EXPECT_TRUE(window->grab().save(QString::fromStdString((pictures / "rock_salt_2theta.png").string())));
    EXPECT_TRUE(window->difference_window().grab().save(
        QString::fromStdString((pictures / "rock_salt_difference.png").string())));
    // The main window's unit switch gives the Q limits of the 2θ range.
    drawing::derive_q_limits(workspace->model);
    workspace->abscissaMode = AbscissaMode::Q;
    window->dessine();
    EXPECT_NEAR(view().xmax, 4 * M_PI * std::sin(workspace->model.twoTheta2 * M_PI / 360) / 1.5406, 1e-3);
    EXPECT_TRUE(window->grab().save(QString::fromStdString((pictures / "rock_salt_q.png").string())));

    workspace->abscissaMode = AbscissaMode::TwoTheta;
    QImage page(drawing::kPageWidthDots, drawing::kPageHeightDots, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    drawing::render_print_page(
        painter, *workspace,
        {AbscissaMode::TwoTheta, drawing::IntensityScale::Linear, 1.0, "Rock salt, two scans"});
    painter.end();
    EXPECT_TRUE(page.save(QString::fromStdString((pictures / "rock_salt_printed_page.png").string())));
}

}  // namespace
}  // namespace kalidos::testing

namespace kalidos::testing {
namespace {

// Compare: the fitted calculation over a measured diagram, the figures in the results list,
// fstr.out and the legend, and the comparison's columns saved.
TEST_F(DiagramWindowTest, CompareFitsAMeasuredDiagramAndDrawsTheDifference)
{
    const auto dir = make_scratch_dir("picture-compare");
    workspace = make_rock_salt(dir.string());
    workspace->model.typedWavelength = 1.5406;
    open_window();
    WindowHost host(*window);
    recalcule(*workspace, host, messages);
    ASSERT_EQ(workspace->results.pattern.pointCount, kPatternPoints);
    const auto text_of = [](const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    trigger("Comparescale1");
    EXPECT_EQ(messages.warnings.back(), "No observed diagram to compare with!");
    EXPECT_FALSE(window->comparison_shown());

    dialogs.answers = {app::ChosenFile{write_measured_scan(*workspace, dir / "measured_a.cpi", 0.12, 8), 4}};
    trigger("CPIformatcpi1");
    ASSERT_EQ(workspace->observed.count, 1);
    const std::size_t listed = workspace->results.resultsList.size();
    trigger("Comparezero1");
    ASSERT_EQ(workspace->agreements.size(), 1u) << ::testing::PrintToString(messages.warnings);
    EXPECT_TRUE(window->comparison_shown());
    const Agreement& a = workspace->agreements.front();
    const double shift = std::round(0.12 / workspace->results.pattern.step) * workspace->results.pattern.step;
    EXPECT_NEAR(a.zeroShift.value, shift, 0.01);
    EXPECT_LT(a.rwp, 0.1) << a.rwp;
    EXPECT_EQ(workspace->results.resultsList.at(listed + 1), "Agreement with measured_a.cpi (scan 1)");
    EXPECT_NE(text_of(dir / "fstr.out").find("Agreement with measured_a.cpi"), std::string::npos);

    const auto pictures = std::filesystem::path(KALIDOS_PICTURE_DIR);
    std::filesystem::create_directories(pictures);
    EXPECT_TRUE(window->grab().save(QString::fromStdString((pictures / "rock_salt_compare.png").string())));

    dialogs.answers = {app::ChosenFile{(dir / "compared").string(), 2}};
    trigger("Columnsxy1");
    const std::string columns = text_of(dir / "compared.csv");
    EXPECT_EQ(columns.rfind("two_theta,observed,calculated,background,difference,sigma_fit,sigma_obs\n", 0), 0u);

    trigger("Observeddiagrams1");
    EXPECT_FALSE(window->comparison_shown());
}

}  // namespace
}  // namespace kalidos::testing

namespace kalidos::testing {
namespace {

// All diagram files: a plain-column file recognised by its content goes through the Lambda
// missing dialog (cancelled: nothing changes) and keeps its points at its own resolution.
TEST_F(DiagramWindowTest, AllDiagramFilesOpensAnyFormatAndAsksForAMissingWavelength)
{
    const auto dir = make_scratch_dir("open-any");
    {
        std::ofstream out(dir / "scan.xy");
        for (int i = 0; i <= 40000; ++i)
            out << 10 + i * 0.001 << " " << 50 + (i % 11) << "\n";
    }
    open_window();
    dialogs.answers = {app::ChosenFile{(dir / "scan.xy").string(), 0}, app::ChosenFile{(dir / "scan.xy").string(), 0}};
    trigger("Alldiagramfiles1");
    EXPECT_EQ(workspace->observed.count, 0);
    givenWavelengths = ScanWavelengths{1.5406, 0, 0, 1, "?"};
    trigger("Alldiagramfiles1");
    ASSERT_EQ(workspace->observed.count, 1) << ::testing::PrintToString(messages.warnings);
    const ObservedSlot& slot = workspace->observed.slots[1];
    EXPECT_EQ(slot.measured->format, "xy");
    EXPECT_EQ(slot.measured->scans[0].twoTheta.size(), 40001u);
    EXPECT_DOUBLE_EQ(slot.lambda, 1.5406);
}

}  // namespace
}  // namespace kalidos::testing
