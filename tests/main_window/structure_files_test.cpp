// File › Open and Save through the main window: a real CIF read and calculated, a .cry saved into
// the chosen folder and read back, the block choice, a cancelled dialog.
#include <QLabel>
#include <QTimer>

#include <cmath>
#include <functional>

#include "dialogs/tform3.hpp"
#include "main_window_fixture.hpp"

namespace kalidos::app::testing {
namespace {

using StructureFiles = MainWindowTest;

std::string realdata_cif(const char* name)
{
    return (kalidos::testing::realdata_dir() / "cif" / name).string();
}

TEST_F(StructureFiles, RealCifIsReadShownAndCalculated)
{
    KALIDOS_REQUIRE_REALDATA();
    dialogs.answers.push_back(ChosenFile{realdata_cif("cod_1011031.cif"), 5});
    window->cif_format();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].filterIndex, 5);
    EXPECT_EQ(child<QLabel>("Panel4Caption")->text(), "Data (cod_1011031.cif)");
    EXPECT_EQ(ws->model.crystalSystem, "CUBI");
    EXPECT_EQ(child<QListWidget>("ListBox2")->currentRow(), 0);
    EXPECT_FALSE(edit("Edit8")->text().isEmpty());
    EXPECT_EQ(ws->model.atomCount, 2);
    EXPECT_EQ(cell("StringGrid1", 0, 0), "Si4+");
    EXPECT_EQ(cell("StringGrid1", 1, 0), "C");
    EXPECT_EQ(edit("Edit2")->text(), "  4.3580");

    click_list_row("ListBox4", 5);  // CuKa1
    edit("Edit17")->setText("80");
    ws->model.focusedField = 9;
    child<QPushButton>("BitBtn1")->click();
    ASSERT_EQ(ws->results.pattern.pointCount, kPatternPoints)
        << (messages.warnings.empty() ? "" : messages.warnings.back());
    EXPECT_TRUE(std::filesystem::exists(dir / "fstr.out"));
    EXPECT_TRUE(std::filesystem::exists(dir / "fstr2.out"));
    EXPECT_GT(child<QListWidget>("ListBox3")->count(), 5);
    // The strongest line, d = 2.516 Å (111), at 2θ = 35.65°.
    bool found = false;
    for (int i = 1; i <= ws->results.merged.count; ++i) {
        const Reflection& r = ws->results.merged[i];
        if (std::abs(r.twoTheta - 2 * std::asin(1.54056 / (2 * 2.516092)) * 180 / M_PI) < 0.01)
            found = true;
    }
    EXPECT_TRUE(found);
}

TEST_F(StructureFiles, CancelledDialogChangesNothing)
{
    type_into("Edit2", "5.431");
    click_list_row("ListBox2", 0);
    set_cell("StringGrid1", 0, 0, "Si");
    ASSERT_TRUE(window->read_entries());
    dialogs.answers.push_back(std::nullopt);
    window->open_structure(1);
    EXPECT_EQ(ws->model.crystalSystem, "CUBI");
    EXPECT_EQ(cell("StringGrid1", 0, 0), "Si");
    EXPECT_EQ(child<QListWidget>("ListBox2")->currentRow(), 0);
    EXPECT_EQ(child<QLabel>("Panel4Caption")->text(), "Data");
}

