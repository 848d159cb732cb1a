#include <gtest/gtest.h>

#include <fstream>

#include "support/paths.hpp"
#include "support/recording_messages.hpp"
#include "symmetry/group_selection.hpp"
#include "symmetry/standard_settings.hpp"

namespace kalidos {
namespace {

TEST(StandardSettingFileName, OneFilePerSystem)
{
    EXPECT_EQ(standard_setting_file_name("CUBI"), "C.pos");
    EXPECT_EQ(standard_setting_file_name("TETR"), "Q.POS");
    EXPECT_EQ(standard_setting_file_name("TRIC"), "T.pos");
    EXPECT_EQ(standard_setting_file_name("RHOM"), "R.pos");
    EXPECT_EQ(standard_setting_file_name(""), "");
    EXPECT_EQ(standard_setting_file_name("QUAD"), "");
}

TEST(ParseStandardCoordinate, FormsAndTranslations)
{
    OperatorRow row;
    ASSERT_TRUE(parse_standard_coordinate(" x+1/2 ", row));
    EXPECT_EQ(row.r[0], 1);
    EXPECT_EQ(row.t, 0.5);
    ASSERT_TRUE(parse_standard_coordinate("Y-X+5/6", row));
    EXPECT_EQ(row.r[0], -1);
    EXPECT_EQ(row.r[1], 1);
    EXPECT_EQ(row.t, 0.83333);
    ASSERT_TRUE(parse_standard_coordinate("-Z-1/4", row));
    EXPECT_EQ(row.r[2], -1);
    EXPECT_EQ(row.t, -0.25);
    ASSERT_TRUE(parse_standard_coordinate("X-Y+1/3", row));
    EXPECT_EQ(row.r[1], -1);
    EXPECT_EQ(row.t, 0.3333333);
    ASSERT_TRUE(parse_standard_coordinate("-Y", row));
    EXPECT_EQ(row.t, 0);

    // Not one of the eight forms: refused, the row keeps what it had.
    EXPECT_FALSE(parse_standard_coordinate("X+Z", row));
    EXPECT_FALSE(parse_standard_coordinate("Z+1/8", row));
    EXPECT_EQ(row.r[1], -1);
}

std::filesystem::path write_pos(const std::string& text)
{
    const auto dir = testing::make_scratch_dir("pos");
    std::ofstream(dir / "m.POS") << text;
    return dir;
}

const char* const kTwoBlocks =
    "\nP2/m\n1\n2\nx,y,z\n-x,y,-z\n1\nignored\n"
    "\nC2/c\n1\n2\nx,y,z\n-X,Y,-Z+1/2\n0\n";

TEST(ReadStandardBlock, InversionFlagCompletesTheList)
{
    const auto dir = write_pos(kTwoBlocks);
    StructureModel model;
    model.crystalSystem = "MONO";
    testing::RecordingMessages messages;
    // The file is found whatever the case of its name.
    const SelectionResult result = selecte_groupe_HM(model, "  C2/c ", dir, messages);
    ASSERT_TRUE(result.applied) << (messages.warnings.empty() ? "" : messages.warnings[0]);
    EXPECT_EQ(result.fields.hermannMauguin, "C2/c");
    EXPECT_EQ(result.fields.hall, "");
    EXPECT_EQ(model.symbolNotation, "HM");
    EXPECT_EQ(model.inversionAdded, 1);
    EXPECT_TRUE(model.centrosymmetric);
    EXPECT_EQ(model.operatorCount, 8);  // 2 listed, 2 images, then C centring
    EXPECT_EQ(model.operators[4].m[0][0], 1);
    EXPECT_EQ(model.operators[4].m[1][1], -1);
    EXPECT_EQ(model.operators[4].m[2][3], 0.5);
    EXPECT_EQ(model.operatorTexts[4], " X,-Y, Z+1/2");
    EXPECT_EQ(model.operatorTexts[5], " X+1/2, Y+1/2, Z");

    EXPECT_EQ(read_standard_symbols(dir, "MONO"), (std::vector<std::string>{"P2/m", "C2/c"}));
}

TEST(ReadStandardBlock, FailuresKeepNoStaleGroup)
{
    const auto dir = write_pos(std::string(kTwoBlocks) + "\nP21\n0\n1\nx,y,q\n0\n\nBig\n0\n193\n");
    StructureModel model;
    model.crystalSystem = "MONO";
    testing::RecordingMessages messages;
    ASSERT_TRUE(selecte_groupe_HM(model, "P2/m", dir, messages).applied);
    EXPECT_EQ(model.operatorCount, 4);

    // The symbol search is exact: "p2/m" is no block.
    StructureModel copy = model;
    EXPECT_EQ(read_standard_block(dir / "m.POS", "p2/m", copy).status, BlockStatus::NotFound);
    EXPECT_EQ(read_standard_block(dir / "m.POS", "P21", copy).status, BlockStatus::Invalid);
    EXPECT_EQ(read_standard_block(dir / "m.POS", "Big", copy).status, BlockStatus::Invalid);
    EXPECT_EQ(read_standard_block(dir / "absent.pos", "P2/m", copy).status, BlockStatus::FileMissing);
    EXPECT_EQ(copy.operatorCount, 4);

    EXPECT_FALSE(selecte_groupe_HM(model, "P21", dir, messages).applied);
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_EQ(messages.beeps, 1);
    EXPECT_EQ(model.spaceGroupSymbol, "");
    EXPECT_EQ(model.operatorCount, 0);
}

}  // namespace
}  // namespace kalidos
