#include <gtest/gtest.h>

#include "support/paths.hpp"
#include "support/recording_messages.hpp"
#include "symmetry/space_group_lookup.hpp"

namespace kalidos {
namespace {

class SpaceGroupLookup : public ::testing::Test {
protected:
    GroupLookup look_up(const std::string& system, const std::string& symbol)
    {
        model.crystalSystem = system;
        model.spaceGroupSymbol = symbol;
        return look_up_and_apply_space_group(model, symbol, testing::program_data_dir(), messages);
    }

    StructureModel model;
    testing::RecordingMessages messages;

    void SetUp() override { model.startDirectory = testing::make_scratch_dir("lookup").string(); }
};

TEST(Catalogue, RangesAndRowLayout)
{
    EXPECT_EQ(catalogue_range("TRIC").first, 1);
    EXPECT_EQ(catalogue_range("RHOM").last, 556);
    EXPECT_EQ(catalogue_range("CUBI").first, 558);
    EXPECT_EQ(catalogue_range("").first, 0);
    const CatalogueRow row = make_catalogue_row(" P 1 21/c 1", "-P 2ybc ", "14");
    EXPECT_EQ(row.text, "P 1 21/c 1  -P 2ybc          14 ");
    EXPECT_EQ(row.text.size(), 32u);

    const std::vector<CatalogueRow> cubic = read_catalogue_rows(testing::program_data_dir(), "CUBI");
    ASSERT_EQ(cubic.size(), 43u);  // the empty lines of the range give no row
    EXPECT_EQ(cubic.front().hermannMauguin, "P 2 3");
    EXPECT_EQ(cubic.back().number, "230");
    EXPECT_EQ(read_catalogue_rows(testing::program_data_dir(), "RHOM").size(), 7u);
    EXPECT_TRUE(read_catalogue_rows(testing::program_data_dir(), "").empty());
}

TEST_F(SpaceGroupLookup, CatalogueByHermannMauguinOrHallWithOtherSpacingAndCase)
{
    const GroupLookup hm = look_up("MONO", "p 1 21/C 1");
    EXPECT_EQ(hm.source, GroupSource::Catalogue);
    ASSERT_TRUE(hm.applied);
    EXPECT_EQ(hm.fields.hermannMauguin, "P 1 21/c 1");
    EXPECT_EQ(hm.fields.hall, "-P 2ybc");
    EXPECT_EQ(hm.fields.number, "14");
    EXPECT_EQ(model.spaceGroupSymbol, "P 1 21/c 1");
    EXPECT_EQ(model.operatorCount, 4);

    const GroupLookup hall = look_up("MONO", "-P2YBC");
    EXPECT_EQ(hall.source, GroupSource::Catalogue);
    EXPECT_EQ(hall.catalogueIndex, hm.catalogueIndex);

    // An imported file writes the full symbol without blanks.
    EXPECT_EQ(look_up("MONO", "P121/C1").catalogueIndex, hm.catalogueIndex);
    EXPECT_TRUE(messages.warnings.empty());
}

TEST_F(SpaceGroupLookup, StandardListWhenTheCatalogueHasNoSuchText)
{
    const GroupLookup lookup = look_up("MONO", "P21/C");
    EXPECT_EQ(lookup.source, GroupSource::Standard);
    ASSERT_TRUE(lookup.applied);
    EXPECT_EQ(lookup.fields.hermannMauguin, "P21/c");
    EXPECT_EQ(lookup.fields.number, "");
    EXPECT_EQ(model.symbolNotation, "HM");
    EXPECT_EQ(model.operatorCount, 4);
    EXPECT_EQ(model.inversionAdded, 1);
    EXPECT_GE(lookup.standardIndex, 0);
}

TEST_F(SpaceGroupLookup, SymbolInBothListsComesFromTheCatalogue)
{
    const GroupLookup lookup = look_up("CUBI", "Fd-3m:2");
    EXPECT_EQ(lookup.source, GroupSource::Catalogue);
    EXPECT_EQ(lookup.fields.hermannMauguin, "F d -3 m:2");
    EXPECT_EQ(lookup.fields.hall, "-F 4vw 2vw 3");
    EXPECT_EQ(lookup.fields.number, "227");
    EXPECT_EQ(model.operatorCount, 192);
    EXPECT_EQ(model.symbolNotation, "HALL");
}

TEST_F(SpaceGroupLookup, RhombohedralGroupFollowsTheSystemsAxes)
{
    EXPECT_EQ(look_up("RHOM", "R-3c").source, GroupSource::Standard);
    EXPECT_EQ(model.operatorCount, 12);
    EXPECT_EQ(model.centringCount, 0);
    EXPECT_EQ(look_up("HEXA", "R-3c").source, GroupSource::Standard);
    EXPECT_EQ(model.operatorCount, 36);
    EXPECT_EQ(model.centringCount, 2);
    EXPECT_EQ(look_up("HEXA", "R -3 c:H").source, GroupSource::Catalogue);
    EXPECT_EQ(model.operatorCount, 36);
}

TEST_F(SpaceGroupLookup, UnknownInTheSystemIsReportedAndEmptied)
{
    const GroupLookup lookup = look_up("MONO", "P 4 3 2");
    EXPECT_EQ(lookup.source, GroupSource::Unknown);
    EXPECT_FALSE(lookup.applied);
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_EQ(messages.warnings[0], "P 4 3 2 unknown space group");
    EXPECT_EQ(model.spaceGroupSymbol, "");
}

TEST(MarkedStandardRow, ExactTextOnly)
{
    const std::vector<std::string> rows{"P2", "P21", "P21/c"};
    EXPECT_EQ(marked_standard_row(rows, "P21"), 1);
    EXPECT_EQ(marked_standard_row(rows, "p21"), -1);
    EXPECT_EQ(marked_standard_row(rows, ""), -1);
}

TEST_F(SpaceGroupLookup, NothingWithoutSystemOrSymbol)
{
    EXPECT_EQ(look_up("", "P 1").source, GroupSource::None);
    EXPECT_EQ(look_up("TRIC", "  ").source, GroupSource::None);
    EXPECT_TRUE(messages.warnings.empty());
    EXPECT_EQ(model.operatorCount, 0);
}

}  // namespace
}  // namespace kalidos