TEST_F(StructureFiles, SavedCryIsWrittenInTheChosenFolderAndReadBack)
{
    KALIDOS_REQUIRE_REALDATA();
    dialogs.answers.push_back(ChosenFile{realdata_cif("cod_1011031.cif"), 5});
    window->cif_format();
    ASSERT_EQ(ws->model.atomCount, 2);
    const auto folder = dir / "saved";
    std::filesystem::create_directories(folder);
    dialogs.answers.push_back(ChosenFile{(folder / "sic").string(), 0});
    window->sauve_donnees();
    ASSERT_TRUE(std::filesystem::exists(folder / "sic.cry")) << (messages.warnings.empty() ? "" : messages.warnings.back());
    EXPECT_EQ(child<QLabel>("Panel4Caption")->text(), "Data (sic.cry)");
    const StructureModel before = ws->model;

    window->rase_general();
    EXPECT_EQ(cell("StringGrid1", 0, 0), "");
    dialogs.answers.push_back(ChosenFile{(folder / "sic.cry").string(), 0});
    window->open_structure(1);
    EXPECT_EQ(ws->model.crystalSystem, "CUBI");
    EXPECT_EQ(ws->model.spaceGroupSymbol, before.spaceGroupSymbol);
    EXPECT_EQ(ws->model.cell.a, before.cell.a);
    ASSERT_EQ(ws->model.atomCount, 2);
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(ws->model.atomSymbol[i], before.atomSymbol[i]);
        EXPECT_NEAR(ws->model.atomX[i], before.atomX[i], 1e-6);
        EXPECT_NEAR(ws->model.atomPopulation[i], before.atomPopulation[i], 1e-4);
    }
    EXPECT_EQ(ws->model.operatorCount, before.operatorCount);
}

// Runs `action` on the dialog once it is shown (modal, inside its own event loop).
void when_visible(QDialog& dialog, std::function<void()> action)
{
    auto* timer = new QTimer(&dialog);
    QObject::connect(timer, &QTimer::timeout, &dialog, [timer, &dialog, action] {
        if (!dialog.isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start(5);
}

TEST_F(StructureFiles, SeveralBlocksAskWhichOne)
{
    KALIDOS_REQUIRE_REALDATA();
    TForm3& form3 = window->block_dialog();
    // Close: nothing is read.
    when_visible(form3, [&form3] { form3.BitBtn3Click(); });
    dialogs.answers.push_back(ChosenFile{realdata_cif("2-entries-AMCSD-global.cif"), 5});
    window->cif_format();
    EXPECT_EQ(ws->model.atomCount, 0);
    // OK on the second block.
    when_visible(form3, [&form3] {
        auto* list = form3.findChild<QListWidget*>("ListBox1");
        ASSERT_EQ(list->count(), 2);
        form3.BitBtn1Click();  // nothing selected: stays
        list->setCurrentRow(1);
        form3.BitBtn1Click();
    });
    dialogs.answers.push_back(ChosenFile{realdata_cif("2-entries-AMCSD-global.cif"), 5});
    window->cif_format();
    EXPECT_GT(ws->model.atomCount, 0);
}

}  // namespace
}  // namespace kalidos::app::testing

namespace kalidos::app::testing {
namespace {

// The launcher's promise: a bundled example opens and calculates.
TEST_F(StructureFiles, BundledSiliconExampleCalculates)
{
    const auto example = kalidos::testing::program_data_dir().parent_path() / "examples" / "silicon.cry";
    ASSERT_TRUE(std::filesystem::exists(example));
    dialogs.answers.push_back(ChosenFile{example.string(), 0});
    window->open_structure(1);
    ASSERT_EQ(ws->model.atomCount, 1) << (messages.warnings.empty() ? "" : messages.warnings.back());
    EXPECT_EQ(ws->model.crystalSystem, "CUBI");
    EXPECT_EQ(ws->model.operatorCount, 192);
    EXPECT_FALSE(edit("Edit8")->text().isEmpty());
    click_list_row("ListBox4", 5);  // CuKa1
    child<QPushButton>("BitBtn1")->click();
    ASSERT_EQ(ws->results.pattern.pointCount, kPatternPoints)
        << (messages.warnings.empty() ? "" : messages.warnings.back());
    // Si 111 at 2θ = 28.44° and no 200 (forbidden by the d glide).
    bool has111 = false, has200 = false;
    for (int i = 1; i <= ws->results.merged.count; ++i) {
        const Reflection& r = ws->results.merged[i];
        has111 = has111 || (r.h == 1 && r.k == 1 && r.l == 1 && std::abs(r.twoTheta - 28.44) < 0.01);
        has200 = has200 || (r.h == 2 && r.k == 0 && r.l == 0);
    }
    EXPECT_TRUE(has111);
    EXPECT_FALSE(has200);
}

}  // namespace
}  // namespace kalidos::app::testing
