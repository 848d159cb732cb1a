// Anisotropic displacement as the CIF and ShelX readers keep it.
#include "computation/displacement_tensor.hpp"
#include "readers/cif_reader.hpp"
#include "readers/shelx_readers.hpp"
#include "support/recording_messages.hpp"

#include <gtest/gtest.h>

namespace kalidos
{

namespace
{

using testing::RecordingMessages;

TEST(AnisotropicReading, ShelxSixUValuesInTheirOwnOrder)
{
    auto model = std::make_unique<StructureModel>();
    RecordingMessages messages;
    const std::string text = "TITL t\nCELL 0.71 10 12 14 90 90 90\nLATT -1\nSFAC C FE\nUNIT 1 1\nFVAR 1.0\n"
                             "FE1 2 0.1 0.2 0.3 11.0 0.011 0.012 0.013 0.0023 0.0013 =\n 0.0012\n"
                             "C1 1 0.4 0.5 0.6 11.0 0.03\nEND\n";
    ASSERT_EQ(read_shelx_instructions_lines(*model, split_text_lines(text), "t.ins", messages), ReadStatus::Read);
    ASSERT_EQ(model->atomCount, 2);
    const AnisotropicDisplacement& fe = model->atomAnisotropic[1];
    ASSERT_TRUE(fe.present);
    // ShelX writes U11 U22 U33 U23 U13 U12; the tensor keeps 11 22 33 12 13 23.
    EXPECT_EQ(std::vector<double>(fe.u, fe.u + 6), (std::vector<double>{0.011, 0.012, 0.013, 0.0012, 0.0013, 0.0023}));
    EXPECT_FALSE(model->atomAnisotropic[2].present);
    EXPECT_NEAR(model->atomB[1], b_equivalent(model->cell, fe), 1e-4);  // the B shown is B_eq
}

TEST(AnisotropicReading, CifLoopMatchedByLabelWithTypeSymbolAndBForm)
{
    auto model = std::make_unique<StructureModel>();
    model->atomAnisotropic[3].present = true;  // left over from an earlier structure
    RecordingMessages messages;
    const std::string text = "data_t\n_cell_length_a 5\n_cell_length_b 6\n_cell_length_c 7\n"
                             "_symmetry_space_group_name_H-M 'P 1'\n"
                             "loop_\n_atom_site_label\n_atom_site_fract_x\n_atom_site_fract_y\n_atom_site_fract_z\n"
                             "Cu1 0 0 0\nCl1 0.5 0.5 0.5\nN1 0.2 0.2 0.2\n"
                             "loop_\n_atom_site_aniso_label\n_atom_site_aniso_type_symbol\n"
                             "_atom_site_aniso_B_11\n_atom_site_aniso_B_22\n_atom_site_aniso_B_33\n"
                             "_atom_site_aniso_B_12\n_atom_site_aniso_B_13\n_atom_site_aniso_B_23\n"
                             "Cl1 Cl 1.2(1) 1.4(1) 1.6(1) 0.1(1) 0 -0.2(1)\nXx9 Cl 1 1 1 0 0 0\n";
    ASSERT_EQ(read_cif_block(*model, split_text_lines(text), messages), ReadStatus::Read);
    ASSERT_EQ(model->atomCount, 3);
    EXPECT_FALSE(model->atomAnisotropic[1].present);
    EXPECT_FALSE(model->atomAnisotropic[3].present);
    const AnisotropicDisplacement& cl = model->atomAnisotropic[2];
    ASSERT_TRUE(cl.present);
    constexpr double kEightPiSquared = 78.95683520871486;
    EXPECT_NEAR(cl.u[0], 1.2 / kEightPiSquared, 1e-15);
    EXPECT_NEAR(cl.u[5], -0.2 / kEightPiSquared, 1e-15);
    // No isotropic value in the file: B is the tensor's B_eq, the others keep the default 1.
    EXPECT_NEAR(model->atomB[2], 1.4, 1e-12);
    EXPECT_EQ(model->atomB[1], 1.0);
}

} // namespace

} // namespace kalidos
