#include "wavelengths/anode_lines.hpp"

#include <cmath>

#include <gtest/gtest.h>

#include "model/wavelength_set.hpp"

namespace kalidos {
namespace {

int item_of(const char* text)
{
    const auto& table = anode_line_table();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (std::string(table[i].item) == text)
            return static_cast<int>(i);
    return -1;
}

// Two elements with f', f'' already read for two wavelengths, and a filled grid.
std::unique_ptr<Workspace> workspace_with_factors()
{
    auto ws = make_workspace("/tmp");
    StructureModel& m = ws->model;
    m.elementCount = 2;
    m.elementSymbols[1] = "FE";
    m.elementSymbols[2] = "O";
    m.wavelengths.count = 2;
    m.wavelengths.values[1] = 1.5;
    m.wavelengths.values[2] = 1.6;
    for (int w = 1; w <= 2; ++w)
        for (int e = 1; e <= 2; ++e)
            m.fPrime[w][e] = m.fSecond[w][e] = 1.0 + w + e;
    for (int c = 0; c < 5; ++c)
        ws->anomalousGrid.set_cell(0, c, "x");
    return ws;
}

}  // namespace

TEST(AnodeLines, ListHoldsEveryItemInOrderWithFeAsStored)
{
    const auto& table = anode_line_table();
    EXPECT_STREQ(table[0].item, "Multiple W.L.");
    EXPECT_STREQ(table[21].item, "");
    EXPECT_EQ(item_of("CuKa1"), 5);
    EXPECT_EQ(item_of("CrkBet"), 20);
    EXPECT_DOUBLE_EQ(table[static_cast<std::size_t>(item_of("FeKa1"))].lambda, 1.93604);
    EXPECT_DOUBLE_EQ(table[static_cast<std::size_t>(item_of("FeKa2"))].lambda, 1.93339);
    EXPECT_DOUBLE_EQ(table[static_cast<std::size_t>(item_of("FeKmoy"))].lambda, 1.9373);
    EXPECT_DOUBLE_EQ(table[static_cast<std::size_t>(item_of("MokBet"))].lambda, 0.63229);
}

TEST(AnodeLines, CuKa1GivesOneWavelengthOfWeightOneAndZeroesTheFactors)
{
    auto ws = workspace_with_factors();
    StructureModel& m = ws->model;
    m.twoTheta1 = 10;
    m.twoTheta2 = 50;
    const AnodeOutcome outcome = set_lambda(*ws, item_of("CuKa1"));
    EXPECT_EQ(outcome.choice, AnodeChoice::LineChosen);
    EXPECT_EQ(outcome.edit11Text, " 1.54056");
    EXPECT_EQ(m.wavelengths.count, 1);
    EXPECT_DOUBLE_EQ(m.wavelengths.values[1], 1.54056);
    EXPECT_DOUBLE_EQ(m.wavelengths.weights[1], 1);
    EXPECT_DOUBLE_EQ(m.wavelengths.shortest, 1.54056);
    EXPECT_DOUBLE_EQ(m.wavelengths.longest, 1.54056);
    EXPECT_DOUBLE_EQ(m.typedWavelength, 1.54056);
    EXPECT_EQ(m.anodeSymbol, "Cu");
    for (int w = 1; w <= 2; ++w)
        for (int e = 1; e <= 2; ++e)
            EXPECT_EQ(m.fPrime[w][e], 0) << w << e;
    EXPECT_EQ(m.fSecond[2][2], 0);
    const double q2 = kFourPi * std::sin(50 * 0.0087266584) / 1.54056;
    EXPECT_DOUBLE_EQ(m.q2, q2);
    EXPECT_DOUBLE_EQ(m.enteredQ2, q2);
    EXPECT_DOUBLE_EQ(m.q1, kFourPi * std::sin(10 * 0.0087266584) / 1.54056);
    // The grid shows the new wavelength over zeroed values; the old second column is gone.
    EXPECT_EQ(ws->anomalousGrid.cell(0, 1), " 1.5406");
    EXPECT_EQ(ws->anomalousGrid.cell(0, 3), "");
    EXPECT_EQ(ws->anomalousGrid.cell(2, 0), "Fe");
    EXPECT_EQ(ws->anomalousGrid.cell(3, 2), " 0.000");
    EXPECT_EQ(ws->anomalousGrid.cell(3, 4), "");
}

TEST(AnodeLines, WithoutUpperLimitTheQLimitsAreZero)
{
    auto ws = make_workspace("/tmp");
    ws->model.twoTheta2 = 0;
    ws->model.q1 = ws->model.enteredQ2 = 3;
    set_lambda(*ws, item_of("MoKa1"));
    EXPECT_EQ(ws->model.q1, 0);
    EXPECT_EQ(ws->model.enteredQ2, 0);
    EXPECT_EQ(ws->model.anodeSymbol, "Mo");
}

TEST(AnodeLines, MultipleItemEmptiesTheSetAndAsksForTheDialog)
{
    auto ws = workspace_with_factors();
    ws->model.typedWavelength = 1.5;
    const AnodeOutcome outcome = set_lambda(*ws, kMultipleWavelengthsItem);
    EXPECT_EQ(outcome.choice, AnodeChoice::OpenComposition);
    EXPECT_EQ(ws->model.wavelengths.count, 0);
    EXPECT_EQ(ws->model.wavelengths.shortest, 0);
    EXPECT_EQ(ws->model.typedWavelength, 0);
    EXPECT_EQ(ws->model.fPrime[2][1], 0);
    // The grid is emptied, headings included, and keeps the element symbols.
    EXPECT_EQ(ws->anomalousGrid.cell(0, 1), "");
    EXPECT_EQ(ws->anomalousGrid.cell(2, 0), "Fe");
    EXPECT_EQ(ws->anomalousGrid.cell(3, 0), "O");
}

TEST(AnodeLines, EmptyLastItemAndIndicesOutsideTheListChangeNothing)
{
    for (int item : {21, 22, -1, 100}) {
        auto ws = workspace_with_factors();
        EXPECT_EQ(set_lambda(*ws, item).choice, AnodeChoice::Ignored) << item;
        EXPECT_EQ(ws->model.wavelengths.count, 2);
        EXPECT_EQ(ws->model.fPrime[1][1], 3);
        EXPECT_EQ(ws->anomalousGrid.cell(0, 1), "x");
    }
}

}  // namespace kalidos
