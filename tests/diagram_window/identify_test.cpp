// The Identify window over a measured rock-salt diagram: a folder of example structures indexed,
// rock salt found first, its lines drawn over the diagram, then added to the Phases window.
#include "diagram/phase_mixture.hpp"
#include "diagram/tfidentify.hpp"
#include "support/paths.hpp"
#include "test_structures.hpp"
#include "window_fixture.hpp"

#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <fstream>

namespace kalidos::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(DiagramWindowTest, IdentifyFindsRockSaltDrawsItsLinesAndAddsItAsAPhase)
{
    const fs::path dir = make_scratch_dir("identify-window");
    const fs::path library = dir / "library";
    fs::create_directories(library);
    for (const char* name : {"nacl.cif", "quartz.cif", "fluorite.cif", "zincite.cif"})
        fs::copy_file(fs::path(KALIDOS_DATA_DIR).parent_path() / "examples" / name, library / name);
    workspace = make_rock_salt(dir.string());
    workspace->model.dataDirectory = program_data_dir().string();
    open_window();
    window->mixture().set_data_directory(program_data_dir());
    ASSERT_NO_FATAL_FAILURE(open_calculation_as_scan(dir));

    trigger("Identify1");
    app::Tfidentify& identify = window->identify_window();
    std::ofstream(library / "broken.cif") << "data_broken\n_cell_length_a 5\n";
    identify.findChild<QPushButton*>("Search")->click();
    EXPECT_EQ(messages.warnings.back(), "Choose a library index first");
    dialogs.answers = {app::ChosenFile{library.string(), 0}};
    identify.findChild<QPushButton*>("IndexFolder")->click();
    EXPECT_EQ(identify.entries().size(), 4u) << ::testing::PrintToString(messages.warnings);
    EXPECT_TRUE(identify.details().startsWith("Not read: broken.cif: ")) << identify.details().toStdString();
    identify.findChild<QLineEdit*>("Elements")->setText("-Si");
    identify.findChild<QPushButton*>("Search")->click();
    auto* table = identify.findChild<QTableWidget*>("CandidateTable");
    ASSERT_GE(table->rowCount(), 1) << ::testing::PrintToString(messages.warnings);
    EXPECT_EQ(table->item(0, app::Tfidentify::Formula)->text().toStdString(), "Na Cl");
    EXPECT_EQ(table->item(0, app::Tfidentify::Copies)->text().toStdString(), "1");
    EXPECT_TRUE(identify.note().startsWith("Searched rock_salt.cpi: ")) << identify.note().toStdString();
    for (int row = 0; row < table->rowCount(); ++row)
        EXPECT_NE(table->item(row, app::Tfidentify::Formula)->text().toStdString(), "Si O2");
    ASSERT_EQ(identify.identification().phases.size(), 1u);

    // Its lines over the diagram, the strongest reaching half the height above the baseline.
    const QColor sticks(200, 0, 160);
    table->setCurrentCell(0, 0);
    const CalculatedPattern& pattern = workspace->results.pattern;
    const StickLine strongest = stick_lines(identify.entries()[identify.identification().candidates[0].entry], 1.5406,
                                            pattern.angles[0], pattern.angles[pattern.pointCount - 1], 0)
                                    .front();
    const int column = pixel(strongest.twoTheta, 0).x();
    const int top = topmost_row(window->picture(), column, sticks, 0, view().baseline);
    EXPECT_NEAR(top, view().baseline - strongest.intensity * (view().baseline - 20) / 2, 2);
    const fs::path pictures(KALIDOS_PICTURE_DIR);
    fs::create_directories(pictures);
    EXPECT_TRUE(window->grab().save(QString::fromStdString((pictures / "identify_sticks.png").string())));
    EXPECT_TRUE(identify.grab().save(QString::fromStdString((pictures / "identify_window.png").string())));

    identify.findChild<QPushButton*>("AddAsPhase")->click();
    ASSERT_EQ(window->mixture().entries().size(), 2u) << ::testing::PrintToString(messages.warnings);
    EXPECT_EQ(window->mixture().entries()[1].phase.name, "nacl.cif");
    EXPECT_EQ(window->mixture().entries()[1].phase.fraction, identify.identification().phases[0].fraction);
}

}  // namespace
}  // namespace kalidos::testing
