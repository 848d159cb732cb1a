// Reading the main window's entries: system constraints, atom rows, limits and their refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>

#include "entry/atom_entry.hpp"
#include "entry/cell_entry.hpp"
#include "entry/read_entries.hpp"
#include "support/recording_messages.hpp"
#include "util/number_text.hpp"

namespace kalidos {
namespace {

class ReadEntries : public ::testing::Test {
protected:
    void SetUp() override
    {
        ws = make_workspace(".");
        form = std::make_unique<EntryForm>();
        form->cell = {"5.431", "", "", "", "", ""};
        form->lower = "10";
        form->upper = "50";
        form->u = "0.001";
        form->v = "0";
        form->w = "0.005";
        ws->model.focusedField = 0;
    }
    void atom(int row, const char* symbol, const char* x, const char* pop = "1")
    {
        form->xray.set_text(row, kColSymbol, symbol);
        form->xray.set_text(row, kColX, x);
        form->xray.set_text(row, kColY, "0");
        form->xray.set_text(row, kColZ, "0");
        form->xray.set_text(row, kColB, "0.5");
        form->xray.set_text(row, kColPopulation, pop);
    }
    EntryReadResult read() { return read_entries(*ws, *form, messages); }

    std::unique_ptr<Workspace> ws;
    std::unique_ptr<EntryForm> form;
    testing::RecordingMessages messages;
};

TEST_F(ReadEntries, CubicFillsAndLocksTheOtherCellValues)
{
    form->systemIndex = 0;
    ASSERT_TRUE(read().complete);
    EXPECT_EQ(ws->model.crystalSystem, "CUBI");
    EXPECT_EQ(form->cell[1], "5.431");
    EXPECT_EQ(form->cell[2], "5.431");
    EXPECT_EQ(form->cell[3], "90");
    EXPECT_EQ(form->cell[5], "90");
    EXPECT_FALSE(form->cellLook[0].locked);
    for (int i = 1; i < 6; ++i)
        EXPECT_TRUE(form->cellLook[static_cast<std::size_t>(i)].locked) << i;
    EXPECT_EQ(ws->model.cell.c, 5.431);
    EXPECT_EQ(ws->model.cell.gamma, 90);
}

TEST_F(ReadEntries, RhombohedralCopiesTheModelsAlphaNotTheEditsText)
{
    ws->model.cell.alpha = 60;
    form->cell[3] = "70";
    form->systemIndex = 4;
    ASSERT_TRUE(read().complete);
    EXPECT_EQ(form->cell[3], "  60.000");
    EXPECT_EQ(form->cell[4], "  60.000");
    EXPECT_FALSE(form->cellLook[3].locked);
    EXPECT_TRUE(form->cellLook[4].locked);
    EXPECT_EQ(ws->model.cell.beta, 60);
}

TEST_F(ReadEntries, FocusedFieldThatDoesNotConvertStopsTheRead)
{
    form->cell[0] = "5,4";
    form->title = "new title";
    ws->model.focusedField = 1;
    const auto result = read();
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.refocusField, 1);
    EXPECT_EQ(messages.events, (std::vector<std::string>{"beep", "warning: Typing error!"}));
    EXPECT_EQ(ws->model.title, "");
    // The same text unfocused is converted without a check.
    ws->model.focusedField = 0;
    EXPECT_TRUE(read().complete);
    EXPECT_EQ(ws->model.cell.a, 5.0);
}

TEST_F(ReadEntries, AtomRowsAreReducedShownAndBlankSymbolsIgnored)
{
    atom(1, "fe3+", "1.5");
    atom(2, "   ", "0.7");
    atom(3, " O", "-0.3");
    ASSERT_TRUE(read().complete) << (messages.warnings.empty() ? "" : messages.warnings[0]);
    ASSERT_EQ(ws->model.atomCount, 2);
    EXPECT_EQ(ws->model.atomSymbol[1], "FE3+");
    EXPECT_EQ(ws->model.atomX[1], 0.5);
    EXPECT_EQ(ws->model.atomX[2], to_real48(-0.3));  // typed values pass through 6-byte reals
    EXPECT_EQ(form->xray.text(1, kColSymbol), "Fe3+");
    EXPECT_EQ(form->xray.text(1, kColX), "  0.50000");
    EXPECT_EQ(form->xray.text(2, kColX), " -0.30000");
    EXPECT_EQ(form->xray.text(3, kColSymbol), "");
    EXPECT_EQ(ws->model.elementCount, 2);
}

TEST_F(ReadEntries, UneditedCellsReadBackTheExactValue)
{
    atom(1, "Fe", "0.1", "0.125");
    ASSERT_TRUE(read().complete);
    EXPECT_EQ(form->xray.text(1, kColPopulation), "   0.125");
    show_atoms(*form, ws->model, messages);
    EXPECT_EQ(form->xray.text(1, kColPopulation), " 0.13");
    ASSERT_TRUE(read().complete);
    EXPECT_EQ(ws->model.atomPopulation[1], 0.125);
    form->xray.at(1, kColPopulation).text = "0.13";  // typed over: the text counts
    ASSERT_TRUE(read().complete);
    EXPECT_NEAR(ws->model.atomPopulation[1], 0.13, 1e-12);
}

TEST_F(ReadEntries, AtomCellThatDoesNotConvertIsReportedByRowAndColumn)
{
    atom(1, "Fe", "0.1");
    atom(2, "O", "0.x");
    form->lambda = "1.5406";
    EXPECT_FALSE(read().complete);
    EXPECT_EQ(messages.warnings, std::vector<std::string>{"Type error at row 2 colon 3"});
    EXPECT_EQ(ws->model.atomCount, 1);
    EXPECT_EQ(ws->model.wavelengths.count, 0);  // not reached
}

TEST_F(ReadEntries, NumbersBeyondTheirRangeAreRefused)
{
    atom(1, "Fe", "1e400");  // beyond a double: no number
    EXPECT_FALSE(read().complete);
    EXPECT_EQ(messages.warnings, std::vector<std::string>{"Type error at row 1 colon 3"});
    atom(1, "Fe", "0.1", "1e300");  // a number, but the sums would overflow
    EXPECT_FALSE(read().complete);
    EXPECT_EQ(messages.warnings.back(), "Unusable value in the entries: the population of the atom FE = 1e+300");
    atom(1, "Fe", "0.1");
    form->cell[0] = "-5";
    EXPECT_FALSE(read().complete);
    EXPECT_EQ(messages.warnings.back(), "Unusable value in the entries: the cell length a = -5");
    form->cell = {"5", "5", "5", "170", "170", "170"};
    EXPECT_FALSE(read().complete);
    EXPECT_EQ(messages.warnings.back(), "Impossible cell in the entries: a = 5, b = 5, c = 5, alpha = 170, beta = 170, "
                                        "gamma = 170: no lattice has these angles (the metric is not positive definite)");
}

TEST_F(ReadEntries, UnfocusedNumbersBeyondADoubleOrTheirRangeAreRefused)
{
    atom(1, "Fe", "0.1");
    const std::tuple<std::string EntryForm::*, const char*, int, std::string> cases[] = {
        {&EntryForm::lambda, "1e400", 7, "Error on WaveLength!"},
        {&EntryForm::lambda, "-1.5", 7, "Error on WaveLength!"},
        {&EntryForm::upper, "1e400", 9, "Typing error!"},
        {&EntryForm::upper, "190", 9, "Typing error!"},  // no 2-theta beyond 180
        {&EntryForm::u, "1e400", 10, "Bad u,v,w values (u out of range!)"},
        {&EntryForm::w, "-2e6", 12, "Bad u,v,w values (w out of range!)"},
    };
    for (const auto& [field, text, refocus, message] : cases) {
        SetUp();
        atom(1, "Fe", "0.1");
        form->lambda = "1.5406";
        (*form).*field = text;
        const EntryReadResult result = read();
        EXPECT_FALSE(result.complete) << text;
        EXPECT_EQ(result.refocusField, refocus) << text;
        EXPECT_EQ(messages.warnings.back(), message) << text;
    }
    EXPECT_EQ(ws->model.w, 0.005);  // the refused value is not stored
    form->w = "0.005";
    form->cell[0] = "1e400";  // no longer read as 0
    EXPECT_EQ(read().refocusField, 1);
    form->cell[0] = "5.431";
    ASSERT_TRUE(read().complete);  // the element table is rebuilt, the grid's values dropped
    ASSERT_TRUE(read().complete);  // now they are read back
    ws->anomalousGrid.set_cell(2, 2, "inf");
    EXPECT_FALSE(read().complete);
    EXPECT_EQ(messages.warnings.back(), "Unusable value in the anomalous dispersion grid: f'' of Fe, wavelength 1 = inf");
}

TEST_F(ReadEntries, TwentyFirstElementStopsTheRead)
{
    const char* symbols[] = {"H", "He", "Li", "Be", "B", "C", "N", "O", "F", "Ne", "Na",
                             "Mg", "Al", "Si", "P", "S", "Cl", "Ar", "K", "Ca", "Sc"};
    for (int i = 0; i < 21; ++i)
        atom(i + 1, symbols[i], "0.1");
    EXPECT_FALSE(read().complete);
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_EQ(ws->model.atomCount, 20);
    EXPECT_EQ(ws->model.elementCount, 0);  // element data not reached
}

TEST_F(ReadEntries, AllFourHundredAtomsSurviveARead)
{
    for (int i = 1; i <= kMaxAtoms; ++i)
        atom(i, "Si", "0.25");
    ASSERT_TRUE(read().complete);
    EXPECT_EQ(ws->model.atomCount, kMaxAtoms);
    EXPECT_EQ(form->xray.text(kMaxAtoms, kColSymbol), "Si");
}

TEST_F(ReadEntries, LimitsFollowTheAbscissaUnit)
{
    form->lambda = "1.5406";
    ws->abscissaMode = AbscissaMode::Q;
    form->lower = "2";
    form->upper = "5";
    ASSERT_TRUE(read().complete);
    EXPECT_DOUBLE_EQ(ws->model.twoTheta1, 114.5914 * std::asin(2 * 1.5406 / (4 * std::numbers::pi)));
    EXPECT_EQ(ws->model.enteredQ1, 2);
    EXPECT_EQ(ws->model.wavelengths.count, 1);
    // 4 pi / 1.5406 = 8.157: a Q of 9 has no angle.
    form->upper = "9";
    const auto result = read();
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.refocusField, 9);
    EXPECT_EQ(messages.warnings.back(), "Typing error!");
    EXPECT_EQ(ws->model.enteredQ2, 5);
    ws->abscissaMode = AbscissaMode::Theta;
    form->lower = "5";
    form->upper = "20";
    ASSERT_TRUE(read().complete);
    EXPECT_EQ(ws->model.twoTheta1, 10);
    EXPECT_DOUBLE_EQ(ws->model.q2, 4 * std::numbers::pi * std::sin(20 * 0.0174533167) / 1.5406);
}

TEST_F(ReadEntries, LimitsAreNotReadWithoutAWavelength)
{
    form->lower = "20";
    ASSERT_TRUE(read().complete);
    EXPECT_EQ(ws->model.twoTheta1, 10);
}

}  // namespace
}  // namespace kalidos
