// The main window's edits and grids, driven by object name: number repair, system constraints,
// atom rows, range units.
#include <cmath>
#include <numbers>

#include "main_window_fixture.hpp"

namespace kalidos::app::testing {
namespace {

using DataEntry = MainWindowTest;

TEST_F(DataEntry, TypedNumbersAreRepairedBeforeConversion)
{
    const std::pair<const char*, double> cases[] = {{".5", 0.5}, {"3.", 3.0}, {" .5", 0.5}};
    for (const auto& [typed, value] : cases) {
        type_into("Edit2", typed);
        EXPECT_EQ(ws->model.cell.a, value) << typed;
    }
    EXPECT_TRUE(messages.warnings.empty());
    type_into("Edit2", "5,4");
    EXPECT_EQ(messages.warnings, std::vector<std::string>{"Typing error!"});
    EXPECT_EQ(ws->model.cell.a, 0.5);
    type_into("Edit2", "-.5");  // repaired, then refused as no cell length
    EXPECT_EQ(messages.warnings.back(), "Unusable value in the entries: the cell length a = -0.5");
}

TEST_F(DataEntry, AtomRowsAreReducedAndBlankSymbolsIgnored)
{
    set_cell("StringGrid1", 0, 0, "Si");
    set_cell("StringGrid1", 0, 2, "1.5");
    set_cell("StringGrid1", 1, 0, "  ");
    set_cell("StringGrid1", 1, 2, "0.25");
    set_cell("StringGrid1", 2, 0, "O");
    set_cell("StringGrid1", 2, 2, "-0.3");
    ASSERT_TRUE(window->read_entries());
    ASSERT_EQ(ws->model.atomCount, 2);
    EXPECT_EQ(ws->model.atomX[1], 0.5);
    EXPECT_EQ(cell("StringGrid1", 0, 2), "  0.50000");
    EXPECT_EQ(cell("StringGrid1", 1, 0), "O");
    EXPECT_EQ(cell("StringGrid1", 1, 2), " -0.30000");
    EXPECT_EQ(cell("StringGrid1", 2, 0), "");
}

TEST_F(DataEntry, UneditedPopulationKeepsItsFullValue)
{
    set_cell("StringGrid1", 0, 0, "Fe");
    set_cell("StringGrid1", 0, 6, "0.125");
    ASSERT_TRUE(window->read_entries());
    window->show_atoms();  // shows 2 decimals
    EXPECT_EQ(cell("StringGrid1", 0, 6), " 0.13");
    ASSERT_TRUE(window->read_entries());
    EXPECT_EQ(ws->model.atomPopulation[1], 0.125);
}

TEST_F(DataEntry, CubicFillsAndLocksTheOtherCellValues)
{
    type_into("Edit2", "5.431");
    click_list_row("ListBox2", 0);
    EXPECT_EQ(ws->model.crystalSystem, "CUBI");
    for (const char* name : {"Edit3", "Edit4"}) {
        EXPECT_EQ(edit(name)->text(), "5.431") << name;
        EXPECT_TRUE(edit(name)->isReadOnly()) << name;
    }
    for (const char* name : {"Edit5", "Edit6", "edit7"}) {
        EXPECT_EQ(edit(name)->text(), "90") << name;
        EXPECT_TRUE(edit(name)->isReadOnly()) << name;
    }
    EXPECT_FALSE(edit("Edit2")->isReadOnly());
    EXPECT_EQ(ws->model.cell.c, 5.431);
}

TEST_F(DataEntry, RhombohedralCopiesTheModelsAlpha)
{
    type_into("Edit5", "60");
    edit("Edit5")->setText("75");  // typed but not yet read
    ws->model.focusedField = 0;
    click_list_row("ListBox2", 4);
    EXPECT_EQ(edit("Edit6")->text(), "  60.000");
    EXPECT_EQ(edit("edit7")->text(), "  60.000");
    EXPECT_TRUE(edit("Edit6")->isReadOnly());
    EXPECT_FALSE(edit("Edit5")->isReadOnly());
}

TEST_F(DataEntry, QLowerLimitUsesTheWavelength)
{
    type_into("Edit11", "1.5406");
    click_unit(2);
    EXPECT_EQ(checked_unit(), 2);
    EXPECT_EQ(edit("Edit13")->text(), "Q1");
    type_into("Edit14", "2");
    EXPECT_DOUBLE_EQ(ws->model.twoTheta1, 114.5914 * std::asin(2 * 1.5406 / (4 * std::numbers::pi)));
    EXPECT_EQ(ws->model.enteredQ1, 2);
    type_into("Edit17", "9");  // above 4 pi / lambda: no angle
    EXPECT_EQ(messages.warnings.back(), "Typing error!");
}

TEST_F(DataEntry, QUnitIsRefusedWithoutWavelength)
{
    click_unit(2);
    EXPECT_EQ(messages.warnings, std::vector<std::string>{"WaveLength not defined!"});
    EXPECT_EQ(checked_unit(), -1);
}

TEST_F(DataEntry, NewIronRowIsCompletedWhenLeft)
{
    QTableWidget* table = grid("StringGrid1");
    table->setCurrentCell(0, 0);
    QApplication::processEvents();
    set_cell("StringGrid1", 0, 0, "Fe");
    set_cell("StringGrid1", 0, 2, "0.25");
    table->setCurrentCell(0, 3);
    QApplication::processEvents();
    EXPECT_EQ(cell("StringGrid1", 0, 0), "Fe");
    EXPECT_EQ(ws->model.atomCount, 1);
    EXPECT_EQ(ws->model.atomY[1], 0);
    EXPECT_EQ(ws->model.atomB[1], 0);
    EXPECT_EQ(ws->model.atomPopulation[1], 1);
    EXPECT_EQ(cell("StringGrid1", 0, 6), "   1.000");
    EXPECT_EQ(cell("StringGrid4", 0, 0), "FE");
    EXPECT_EQ(ws->model.elementCount, 1);
    EXPECT_TRUE(messages.warnings.empty());
}

TEST_F(DataEntry, AnomalousHeaderRowIsGreenWithRedText)
{
    QTableWidget* table = grid("StringGrid1");
    table->setCurrentCell(0, 0);
    QApplication::processEvents();
    set_cell("StringGrid1", 0, 0, "Fe");
    set_cell("StringGrid1", 0, 2, "0.25");
    table->setCurrentCell(0, 3);
    QApplication::processEvents();
    ASSERT_EQ(ws->model.elementCount, 1);
    QTableWidget* anomalous = grid("StringGrid2");
    ASSERT_GE(anomalous->rowCount(), 3);
    for (int c = 0; c < anomalous->columnCount(); ++c) {
        ASSERT_NE(anomalous->item(1, c), nullptr) << c;
        EXPECT_EQ(anomalous->item(1, c)->background().color(), QColor(232, 255, 214)) << c;
        EXPECT_EQ(anomalous->item(1, c)->foreground().color(), QColor(Qt::red)) << c;
    }
    EXPECT_EQ(anomalous->item(1, 0)->text(), "Elem.");
    ASSERT_NE(anomalous->item(2, 0), nullptr);
    EXPECT_NE(anomalous->item(2, 0)->background().color(), QColor(232, 255, 214));  // only the header row
}

TEST_F(DataEntry, UnknownIonAndNucleusAreRefused)
{
    QTableWidget* table = grid("StringGrid1");
    table->setCurrentCell(0, 0);
    QApplication::processEvents();
    set_cell("StringGrid1", 0, 0, "Xq");
    table->setCurrentCell(0, 1);
    QApplication::processEvents();
    EXPECT_EQ(messages.warnings, std::vector<std::string>{"Unknown Ion: XQ"});
    EXPECT_EQ(cell("StringGrid1", 0, 0), "");

    child<QPushButton>("BitBtn3")->click();
    EXPECT_TRUE(grid("StringGrid4")->isVisibleTo(window.get()));
    EXPECT_FALSE(grid("StringGrid1")->isVisibleTo(window.get()));
    QTableWidget* neutron = grid("StringGrid4");
    neutron->setCurrentCell(2, 0);
    QApplication::processEvents();
    set_cell("StringGrid4", 2, 0, "Zz");
    neutron->setCurrentCell(2, 1);
    QApplication::processEvents();
    EXPECT_EQ(messages.warnings.back(), "Unknown nucleus: ZZ");
}

TEST_F(DataEntry, SelectSpaceGroupDoesNothingWithoutSystem)
{
    child<QPushButton>("BitBtn4")->click();
    auto* dialog = window->findChild<QDialog*>("fgroupes");
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(messages.events.empty());
}

}  // namespace
}  // namespace kalidos::app::testing
