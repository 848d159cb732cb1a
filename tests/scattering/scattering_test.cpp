#include "computation/scattering.hpp"
#include "computation/atom_symbol_keys.hpp"

#include <cmath>
#include <set>

#include <gtest/gtest.h>

#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

using testing::RecordingMessages;

double f_at_zero(const XrayScatteringRow& row)
{
    return row.a1 + row.a2 + row.a3 + row.a4 + row.c;
}

void set_atoms(StructureModel& model, std::initializer_list<const char*> symbols)
{
    model.atomCount = 0;
    for (const char* symbol : symbols)
        model.atomSymbol[++model.atomCount] = symbol;
}

TEST(ScatteringTables, XrayTableHoldsTheProgramsSymbolsInOrder)
{
    const auto& table = xray_scattering_table();
    EXPECT_STREQ(table[0].symbol, "H");
    EXPECT_STREQ(table[1].symbol, "H.");
    EXPECT_STREQ(table[212].symbol, "Cf");
    EXPECT_STREQ(table[static_cast<std::size_t>(find_xray_row("RU+4") - 1)].symbol, "Ru+4");
    std::set<std::string> distinct;
    for (const auto& row : table)
        distinct.insert(row.symbol);
    EXPECT_EQ(distinct.size(), 213u);
}

TEST(ScatteringTables, PrintedRowsAreKeptAsPrinted)
{
    const auto& table = xray_scattering_table();
    const auto& h = table[static_cast<std::size_t>(find_xray_row("H") - 1)];
    EXPECT_DOUBLE_EQ(h.a1, 0.493);
    EXPECT_DOUBLE_EQ(h.b4, 57.7997);
    const auto& oxide = table[static_cast<std::size_t>(find_xray_row("O2-.") - 1)];
    EXPECT_DOUBLE_EQ(oxide.a1, 4.758);
    EXPECT_DOUBLE_EQ(oxide.b2, 30.05);
    EXPECT_EQ(oxide.a3, 0.0);
    // f0 at s = 0 is the sum of the a's and c: the carbon row as printed sums to 5.9992.
    EXPECT_NEAR(f_at_zero(table[static_cast<std::size_t>(find_xray_row("C") - 1)]), 5.9992, 1e-12);
    EXPECT_NEAR(f_at_zero(table[static_cast<std::size_t>(find_xray_row("FE3+") - 1)]), 23.0006, 1e-9);
}

TEST(ScatteringTables, EveryNeutralAtomScattersAboutItsElectronCount)
{
    // f0(0) of a neutral atom is close to Z: catches a shifted or mistyped coefficient row.
    const std::pair<const char*, double> atoms[] = {{"HE", 2}, {"NA", 11}, {"SI", 14}, {"CU", 29},
                                                    {"MO", 42}, {"BA", 56}, {"PB", 82}, {"U", 92}};
    for (const auto& [symbol, z] : atoms) {
        const int row = find_xray_row(symbol);
        ASSERT_GT(row, 0) << symbol;
        EXPECT_NEAR(f_at_zero(xray_scattering_table()[static_cast<std::size_t>(row - 1)]), z, 0.1) << symbol;
    }
}

TEST(ScatteringLookups, FirstExactMatchWins)
{
    EXPECT_EQ(find_xray_row("H"), 1);
    EXPECT_EQ(find_xray_row("H."), 2);
    EXPECT_EQ(find_xray_row("H1-"), 3);
    EXPECT_EQ(find_xray_row("FE3"), 0);
    EXPECT_EQ(find_xray_row("XX"), 0);
}

TEST(ScatteringLookups, XrayKeyTriesTheRowWithATrailingDotAfterTheExactOne)
{
    EXPECT_EQ(xray_key(" o2- "), "O2-.");
    EXPECT_EQ(xray_key("O2-."), "O2-.");
    EXPECT_EQ(xray_key("H"), "H");
    EXPECT_EQ(xray_key("C"), "C");
    EXPECT_EQ(xray_key("Si"), "SI");
    EXPECT_EQ(xray_key("Fe3+"), "FE3+");
    EXPECT_EQ(xray_key("Xx"), "XX");
}

