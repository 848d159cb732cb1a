// Leaving an atom row: completion, the ion and nucleus checks, the mirror in the other grid.
#include <gtest/gtest.h>

#include "entry/atom_entry.hpp"
#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

TEST(CheckAtomRow, NewIronRowIsCompletedAndMirrored)
{
    auto form = std::make_unique<EntryForm>();
    testing::RecordingMessages messages;
    form->xray.set_text(1, kColSymbol, "FE");
    form->xray.set_text(1, kColX, "0.25");
    EXPECT_EQ(check_atom_row(*form, kXrays, 1, kColX, 2, messages), RowCheck::ReadAndRebuild);
    EXPECT_EQ(form->xray.text(1, kColSymbol), "Fe");
    EXPECT_EQ(form->xray.text(1, kColY), "0");
    EXPECT_EQ(form->xray.text(1, kColZ), "0");
    EXPECT_EQ(form->xray.text(1, kColB), "0");
    EXPECT_EQ(form->xray.text(1, kColPopulation), "1");
    EXPECT_EQ(form->neutron.text(1, kColSymbol), "FE");
    EXPECT_EQ(form->neutron.text(1, kColX), "0.25");
    EXPECT_EQ(form->neutron.text(1, kColFermi), "   0.954");
    EXPECT_EQ(form->insertionRow, 2);
    EXPECT_TRUE(messages.warnings.empty());
}

TEST(CheckAtomRow, IonsFindTheirRowsInBothGrids)
{
    auto form = std::make_unique<EntryForm>();
    testing::RecordingMessages messages;
    form->xray.set_text(1, kColSymbol, "O2-");
    EXPECT_EQ(check_atom_row(*form, kXrays, 1, kColX, 2, messages), RowCheck::ReadAndRebuild);
    EXPECT_EQ(form->neutron.text(1, kColSymbol), "O");
    form->neutron.set_text(2, kColSymbol, "K1+");
    EXPECT_EQ(check_atom_row(*form, kNeutrons, 2, kColX, 3, messages), RowCheck::ReadAndRebuild);
    EXPECT_EQ(form->neutron.text(2, kColFermi), "   0.371");
    EXPECT_TRUE(messages.warnings.empty());
}

TEST(CheckAtomRow, UnknownIonAndNucleusEmptyTheCellLeft)
{
    auto form = std::make_unique<EntryForm>();
    testing::RecordingMessages messages;
    form->xray.set_text(1, kColSymbol, "Xx");
    form->xray.set_text(1, kColX, "0.25");
    EXPECT_EQ(check_atom_row(*form, kXrays, 1, kColX, 1, messages), RowCheck::Stop);
    EXPECT_EQ(messages.events, (std::vector<std::string>{"beep", "warning: Unknown Ion: XX"}));
    EXPECT_EQ(form->xray.text(1, kColX), "");
    EXPECT_EQ(form->neutron.text(1, kColSymbol), "");

    form->neutron.set_text(3, kColSymbol, "Qq");
    EXPECT_EQ(check_atom_row(*form, kNeutrons, 3, kColSymbol, 4, messages), RowCheck::Stop);
    EXPECT_EQ(messages.warnings.back(), "Unknown nucleus: QQ");
    EXPECT_EQ(form->neutron.text(3, kColSymbol), "");
}

TEST(CheckAtomRow, BlankSymbolEmptiesTheRowInBothGrids)
{
    auto form = std::make_unique<EntryForm>();
    testing::RecordingMessages messages;
    form->xray.set_text(2, kColX, "0.3");
    form->neutron.set_text(2, kColX, "0.3");
    form->neutron.set_text(2, kColFermi, "0.5");
    EXPECT_EQ(check_atom_row(*form, kXrays, 2, kColX, 3, messages), RowCheck::ReadAndRebuild);
    EXPECT_EQ(form->xray.text(2, kColX), "");
    EXPECT_EQ(form->neutron.text(2, kColX), "");
    EXPECT_EQ(form->neutron.text(2, kColFermi), "");
}

TEST(InsertAtomRow, MovesRowsDownFromTheInsertionRow)
{
    auto form = std::make_unique<EntryForm>();
    testing::RecordingMessages messages;
    form->xray.set_text(1, kColSymbol, "Si");
    form->xray.set_text(2, kColSymbol, "O");
    form->insertionRow = 2;
    insert_atom_row(*form, 2, messages);
    EXPECT_EQ(form->xray.text(1, kColSymbol), "Si");
    EXPECT_EQ(form->xray.text(2, kColSymbol), "");
    EXPECT_EQ(form->xray.text(3, kColSymbol), "O");
    insert_atom_row(*form, kMaxAtoms, messages);
    EXPECT_EQ(messages.beeps, 1);
}

}  // namespace
}  // namespace kalidos
