#include "anomalous/anomalous_grid.hpp"

#include <gtest/gtest.h>

#include "model/wavelength_set.hpp"

namespace kalidos {
namespace {

std::unique_ptr<Workspace> workspace_with(int wavelengths, int elements)
{
    auto ws = make_workspace("/tmp");
    StructureModel& m = ws->model;
    m.wavelengths.count = wavelengths;
    for (int w = 1; w <= wavelengths; ++w)
        m.wavelengths.values[w] = 1.5 + 0.1 * w;
    m.elementCount = elements;
    for (int e = 1; e <= elements; ++e)
        m.elementSymbols[e] = e == 1 ? "FE" : "O";
    return ws;
}

}  // namespace

TEST(AnomalousGrid, ColumnCountFollowsTheNumberOfWavelengths)
{
    const std::pair<int, int> cases[] = {{0, 5}, {1, 5}, {2, 5}, {3, 7}, {4, 9}};
    for (const auto& [count, columns] : cases) {
        auto ws = workspace_with(count, 1);
        show_anomalous(*ws);
        EXPECT_EQ(ws->anomalousGrid.columns(), columns) << count;
        EXPECT_EQ(ws->anomalousGrid.rows(), kAnomalousGridRows);
    }
}

TEST(AnomalousGrid, CellsShowHeadersSymbolsAndValues)
{
    auto ws = workspace_with(2, 2);
    ws->model.elementSymbols[1] = "FE";
    ws->model.fPrime[1][1] = -1.1294;
    ws->model.fSecond[1][1] = 3.1966;
    ws->model.fPrime[2][2] = 0.0475;
    show_anomalous(*ws);
    const TextGrid& g = ws->anomalousGrid;
    EXPECT_EQ(g.cell(0, 0), "");
    EXPECT_EQ(g.cell(0, 1), " 1.6000");
    EXPECT_EQ(g.cell(0, 2), " 1.6000");
    EXPECT_EQ(g.cell(0, 3), " 1.7000");
    EXPECT_EQ(g.cell(1, 0), "Elem.");
    EXPECT_EQ(g.cell(1, 1), "f '");
    EXPECT_EQ(g.cell(1, 4), "f \"");
    EXPECT_EQ(g.cell(2, 0), "Fe");
    EXPECT_EQ(g.cell(2, 1), "-1.129");
    EXPECT_EQ(g.cell(2, 2), " 3.197");
    EXPECT_EQ(g.cell(3, 0), "O");
    EXPECT_EQ(g.cell(3, 3), " 0.048");
    EXPECT_EQ(g.cell(4, 0), "");
}

TEST(AnomalousGrid, ShrinkingSetLeavesNoStaleHeadingOrValue)
{
    auto ws = workspace_with(2, 1);
    ws->model.fPrime[2][1] = 2;
    show_anomalous(*ws);
    ws->model.wavelengths.count = 1;
    show_anomalous(*ws);
    EXPECT_EQ(ws->anomalousGrid.cell(0, 3), "");
    EXPECT_EQ(ws->anomalousGrid.cell(2, 3), "");
    EXPECT_EQ(ws->anomalousGrid.cell(1, 3), "");
}

TEST(AnomalousGrid, EveryElementKeepsARowForTheReadBack)
{
    auto ws = workspace_with(1, kMaxElements);
    ws->model.fPrime[1][kMaxElements] = 0.5;
    show_anomalous(*ws);
    EXPECT_EQ(ws->anomalousGrid.rows(), kMaxElements + 2);
    EXPECT_EQ(ws->anomalousGrid.cell(kMaxElements + 1, 1), " 0.500");
}

TEST(AnomalousGrid, ClearingEmptiesHeadersAndKeepsSymbolsAndColumns)
{
    auto ws = workspace_with(3, 2);
    show_anomalous(*ws);
    clear_anomalous_grid(*ws);
    const TextGrid& g = ws->anomalousGrid;
    EXPECT_EQ(g.columns(), 7);
    EXPECT_EQ(g.cell(0, 1), "");
    EXPECT_EQ(g.cell(1, 0), "");
    EXPECT_EQ(g.cell(2, 1), "");
    EXPECT_EQ(g.cell(2, 0), "Fe");
    EXPECT_EQ(g.cell(3, 0), "O");
}

TEST(AnomalousGrid, ErasingZeroesTheFactorsOfTheSetInUse)
{
    auto ws = workspace_with(2, 2);
    ws->model.fPrime[2][2] = 1;
    ws->model.fSecond[1][1] = 1;
    erase_anomalous_factors(*ws);
    EXPECT_EQ(ws->model.fPrime[2][2], 0);
    EXPECT_EQ(ws->model.fSecond[1][1], 0);
    EXPECT_EQ(ws->anomalousGrid.cell(3, 3), " 0.000");
}

TEST(AnomalousGrid, ElementSymbolShownWithSecondLetterInLowerCase)
{
    EXPECT_EQ(grid_element_symbol("FE"), "Fe");
    EXPECT_EQ(grid_element_symbol("O"), "O");
    EXPECT_EQ(grid_element_symbol("FE3+"), "Fe3+");
    EXPECT_EQ(grid_element_symbol("O2-"), "O2-");
}

}  // namespace kalidos
