// The Phases window over a real calculation (rock salt): a quartz phase added, drawn in its colour
// over the mixture's total, named by a click, listed in the column file and fitted back to a
// measured diagram made from known fractions; removed, the window is the one structure's again.
#include "computation/calculation_driver.hpp"
#include "diagram/phase_mixture.hpp"
#include "diagram/tfphases.hpp"
#include "drawing/print_page.hpp"
#include "support/paths.hpp"
#include "test_structures.hpp"
#include "window_fixture.hpp"

#include <QPainter>
#include <QPushButton>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <fstream>
#include <sstream>

namespace kalidos::testing {
namespace {

namespace fs = std::filesystem;

class ShowingHost : public RecordingCalculationHost {
  public:
    explicit ShowingHost(app::Tfplecran& window) : window_(window) {}
    void show_diagram() override
    {
        RecordingCalculationHost::show_diagram();
        window_.show_after_calculation();
    }

  private:
    app::Tfplecran& window_;
};

// A CPI scan of the calculated pattern as it now stands, in counts over a flat background.
std::string write_scan(const CalculatedPattern& pattern, const fs::path& path)
{
    std::ofstream out(path);
    out << "SIETRONICS XRD SCAN\n"
        << pattern.angles[0] << "\n"
        << pattern.angles[pattern.pointCount - 1] << "\n"
        << pattern.step << "\nCu\n1.54060\n00:00:00\n1\nSampleIdent mixture\nSCANDATA\n";
    for (int i = 0; i < pattern.pointCount; ++i)
        out << std::lround(50 + 200 * pattern.intensities[i]) << "\n";
    return path.string();
}

bool painted_in(const QImage& picture, const QColor& colour)
{
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixelColor(x, y) == colour)
                return true;
    return false;
}

class PhasesWindowTest : public DiagramWindowTest {
  protected:
    void calculate()
    {
        ShowingHost host(*window);
        recalcule(*workspace, host, messages);
        ASSERT_EQ(workspace->results.pattern.pointCount, kPatternPoints) << ::testing::PrintToString(messages.warnings);
    }
    void type(int row, app::Tfphases::Column column, const char* text)
    {
        window->phases_window().findChild<QTableWidget*>("PhaseTable")->item(row, column)->setText(text);
    }
    void click(const char* button) { window->phases_window().findChild<QPushButton*>(button)->click(); }
    std::vector<float> intensities() const
    {
        const CalculatedPattern& p = workspace->results.pattern;
        return {p.intensities, p.intensities + p.pointCount};
    }
};

TEST_F(PhasesWindowTest, QuartzAddedToRockSaltIsDrawnNamedListedAndFittedBack)
{
    const fs::path dir = make_scratch_dir("phases-window");
    workspace = make_rock_salt(dir.string());
    open_window();
    window->mixture().set_data_directory(program_data_dir());
    calculate();
    const std::vector<float> alone = intensities();
    const QImage before = window->picture().copy();

    // One phase: the picture and the pattern stay as they were.
    trigger("Phases1");
    ASSERT_EQ(window->mixture().entries().size(), 1u);
    EXPECT_EQ(window->phase_overlay(), nullptr);
    EXPECT_EQ(window->picture(), before);

    ASSERT_TRUE(window->phases_window().add_phase_file(
        (fs::path(KALIDOS_DATA_DIR).parent_path() / "examples" / "quartz.cif").string()))
        << ::testing::PrintToString(messages.warnings);
    ASSERT_NE(window->phase_overlay(), nullptr);
    EXPECT_NE(intensities(), alone);
    EXPECT_TRUE(painted_in(window->picture(), drawing::phase_colour(0)));
    EXPECT_TRUE(painted_in(window->picture(), drawing::phase_colour(1)));
    // The results list says which phase its lines belong to: quartz's follow its own heading.
    const std::vector<std::string>& listed = workspace->results.phaseLines;
    ASSERT_GT(listed.size(), 3u);
    EXPECT_EQ(listed[1].rfind("Phase 1: ", 0), 0u) << listed[1];
    EXPECT_EQ(listed[2].rfind("Phase 2: quartz.cif", 0), 0u) << listed[2];
    EXPECT_EQ(listed.size(), 3 + window->mixture().entries()[1].phase.reflections.size());

    auto* table = window->phases_window().findChild<QTableWidget*>("PhaseTable");
    table->item(1, app::Tfphases::Shown)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(window->phase_overlay()->phases[1].shown);
    table->item(1, app::Tfphases::Shown)->setCheckState(Qt::Checked);

    // A click on quartz's strongest line names quartz and the reflection.
    const MixturePhase& quartz = window->mixture().entries()[1].phase;
    const Reflection strongest = *std::max_element(
        quartz.reflections.begin(), quartz.reflections.end(),
        [](const Reflection& a, const Reflection& b) { return a.intensity < b.intensity; });
    QTest::mouseClick(image(), Qt::LeftButton, {}, QPoint(pixel(strongest.twoTheta, 0).x(), 120));
    const std::string named = window->phases_window().note().toStdString();
    EXPECT_NE(named.find("quartz.cif  " + std::to_string(strongest.h) + " " + std::to_string(strongest.k) + " " +
                         std::to_string(strongest.l)),
              std::string::npos)
        << named;

    const fs::path pictures(KALIDOS_PICTURE_DIR);
    fs::create_directories(pictures);
    EXPECT_TRUE(window->grab().save(QString::fromStdString((pictures / "phases_rock_salt_quartz.png").string())));
    // In Q each phase's lines are sticks in its colour.
    drawing::derive_q_limits(workspace->model);
    workspace->abscissaMode = AbscissaMode::Q;
    window->dessine();
    EXPECT_TRUE(painted_in(window->picture(), drawing::phase_colour(1)));
    window->phases_window().show_note("");
    QTest::mouseClick(image(), Qt::LeftButton, {}, QPoint(pixel(2 * M_PI / strongest.d, 0).x(), 120));
    EXPECT_EQ(window->phases_window().note().toStdString(), named);
    EXPECT_TRUE(window->grab().save(QString::fromStdString((pictures / "phases_q.png").string())));
    workspace->abscissaMode = AbscissaMode::TwoTheta;
    window->dessine();

    click("FitFractions");  // nothing measured yet
    ASSERT_FALSE(messages.warnings.empty());
    EXPECT_EQ(messages.warnings.back().rfind("Open a measured diagram first", 0), 0u) << messages.warnings.back();

    // Fractions 0.3 and 0.7 make the measured diagram; the fit from 0.5 and 0.5 finds them again.
    type(0, app::Tfphases::Fraction, "0.3");
    type(1, app::Tfphases::Fraction, "0.7");
    dialogs.answers = {app::ChosenFile{write_scan(workspace->results.pattern, dir / "mixture.cpi"), 4}};
    trigger("CPIformatcpi1");
    ASSERT_EQ(workspace->observed.count, 1) << ::testing::PrintToString(messages.warnings);
    type(0, app::Tfphases::Fraction, "0.5");
    type(1, app::Tfphases::Fraction, "0.5");
    click("FitFractions");
    EXPECT_NEAR(window->mixture().entries()[0].phase.fraction, 0.3, 2e-3);
    EXPECT_NEAR(window->mixture().entries()[1].phase.fraction, 0.7, 2e-3);
    EXPECT_NE(window->phases_window().note().indexOf("Rwp="), -1);
    EXPECT_TRUE(window->phases_window().grab().save(QString::fromStdString((pictures / "phases_window.png").string())));

    // 10 µm particles: quartz absorbs less than rock salt, so its share corrected for microabsorption
    // is below the scales' 0.7; with rock salt weighed in at 20 % the rest is amorphous.
    EXPECT_TRUE(table->isColumnHidden(app::Tfphases::Brindley));
    auto* particles = window->phases_window().findChild<QLineEdit*>("ParticleDiameter");
    auto* standard = window->phases_window().findChild<QLineEdit*>("InternalStandard");
    particles->setText("10");
    standard->setText("1:20");
    window->phases_window().update_quantities();
    ASSERT_FALSE(table->isColumnHidden(app::Tfphases::Brindley));
    const double salt = table->item(0, app::Tfphases::Brindley)->text().toDouble();
    const double silica = table->item(1, app::Tfphases::Brindley)->text().toDouble();
    EXPECT_NEAR(salt + silica, 1, 1e-4);
    EXPECT_LT(silica, 0.7 - 0.01);
    const QString text = window->phases_window().findChild<QLabel*>("PhaseQuantities")->text();
    const auto at = text.indexOf("Amorphous ");
    ASSERT_NE(at, -1) << text.toStdString();
    EXPECT_NEAR(text.mid(at + 10).section(' ', 0, 0).toDouble(), 100 * (1 - 0.2 / salt), 0.05) << text.toStdString();
    EXPECT_TRUE(window->phases_window().grab().save(QString::fromStdString((pictures / "phases_brindley.png").string())));
    particles->setText("");
    standard->setText("");
    window->phases_window().update_quantities();
    EXPECT_TRUE(table->isColumnHidden(app::Tfphases::Brindley));

    // The column file and the printed page carry the phase list.
    dialogs.answers = {app::ChosenFile{(dir / "mixture.xy").string(), 0}};
    trigger("Columnsxy1");
    std::ifstream columns(dir / "mixture.xy");
    std::string first, second;
    std::getline(columns, first);
    std::getline(columns, second);
    ASSERT_EQ(first.rfind("# phase 1: Test structure  w = ", 0), 0u) << first;
    ASSERT_EQ(second.rfind("# phase 2: quartz.cif  w = ", 0), 0u) << second;
    EXPECT_NEAR(std::stod(first.substr(first.find("w = ") + 4)), 0.3, 2e-3);
    EXPECT_NEAR(std::stod(second.substr(second.find("w = ") + 4)), 0.7, 2e-3);
    dialogs.answers = {app::ChosenFile{(dir / "mixture.svg").string(), 2}};
    trigger("Saveimage1");
    std::stringstream svg;
    svg << std::ifstream(dir / "mixture.svg").rdbuf();
    EXPECT_NE(svg.str().find("quartz.cif  w = 0.7"), std::string::npos);
    QImage page(drawing::kPageWidthDots, drawing::kPageHeightDots, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    drawing::PageOptions options;
    options.phases = window->phase_overlay();
    drawing::render_print_page(painter, *workspace, options);
    painter.end();
    EXPECT_TRUE(painted_in(page, drawing::phase_colour(1)));
    EXPECT_TRUE(page.save(QString::fromStdString((pictures / "phases_printed_page.png").string())));

    // Removed, the window shows the one structure's diagram again, exactly.
    window->phases_window().findChild<QTableWidget*>("PhaseTable")->selectRow(1);
    click("RemovePhase");
    EXPECT_EQ(window->phase_overlay(), nullptr);
    EXPECT_EQ(intensities(), alone);
    EXPECT_TRUE(workspace->results.phaseLines.empty());
}

// The first Calcul. fills an open Phases window; Calcul. again calculates the extra phases again with
// the main window's new settings, and an extra phase's own orientation calculates it again.
TEST_F(PhasesWindowTest, CalculatingAgainRecalculatesTheExtraPhases)
{
    workspace = make_rock_salt(make_scratch_dir("phases-again").string());
    open_window();
    window->mixture().set_data_directory(program_data_dir());
    trigger("Phases1");  // before any calculation: an empty table, filled by the first
    EXPECT_TRUE(window->mixture().entries().empty());
    calculate();
    ASSERT_EQ(window->mixture().entries().size(), 1u);
    ASSERT_TRUE(window->phases_window().add_phase_file(
        (fs::path(KALIDOS_DATA_DIR).parent_path() / "examples" / "rutile.cif").string()));
    // Its own orientation calculates it again: platelets on (0 0 1) strengthen the 0 0 l lines.
    const auto line_002 = [this] {
        for (const Reflection& r : window->mixture().entries()[1].phase.reflections)
            if (r.h == 0 && r.k == 0 && r.l == 2)
                return r.intensity;
        return 0.0;
    };
    const double random = line_002();
    ASSERT_GT(random, 0);
    type(1, app::Tfphases::Orientation, "0 0 1 0.5");
    EXPECT_EQ(window->mixture().entries()[1].settings.preferred.ratio, 0.5);
    EXPECT_GT(line_002(), 1.5 * random);
    const double before = window->mixture().entries()[1].phase.reflections.front().twoTheta;
    workspace->model.wavelengths.values[1] = 1.2;  // a shorter wavelength moves every line
    workspace->model.wavelengths.shortest = workspace->model.wavelengths.longest = 1.2;
    calculate();
    ASSERT_EQ(window->mixture().entries().size(), 2u);
    EXPECT_LT(window->mixture().entries()[1].phase.reflections.front().twoTheta, before - 1);
    EXPECT_NE(window->phase_overlay(), nullptr);
}

}  // namespace
}  // namespace kalidos::testing
