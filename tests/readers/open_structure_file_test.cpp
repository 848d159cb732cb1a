#include "readers/open_structure_file.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"

#include <fstream>
#include <gtest/gtest.h>

namespace kalidos
{

namespace
{

using testing::RecordingMessages;

std::filesystem::path fixtures()
{
    return testing::test_data_dir() / "readers";
}

} // namespace

TEST(OpenStructureFile, NoNameMeansNothingToDo)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    model->crystalSystem = "CUBI";
    EXPECT_EQ(open_structure_file(*model, {kFormatCry, "", fixtures()}, messages, nullptr),
              OpenStatus::NoFile);
    EXPECT_EQ(model->crystalSystem, "") << "the system is emptied before the file is asked for";
    EXPECT_EQ(model->importFormat, kFormatCry);
    EXPECT_TRUE(messages.warnings.empty());
}

TEST(OpenStructureFile, AFailedReadEndsTheSequenceAndNoReaderForIcsd)
{
    const auto dir = testing::make_scratch_dir("open-failed");
    std::ofstream(dir / "bad.cry") << "title\nCUBI\nP2\n5 5 x 90 90 90\n";
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    model->spaceGroupSymbol = "P1";
    model->operatorCount = 4;
    EXPECT_EQ(
        open_structure_file(*model, {kFormatCry, (dir / "bad.cry").string(), fixtures()}, messages, nullptr),
        OpenStatus::Failed);
    EXPECT_EQ(messages.warnings, std::vector<std::string>{"Read error in line 4 of bad.cry"});
    EXPECT_EQ(model->spaceGroupSymbol, "P2") << "what was read before the failure stays";
    EXPECT_EQ(model->operatorCount, 0) << "the previous structure's operators are gone";
    EXPECT_EQ(model->structureFileName, (dir / "bad.cry").string());

    EXPECT_EQ(open_structure_file(*model, {kFormatIcsd, "", fixtures()}, messages, nullptr),
              OpenStatus::Failed)
        << "a cancelled dialog reads the held name again, here with no reader";
    EXPECT_EQ(messages.warnings.back(), "This file format cannot be read");
}

TEST(OpenStructureFile, ShelxNamesChooseTheReaderWithoutRegardToCase)
{
    const auto dir = testing::make_scratch_dir("open-shelx");
    const std::string ins =
        "TITL t\nCELL 0.7 5 6 7 90 90 90\nSFAC C\nFVAR 1\nC1 1 0.1 0.2 0.3 11 0.02\nHKLF 4\n";
    std::ofstream(dir / "UPPER.INS") << ins;
    std::ofstream(dir / "listing.RES")
        << " CELL 1.54 5 5 5 90 90 90\n ATOM      X/A\n-\n C1    0.1 0.2 0.3 1\n-\n\n";
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    EXPECT_EQ(open_structure_file(*model, {kFormatShelx, (dir / "UPPER.INS").string(), fixtures()}, messages,
                                  nullptr),
              OpenStatus::Read);
    EXPECT_EQ(model->atomCount, 1);
    EXPECT_EQ(model->crystalSystem, "ORTH");
    EXPECT_EQ(model->elementCount, 1) << "the element table is rebuilt";
    EXPECT_EQ(model->spaceGroupSymbol, "") << "a ShelX file names no group";
    EXPECT_EQ(open_structure_file(*model, {kFormatShelx, (dir / "listing.RES").string(), fixtures()},
                                  messages, nullptr),
              OpenStatus::Read);
    EXPECT_EQ(model->crystalSystem, "CUBI");
    EXPECT_TRUE(messages.warnings.empty()) << ::testing::PrintToString(messages.warnings);
}

} // namespace kalidos

