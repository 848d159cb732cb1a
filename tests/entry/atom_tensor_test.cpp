// An atom read with a tensor in the grids: B_eq shown, the tensor kept through the grids, and
// an edited B that makes the atom isotropic only when the user says so.
#include <gtest/gtest.h>

#include "entry/atom_entry.hpp"
#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

TEST(AtomTensor, KeptThroughTheGridsAndDroppedOnlyAfterYes)
{
    auto form = std::make_unique<EntryForm>();
    auto model = std::make_unique<StructureModel>();
    testing::RecordingMessages messages;
    model->atomCount = 1;
    model->atomSymbol[1] = "FE";
    model->atomB[1] = 0.8765;
    model->atomPopulation[1] = 1;
    model->atomAnisotropic[1] = {true, {0.01, 0.012, 0.009, 0.001, -0.002, 0.0005}};
    const AnisotropicDisplacement tensor = model->atomAnisotropic[1];
    show_atoms(*form, *model, messages);
    EXPECT_EQ(form->xray.text(1, kColB), "  0.88");  // B_eq as every B is shown

    ASSERT_TRUE(read_atom_rows(*form, *model, messages));
    EXPECT_EQ(model->atomAnisotropic[1], tensor);
    EXPECT_EQ(model->atomB[1], 0.8765);
    EXPECT_TRUE(messages.questions.empty());

    // Edited, then No: the tensor stays and the B_eq shown before comes back.
    form->xray.at(1, kColB).text = "1.5";
    messages.answers = {Answer::No};
    EXPECT_EQ(check_atom_row(*form, kXrays, 1, kColB, 2, messages), RowCheck::ReadAndRebuild);
    ASSERT_EQ(messages.questions.size(), 1u);
    ASSERT_TRUE(read_atom_rows(*form, *model, messages));
    EXPECT_EQ(model->atomAnisotropic[1], tensor);
    EXPECT_EQ(model->atomB[1], 0.8765);
    EXPECT_EQ(form->neutron.at(1, kColB).tensor, tensor);  // mirrored with the row

    // Edited, then Yes (asked when the entries are read): isotropic with the typed B.
    form->xray.at(1, kColB).text = "1.5";
    messages.answers = {Answer::Yes};
    ASSERT_TRUE(read_atom_rows(*form, *model, messages));
    EXPECT_EQ(messages.questions.size(), 2u);
    EXPECT_FALSE(model->atomAnisotropic[1].present);
    EXPECT_EQ(model->atomB[1], 1.5);
}

}  // namespace
}  // namespace kalidos
