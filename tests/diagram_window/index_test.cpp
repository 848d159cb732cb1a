// The Index window over a measured rock-salt diagram: its peaks found, the face-centred cubic cell
// first, its reflections drawn over the diagram, then used as a phase without atoms.
#include "diagram/phase_mixture.hpp"
#include "diagram/tfidentify.hpp"
#include "diagram/tfindex.hpp"
#include "support/paths.hpp"
#include "test_structures.hpp"
#include "window_fixture.hpp"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

namespace kalidos::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(DiagramWindowTest, IndexFindsTheRockSaltCellDrawsItsLinesAndUsesItAsAPhase)
{
    const fs::path dir = make_scratch_dir("index-window");
    workspace = make_rock_salt(dir.string());
    workspace->model.dataDirectory = program_data_dir().string();
    workspace->model.enteredTwoTheta1 = workspace->model.twoTheta1 = 20;
    workspace->model.enteredTwoTheta2 = workspace->model.twoTheta2 = 120;
    open_window();
    ASSERT_NO_FATAL_FAILURE(open_calculation_as_scan(dir));

    trigger("Index1");
    app::Tfindex& index = window->index_window();
    const QString peaks = index.findChild<QPlainTextEdit*>("PeakList")->toPlainText();
    EXPECT_GE(peaks.count('\n'), 8) << peaks.toStdString();
    EXPECT_EQ(index.findChild<QLineEdit*>("Wavelength")->text().toStdString(), "1.540600");
    index.findChild<QPushButton*>("IndexCells")->click();
    auto* table = index.findChild<QTableWidget*>("CellTable");
    ASSERT_GE(table->rowCount(), 1) << ::testing::PrintToString(messages.warnings);
    EXPECT_EQ(table->item(0, app::Tfindex::System)->text().toStdString(), "cubic F");
    const FoundCell& best = index.result().cells.front();
    EXPECT_NEAR(best.fit.cell.a, workspace->model.cell.a, 0.003);

    // The cell's reflections over the diagram: a tick at its (2 0 0).
    const QColor ticks(200, 0, 160);
    const double twoTheta200 = 2 * std::asin(1.5406 / best.fit.cell.a) * 180 / 3.14159265358979 + best.fit.zero;
    const int column = pixel(twoTheta200, 0).x();
    EXPECT_LT(topmost_row(window->picture(), column, ticks, 0, view().baseline), view().baseline);
    const fs::path pictures(KALIDOS_PICTURE_DIR);
    fs::create_directories(pictures);
    EXPECT_TRUE(window->grab().save(QString::fromStdString((pictures / "index_ticks.png").string())));
    EXPECT_TRUE(index.grab().save(QString::fromStdString((pictures / "index_window.png").string())));

    // Used as a phase: the cell and the face-centred group, no atoms, no intensity, no fraction.
    index.findChild<QLineEdit*>("Group")->setText("F m -3 m");
    index.findChild<QPushButton*>("UseAsPhase")->click();
    ASSERT_EQ(window->mixture().entries().size(), 2u) << ::testing::PrintToString(messages.warnings);
    const MixturePhase& cell = window->mixture().entries()[1].phase;
    EXPECT_EQ(cell.name, "Indexed cubic F (1)");
    EXPECT_EQ(cell.model->atomCount, 0);
    EXPECT_EQ(cell.model->spaceGroupSymbol.substr(0, 1), "F");
    EXPECT_EQ(cell.fraction, 0);
    ASSERT_FALSE(cell.reflections.empty());
    for (const Reflection& r : cell.reflections) {
        EXPECT_EQ(r.intensity, 0);
        EXPECT_TRUE((r.h + r.k) % 2 == 0 && (r.k + r.l) % 2 == 0) << r.h << r.k << r.l;  // F: no mixed parity
    }

    // The Identify window hands over the peaks no phase found explains: none before a search.
    messages.warnings.clear();
    EXPECT_FALSE(window->identify_window().index_rest());
    EXPECT_EQ(messages.warnings, std::vector<std::string>{"Search the diagram first"});
    EXPECT_TRUE(window->identify_window().grab().save(QString::fromStdString((pictures / "identify_window.png").string())));
    PeakList rest;
    rest.wavelength = 1.5406;
    rest.position = {27.4, 31.7, 45.5};
    rest.intensity = {10, 100, 60};
    index.start_with(rest);
    EXPECT_EQ(index.findChild<QPlainTextEdit*>("PeakList")->toPlainText().count('\n'), 3);

    // A list typed by hand: three lines are too few, said so.
    index.findChild<QPlainTextEdit*>("PeakList")->setPlainText("27.4\n31.7\n45.5\n");
    messages.warnings.clear();
    index.findChild<QPushButton*>("IndexCells")->click();
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_EQ(messages.warnings[0], "indexing needs at least 6 lines; the list holds 3");
}

}  // namespace
}  // namespace kalidos::testing