namespace kalidos
{

namespace
{

// A monoclinic CIF whose name and operator loop are given by the caller.
std::string monoclinic_cif(const std::string& nameLines, const std::vector<std::string>& operators)
{
    std::string text = "data_m\n_cell_length_a 7.1\n_cell_length_b 9.3\n_cell_length_c 5.6\n"
                       "_cell_angle_alpha 90\n_cell_angle_beta 104.5\n_cell_angle_gamma 90\n" +
                       nameLines;
    if (!operators.empty()) {
        text += "loop_\n_space_group_symop_operation_xyz\n";
        for (const std::string& op : operators)
            text += "'" + op + "'\n";
    }
    return text + "loop_\n_atom_site_label\n_atom_site_fract_x\n_atom_site_fract_y\n_atom_site_fract_z\n"
                  "Fe1 0.1 0.2 0.3\nO1 0.25 0.05 0.4\n";
}

OpenStatus open_cif(StructureModel& model, const std::string& text, RecordingMessages& messages)
{
    const auto dir = testing::make_scratch_dir("open-cif-groups");
    std::ofstream(dir / "m.cif") << text;
    model.startDirectory = dir.string();
    return open_structure_file(model, {kFormatCif, (dir / "m.cif").string(), testing::program_data_dir()},
                               messages, nullptr);
}

const std::vector<std::string> kP21c = {"x, y, z", "-x, y+1/2, -z+1/2", "-x, -y, -z", "x, -y-1/2, z-1/2"};
const std::vector<std::string> kP21n = {"x, y, z", "-x+1/2, y+1/2, -z+1/2", "-x, -y, -z",
                                        "x-1/2, -y-1/2, z-1/2"};

} // namespace

TEST(OpenStructureFile, ANamedGroupWithTheFilesOperatorsIsAppliedFromTheLists)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    ASSERT_EQ(open_cif(*model, monoclinic_cif("_space_group_name_H-M_alt 'P 1 21/c 1'\n", kP21c), messages),
              OpenStatus::Read);
    EXPECT_TRUE(messages.warnings.empty()) << ::testing::PrintToString(messages.warnings);
    EXPECT_EQ(model->crystalSystem, "MONO");
    EXPECT_EQ(model->operatorCount, 4);
    EXPECT_FALSE(model->symbolNotation.empty()) << "the group came from one of the lists";
    EXPECT_EQ(model->structureFileName, "dummy.cif");
}

TEST(OpenStructureFile, TheFilesOwnOperatorsStayWhenTheNamedGroupDiffers)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    ASSERT_EQ(open_cif(*model, monoclinic_cif("_symmetry_space_group_name_H-M 'P 21/c'\n", kP21n), messages),
              OpenStatus::Read);
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_NE(messages.warnings[0].find("the file's operators are kept"), std::string::npos);
    ASSERT_EQ(model->operatorCount, 4);
    EXPECT_EQ(model->operatorTexts[2], "-X+1/2,Y+1/2,-Z+1/2");
    EXPECT_DOUBLE_EQ(model->operators[2].m[0][3], 0.5);
    EXPECT_EQ(model->centringCount, 0);
    EXPECT_EQ(model->inversionAdded, 0);
    EXPECT_TRUE(model->centrosymmetric);
}

TEST(OpenStructureFile, AnUnknownNameKeepsTheFilesOperatorsAndTheName)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    ASSERT_EQ(open_cif(*model,
                       monoclinic_cif("_symmetry_space_group_name_Hall '-P 2ybc (x,y,z) junk'\n", kP21c),
                       messages),
              OpenStatus::Read);
    ASSERT_EQ(messages.warnings.size(), 2u) << ::testing::PrintToString(messages.warnings);
    EXPECT_EQ(messages.warnings[0], "-P 2YBC (X,Y unknown space group");
    EXPECT_EQ(messages.warnings[1], "The 4 operators listed in the file are used for -P 2YBC (X,Y");
    EXPECT_EQ(model->spaceGroupSymbol, "P 2YBC (X,Y")
        << "kept without the sign: the lattice letter comes first";
    EXPECT_EQ(model->latticeLetter, "P");
    EXPECT_EQ(model->operatorCount, 4);
}

TEST(OpenStructureFile, ANameOutsideTheListsWithoutOperatorsGoesToTheInterpreter)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    ASSERT_EQ(open_cif(*model, monoclinic_cif("_symmetry_space_group_name_Hall '-P 2yn'\n", {}), messages),
              OpenStatus::Read);
    EXPECT_TRUE(messages.warnings.empty()) << ::testing::PrintToString(messages.warnings);
    EXPECT_EQ(model->operatorCount, 4);
    EXPECT_EQ(model->spaceGroupSymbol.substr(0, 1), "P");

    ASSERT_EQ(open_cif(*model, monoclinic_cif("_symmetry_space_group_name_H-M 'Q 9'\n", {}), messages),
              OpenStatus::Read);
    EXPECT_EQ(messages.warnings, std::vector<std::string>{"Q9 unknown space group"});
    EXPECT_EQ(model->spaceGroupSymbol, "");
    EXPECT_EQ(model->operatorCount, 0);
}

} // namespace kalidos

