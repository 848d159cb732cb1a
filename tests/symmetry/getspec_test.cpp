#include <gtest/gtest.h>

#include <fstream>

#include "support/paths.hpp"
#include "support/recording_messages.hpp"
#include "symmetry/getspec.hpp"
#include "symmetry/group_selection.hpp"
#include "symmetry/operator_completion.hpp"
#include "symmetry/scfs_file.hpp"

namespace kalidos {
namespace {

TEST(SymbolCodes, CharacterCodesPaddedWithBlanks)
{
    const SymbolCodes codes = symbol_codes("P -1");
    EXPECT_EQ(codes[0], 'P');
    EXPECT_EQ(codes[2], '-');
    EXPECT_EQ(codes[3], '1');
    EXPECT_EQ(codes[4], 32);
    EXPECT_EQ(codes[15], 32);
    EXPECT_EQ(symbol_codes("ABCDEFGHIJKLMNOPQRS")[15], 'P');
}

// Runs the interpreter and reads its file back, as the catalogue path does.
StructureModel interpret(const std::string& symbol, const std::string& letter, const std::string& system = "")
{
    const auto dir = testing::make_scratch_dir("getspec");
    EXPECT_EQ(getspec(symbol_codes(symbol), dir), InterpreterStatus::Written) << symbol;
    StructureModel model;
    model.latticeLetter = letter;
    model.crystalSystem = system;
    const ScfsReadResult read = read_scfs_file(dir / "scfs.dat", model);
    EXPECT_TRUE(read.ok) << read.message;
    EXPECT_TRUE(add_centring_translations(model));
    return model;
}

TEST(Getspec, OriginChoicesAndCase)
{
    const StructureModel two = interpret("F d -3 m:2", "F");
    EXPECT_EQ(two.operatorCount, 192);
    EXPECT_TRUE(two.centrosymmetric);
    // Origin choice 1 has the inversion at 1/8,1/8,1/8: not through the origin.
    const StructureModel one = interpret("F D -3 M:1", "F");
    EXPECT_EQ(one.operatorCount, 192);
    EXPECT_FALSE(one.centrosymmetric);
}

TEST(Getspec, RhombohedralAxesAndHallSymbols)
{
    EXPECT_EQ(interpret("R -3 c:H", "R", "HEXA").operatorCount, 36);
    EXPECT_EQ(interpret("R -3 c:R", "R", "RHOM").operatorCount, 12);
    const StructureModel hall = interpret("-P 2ybc", "P");
    EXPECT_EQ(hall.operatorCount, 4);
    EXPECT_TRUE(hall.centrosymmetric);
    EXPECT_EQ(interpret("-P 2YBC", "P").operatorCount, 4);
    // The origin shift makes the listed inversion -x+1/2,-y+1/2,-z+1/2; with the body
    // centring the group still has the inversion through the origin, and the file names it.
    EXPECT_TRUE(interpret("-I 1 (3 3 3)", "I").centrosymmetric);
    // Inversion centre at 0,0,1/4 only: -x,-y,-z+1/2 must not pass for the inversion.
    const StructureModel shifted = interpret("-P 1 (0 0 3)", "P");
    EXPECT_EQ(shifted.operatorCount, 2);
    EXPECT_FALSE(shifted.centrosymmetric);
}

TEST(Getspec, UnknownSymbolsWriteNothing)
{
    const auto dir = testing::make_scratch_dir("getspec_unknown");
    for (const char* symbol : {"Q 9 9", "", "14", "P 7", "xyz"})
        EXPECT_EQ(getspec(symbol_codes(symbol), dir), InterpreterStatus::UnknownSymbol) << symbol;
    EXPECT_FALSE(std::filesystem::exists(dir / "scfs.dat"));
}

TEST(SelecteGroupeGetspec, UnknownSymbolIsReportedNotReadFromAStaleFile)
{
    const auto dir = testing::make_scratch_dir("getspec_stale");
    std::ofstream(dir / "scfs.dat") << "old\n1 0 0 0 0 1 0 0 0 0 1 0\n\na\nb\nc\nd\n";
    std::ofstream(dir / "scfs2.dat") << "old\n";
    StructureModel model;
    model.startDirectory = dir.string();
    model.operatorCount = 3;
    testing::RecordingMessages messages;
    const SelectionResult result = selecte_groupe_getspec(model, make_catalogue_row("P 7 7", "P 7", "999"), messages);
    EXPECT_FALSE(result.applied);
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_EQ(messages.warnings[0], "P 7 7 unknown space group");
    EXPECT_EQ(model.spaceGroupSymbol, "");
    EXPECT_EQ(model.operatorCount, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "scfs.dat"));
    EXPECT_FALSE(std::filesystem::exists(dir / "scfs2.dat"));
}

TEST(SelecteGroupeGetspec, AppliesTheRowsGroup)
{
    StructureModel model;
    model.startDirectory = testing::make_scratch_dir("getspec_apply").string();
    model.crystalSystem = "MONO";
    testing::RecordingMessages messages;
    const SelectionResult result =
        selecte_groupe_getspec(model, make_catalogue_row("C 1 2/c 1", "-C 2yc", "15"), messages);
    ASSERT_TRUE(result.applied);
    EXPECT_TRUE(messages.warnings.empty());
    EXPECT_EQ(result.fields.hermannMauguin, "C 1 2/c 1");
    EXPECT_EQ(result.fields.hall, "-C 2yc");
    EXPECT_EQ(result.fields.number, "15");
    EXPECT_EQ(model.spaceGroupSymbol, "C 1 2/c 1");
    EXPECT_EQ(model.latticeLetter, "C");
    EXPECT_EQ(model.symbolNotation, "HALL");
    EXPECT_EQ(model.operatorCount, 8);
    EXPECT_EQ(model.centringCount, 1);
    EXPECT_EQ(model.inversionAdded, 0);
    EXPECT_TRUE(model.centrosymmetric);
    EXPECT_EQ(model.operatorTexts[1], " X, Y, Z");
}

}  // namespace
}  // namespace kalidos
