// The headless stand-in for reading the window's grids: the model itself is made ready.
#include <gtest/gtest.h>

#include <sstream>

#include "model/workspace.hpp"
#include "entry/model_entries.hpp"
#include "stream_messages.hpp"

namespace kalidos::batch {
namespace {

void add_atom(StructureModel& m, const std::string& symbol, double x, double y, double z)
{
    const int n = ++m.atomCount;
    m.atomSymbol[n] = symbol;
    m.atomLabel[n] = "123";
    m.atomX[n] = x;
    m.atomY[n] = y;
    m.atomZ[n] = z;
    m.atomB[n] = 1;
    m.atomPopulation[n] = 1;
}

TEST(ModelEntries, SymbolsCoordinatesAndElementsAsTheGridsWouldGiveThem)
{
    auto workspace = make_workspace("/tmp");
    StructureModel& m = workspace->model;
    add_atom(m, "  fe3+x", 1.25, -1.25, -0.25);
    add_atom(m, "O", 0.123456789, 2.0, 0.5);
    add_atom(m, "Fe", 0, 0, 0);
    std::ostringstream err;
    StreamMessages messages(err, false);
    ASSERT_TRUE(prepare_model_entries(m, messages)) << err.str();
    EXPECT_EQ(m.atomSymbol[1], "FE3+");
    EXPECT_EQ(m.atomLabel[1], "12");
    EXPECT_DOUBLE_EQ(m.atomX[1], 0.25);
    EXPECT_DOUBLE_EQ(m.atomY[1], -0.25);
    EXPECT_DOUBLE_EQ(m.atomZ[1], -0.25);
    EXPECT_EQ(m.atomX[2], 0.123456789);  // no rounding to the grid's 5 decimals
    EXPECT_EQ(m.atomY[2], 0);
    EXPECT_EQ(m.elementCount, 3);  // an ion is an element of its own, with its own f0
    EXPECT_EQ(m.elementSymbols[1], "FE3+");
    EXPECT_EQ(m.elementSymbols[3], "FE");
    EXPECT_EQ(m.atomElementIndex[3], 3);
    EXPECT_EQ(m.atomElementIndex[2], 2);
    EXPECT_NE(m.cromer[1].a[1], 0);  // coefficients looked up
    EXPECT_EQ(err.str(), "");
}

TEST(ModelEntries, KeepsAllFourHundredAtomsAndTheAnomalousFactors)
{
    auto workspace = make_workspace("/tmp");
    StructureModel& m = workspace->model;
    for (int i = 0; i < kMaxAtoms; ++i)
        add_atom(m, i % 2 ? "Si" : "O", 0.001 * i, 0.2, 0.3);
    m.elementCount = 2;
    std::ostringstream err;
    StreamMessages messages(err, false);
    ASSERT_TRUE(prepare_model_entries(m, messages));
    m.fPrime[1][1] = 0.25;  // read from a table after the structure was loaded
    ASSERT_TRUE(prepare_model_entries(m, messages));
    EXPECT_EQ(m.atomCount, kMaxAtoms);
    EXPECT_EQ(m.fPrime[1][1], 0.25);
}

TEST(ModelEntries, RefusesElementsWithoutScatteringDataForTheRadiationInUse)
{
    auto workspace = make_workspace("/tmp");
    StructureModel& m = workspace->model;
    add_atom(m, "Qq", 0.1, 0.2, 0.3);
    std::ostringstream err;
    StreamMessages messages(err, false);
    EXPECT_FALSE(prepare_model_entries(m, messages));
    EXPECT_NE(err.str().find("Element QQ not found!"), std::string::npos) << err.str();

    m.radiation = kNeutrons;
    std::ostringstream err2;
    StreamMessages messages2(err2, false);
    EXPECT_FALSE(prepare_model_entries(m, messages2));
    EXPECT_NE(err2.str().find("Nucleus QQ not found!"), std::string::npos) << err2.str();

    m.atomSymbol[1] = "Ni";
    std::ostringstream err3;
    StreamMessages messages3(err3, false);
    EXPECT_TRUE(prepare_model_entries(m, messages3)) << err3.str();
    EXPECT_NE(m.atomFermiLength[1], 0);
}

TEST(ModelEntries, RefusesATwentyFirstElement)
{
    static const char* symbols[] = {"H",  "LI", "BE", "B",  "C",  "N",  "O",  "F",  "NA", "MG", "AL",
                                    "SI", "P",  "S",  "CL", "K",  "CA", "TI", "V",  "CR", "MN"};
    auto workspace = make_workspace("/tmp");
    for (const char* symbol : symbols)
        add_atom(workspace->model, symbol, 0.1, 0.1, 0.1);
    std::ostringstream err;
    StreamMessages messages(err, false);
    EXPECT_FALSE(prepare_model_entries(workspace->model, messages));
    EXPECT_NE(err.str(), "");
}

}  // namespace
}  // namespace kalidos::batch