namespace kalidos
{

// A number that is not finite, or that arithmetic would make infinite, and a cell no lattice has
// refuse the read in every reader with a message naming the item or the cell.
TEST(OpenStructureFile, EveryReaderRefusesNumbersThatAreNotFiniteOrOutOfRange)
{
    const auto dir = testing::make_scratch_dir("open-finite");
    const auto file = [&](const std::string& name, const std::string& text) {
        std::ofstream(dir / name) << text;
        return (dir / name).string();
    };
    struct Case {
        int format;
        std::string name, text, item;
    };
    const auto cif_with_angles = [](const std::string& angle) {
        return "data_t\n_cell_length_a 5\n_cell_length_b 5\n_cell_length_c 5\n_cell_angle_alpha " + angle +
               "\n_cell_angle_beta " + angle + "\n_cell_angle_gamma " + angle +
               "\n_symmetry_space_group_name_H-M 'P 1'\nloop_\n_atom_site_label\n_atom_site_fract_x\n"
               "_atom_site_fract_y\n_atom_site_fract_z\n_atom_site_occupancy\nNa1 0 0 0 1\nCl1 0.5 0.5 0.5 ";
    };
    const std::string cif = cif_with_angles("90");
    std::vector<Case> cases = {
        {kFormatCif, "q.cif", cif + "1e300/1e-300\n", "Cl1"},
        {kFormatCry, "b.cry", "t\nCUBI\nP1\n5 5 5 90 90 90\nNA  1 0 0 0 1e300 1\n", "the B of the atom NA1"},
        {kFormatShelx, "u.ins", "TITL t\nCELL 0.7 5 6 7 90 90 90\nSFAC C\nFVAR 1 1e300\nC1 1 0.1 0.2 0.3 21 0.02\nHKLF 4\n",
         "the population of the atom C1"},
        {kFormatPowderCell, "x.cel", "CELL 5 5 5 90 90 90\nTi1 22 1e300 0 0 0.4\nRGNR 1\n", "the x of the atom Ti1"},
        {kFormatLazyPulverix, "p.lzy", "CELL 5 5 5 90 90 90\nSPCGRP P 1\nATOM MG 1 0 0 0 1e9 0.4\n",
         "the population of the atom MG1"},
        {kFormatCry, "a.cry", "t\nCUBI\nP1\n5 5 5 90 190 90\nNA  1 0 0 0 1 1\n", "the cell angle beta"},
    };
    // Angles that no lattice has, in each format.
    const std::string impossible = ": a = 5, b = 5, c = 5, alpha = 170, beta = 170, gamma = 170: no lattice";
    cases.insert(cases.end(), {
        {kFormatCif, "i.cif", cif_with_angles("170") + "1\n", "Impossible cell in i.cif" + impossible},
        {kFormatCry, "i.cry", "t\nTRIC\nP1\n5 5 5 170 170 170\nNA  1 0 0 0 1 1\n", "Impossible cell in i.cry" + impossible},
        {kFormatShelx, "i.ins", "TITL t\nCELL 0.7 5 5 5 170 170 170\nSFAC C\nC1 1 0.1 0.2 0.3 11 0.02\nHKLF 4\n",
         "Impossible cell in i.ins" + impossible},
        {kFormatPowderCell, "i.cel", "CELL 5 5 5 170 170 170\nTi1 22 0 0 0 1 0.4\nRGNR 1\n", "Impossible cell in i.cel" + impossible},
        {kFormatLazyPulverix, "i.lzy", "CELL 5 5 5 170 170 170\nSPCGRP P 1\nATOM MG 1 0 0 0 1 0.4\n",
         "Impossible cell in i.lzy" + impossible},
    });
    for (const Case& c : cases) {
        RecordingMessages messages;
        auto model = std::make_unique<StructureModel>();
        model->startDirectory = dir.string();
        EXPECT_EQ(open_structure_file(*model, {c.format, file(c.name, c.text), fixtures()}, messages, nullptr),
                  OpenStatus::Failed)
            << c.name;
        ASSERT_FALSE(messages.warnings.empty()) << c.name;
        EXPECT_NE(messages.warnings.back().find(c.item), std::string::npos) << c.name << ": " << messages.warnings.back();
    }
}

} // namespace kalidos