TEST(ScatteringLookups, NucleusIsTheElementPartOfTheSymbol)
{
    RecordingMessages messages;
    const auto& table = neutron_scattering_table();
    const auto name = [&](const char* symbol) {
        const int row = find_nucleus(symbol, messages);
        return row == 0 ? std::string("-") : std::string(table[static_cast<std::size_t>(row - 1)].name);
    };
    EXPECT_EQ(name("Fe3+"), "FE");
    EXPECT_EQ(name("K1+"), "K");
    EXPECT_EQ(name("Co2+"), "CO");
    EXPECT_EQ(name("O2-"), "O");
    EXPECT_EQ(name("N3-"), "N");
    EXPECT_EQ(name("H1-"), "H");
    EXPECT_EQ(name("OW"), "O");
    EXPECT_DOUBLE_EQ(table[static_cast<std::size_t>(find_nucleus(" d ", messages) - 1)].fermiLength, 0.667);
    EXPECT_TRUE(messages.warnings.empty());
    EXPECT_EQ(name("He"), "-");
    EXPECT_EQ(name("Qq1+"), "-");
    EXPECT_EQ(messages.warnings, (std::vector<std::string>{"Nucleus HE not found!", "Nucleus QQ not found!"}));
    EXPECT_EQ(messages.beeps, 2);
}

TEST(ElementTable, IsKeyedByTheWholeSymbolInOrderOfAppearance)
{
    StructureModel model;
    RecordingMessages messages;
    set_atoms(model, {"Fe", "o2-", "FE3+", "O2-.", "fe"});
    ASSERT_TRUE(rebuild_element_table(model, messages));
    ASSERT_EQ(model.elementCount, 3);
    EXPECT_EQ(model.elementSymbols[1], "FE");
    EXPECT_EQ(model.elementSymbols[2], "O2-.");  // the row used
    EXPECT_EQ(model.elementSymbols[3], "FE3+");
    EXPECT_EQ(model.atomElementIndex[4], 2);
    EXPECT_EQ(model.atomElementIndex[5], 1);
    load_element_scattering_data(model, nullptr, messages);
    EXPECT_TRUE(messages.warnings.empty());
    EXPECT_DOUBLE_EQ(model.cromer[2].a[1], 4.758);  // O2-., not neutral O
}

TEST(ElementTable, RefusesATwentyFirstElement)
{
    StructureModel model;
    RecordingMessages messages;
    const char* symbols[] = {"H", "HE", "LI", "BE", "B", "C", "N", "O", "F", "NE", "NA",
                             "MG", "AL", "SI", "P", "S", "CL", "AR", "K", "CA", "SC"};
    for (const char* symbol : symbols)
        model.atomSymbol[++model.atomCount] = symbol;
    EXPECT_FALSE(rebuild_element_table(model, messages));
    EXPECT_EQ(model.elementCount, 20);
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_NE(messages.warnings[0].find("SC"), std::string::npos);
}

TEST(ElementScatteringData, LoadsCoefficientsAndGridValues)
{
    StructureModel model;
    RecordingMessages messages;
    set_atoms(model, {"D", "FE3+"});
    model.wavelengths.count = 2;
    ASSERT_TRUE(rebuild_element_table(model, messages));
    TextGrid grid(15, 5);
    grid.set_cell(3, 1, "-1.130");
    grid.set_cell(3, 2, "3.197");
    grid.set_cell(3, 3, "abc");  // unreadable: 0
    load_element_scattering_data(model, &grid, messages);
    EXPECT_TRUE(messages.warnings.empty());
    EXPECT_DOUBLE_EQ(model.cromer[1].a[1], 0.493);  // deuterium takes hydrogen's factors
    EXPECT_DOUBLE_EQ(model.cromer[2].b[4], 38.5566);
    EXPECT_DOUBLE_EQ(model.fPrime[1][2], -1.13);
    EXPECT_DOUBLE_EQ(model.fSecond[1][2], 3.197);
    EXPECT_EQ(model.fPrime[2][2], 0.0);

    const ScatteringFactor at_zero = atom_scattering_factor(model, 2, 1, 0.0);
    EXPECT_NEAR(at_zero.f, 23.0006 - 1.13, 1e-9);
    EXPECT_DOUBLE_EQ(at_zero.fSecond, 3.197);
    const ScatteringFactor fifth_pass = atom_scattering_factor(model, 2, 5, 0.0);
    EXPECT_NEAR(fifth_pass.f, 23.0006, 1e-9);
    EXPECT_EQ(fifth_pass.fSecond, 0.0);
    // The Gaussians fall off with s: f(0.5) of iron is far below f(0).
    EXPECT_LT(atom_scattering_factor(model, 2, 0, 0.5).f, 12.0);
}

TEST(ElementScatteringData, StopsAtAnUnknownElement)
{
    StructureModel model;
    RecordingMessages messages;
    set_atoms(model, {"C", "XQ", "O"});
    ASSERT_TRUE(rebuild_element_table(model, messages));
    load_element_scattering_data(model, nullptr, messages);
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_EQ(messages.warnings[0], "Element XQ not found!");
    EXPECT_DOUBLE_EQ(model.cromer[1].a[1], 2.31);
    EXPECT_EQ(model.cromer[3].a[1], 0.0);  // not processed after the missing one
}

}  // namespace
}  // namespace kalidos
