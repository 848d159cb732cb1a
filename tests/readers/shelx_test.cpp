#include "readers/shelx_common.hpp"
#include "readers/shelx_readers.hpp"
#include "readers/shelx_symmetry.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"

#include <cmath>
#include <gtest/gtest.h>

namespace kalidos
{

namespace
{

using testing::RecordingMessages;

constexpr const char* kHeader = "TITL test structure\n"
                                "CELL 0.71073 10.0 12.0 14.0 90 90 90\n"
                                "LATT -1\n"
                                "SFAC C H O FE\n"
                                "UNIT 1 1 1 1\n"
                                "FVAR 1.0 0.75 0.4\n";

ReadStatus read_ins(StructureModel& model, const std::string& atoms, RecordingMessages& messages)
{
    return read_shelx_instructions_lines(model, split_text_lines(std::string(kHeader) + atoms), "t.ins",
                                         messages);
}

} // namespace

TEST(ShelxInstructions, FreeVariablesResolveAsShelxWritesThem)
{
    const std::vector<double> fv = {1.0, 0.75, 0.4};
    double v = 0;
    ASSERT_TRUE(resolve_free_variable(21.0, fv, v));
    EXPECT_DOUBLE_EQ(v, 0.75);
    ASSERT_TRUE(resolve_free_variable(31.0, fv, v));
    EXPECT_DOUBLE_EQ(v, 0.4);
    ASSERT_TRUE(resolve_free_variable(-21.0, fv, v));
    EXPECT_DOUBLE_EQ(v, 0.25) << "minus means one minus the variable";
    ASSERT_TRUE(resolve_free_variable(20.5, fv, v));
    EXPECT_DOUBLE_EQ(v, 0.375);
    ASSERT_TRUE(resolve_free_variable(10.5, fv, v));
    EXPECT_DOUBLE_EQ(v, 0.5) << "10 + p holds p fixed";
    ASSERT_TRUE(resolve_free_variable(11.0, fv, v));
    EXPECT_DOUBLE_EQ(v, 1.0);
    ASSERT_TRUE(resolve_free_variable(-1.2, fv, v));
    EXPECT_DOUBLE_EQ(v, -1.2);
    ASSERT_TRUE(resolve_free_variable(0.123, fv, v));
    EXPECT_DOUBLE_EQ(v, 0.123);
    EXPECT_FALSE(resolve_free_variable(41.0, fv, v));
    EXPECT_FALSE(resolve_free_variable(-1e300, fv, v));
}

TEST(ShelxInstructions, AnisotropicUGivesTheEquivalentIsotropicB)
{
    CellParameters hexagonal;
    hexagonal.a = hexagonal.b = 16.193, hexagonal.c = 11.2421;
    hexagonal.alpha = hexagonal.beta = 90, hexagonal.gamma = 120;
    // U11 U22 U33 U23 U13 U12 of an iron site on the 3-fold axis; its published Ueq is 0.0188.
    const double u[6] = {0.01569, 0.01569, 0.02514, 0, 0, 0.00785};
    EXPECT_NEAR(b_from_anisotropic_u(hexagonal, u) / 78.9567018248, 0.018837, 2e-6);
    CellParameters monoclinic;
    monoclinic.a = 7, monoclinic.b = 9, monoclinic.c = 5;
    monoclinic.alpha = monoclinic.gamma = 90, monoclinic.beta = 110;
    // An isotropic U written in anisotropic form: Uij = U cos(angle between a*i and a*j),
    // so U11 = U22 = U33 = U and U13 = U cos β* with β* = 180 - β.
    const double uiso[6] = {0.02, 0.02, 0.02, 0, 0.02 * std::cos(70 * 0.017453316741046884), 0};
    EXPECT_NEAR(b_from_anisotropic_u(monoclinic, uiso) / 78.9567018248, 0.02, 1e-6);
}

TEST(ShelxInstructions, AtomsWithFreeVariablesIsotropicAndAnisotropicU)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    const std::string atoms = "C1    1    0.1000  0.2000  0.3000  21.00000  0.02\n"
                              "O12   3    0.1000  0.2000  31.000 -21.00000  0.01 0.02 =\n"
                              "   0.03 0.001 0.002 0.003\n"
                              "FE1   4    0.500-0.250 0.7 11.0 0.01 0.02 0.03\n"
                              "HKLF 4\n"
                              "C9    1    0.1 0.1 0.1 11 0.05\n";
    ASSERT_EQ(read_ins(*model, atoms, messages), ReadStatus::Read);
    EXPECT_TRUE(messages.warnings.empty());
    EXPECT_EQ(model->title, "test structure");
    EXPECT_EQ(model->crystalSystem, "ORTH");
    ASSERT_EQ(model->atomCount, 3) << "HKLF ends the atom list";
    EXPECT_EQ(model->atomSymbol[1], "C");
    EXPECT_EQ(model->atomLabel[1], "1");
    EXPECT_DOUBLE_EQ(model->atomPopulation[1], 0.75);
    EXPECT_NEAR(model->atomB[1], 78.9567018248 * 0.02, 1e-12);
    EXPECT_EQ(model->atomSymbol[2], "O");
    EXPECT_EQ(model->atomLabel[2], "12");
    EXPECT_DOUBLE_EQ(model->atomZ[2], 0.4);
    EXPECT_DOUBLE_EQ(model->atomPopulation[2], 0.25);
    EXPECT_NEAR(model->atomB[2], 78.9567018248 * (0.01 + 0.02 + 0.03) / 3, 1e-6) << "orthogonal cell";
    EXPECT_EQ(model->atomSymbol[3], "FE");
    EXPECT_DOUBLE_EQ(model->atomX[3], 0.5);
    EXPECT_DOUBLE_EQ(model->atomY[3], -0.25);
    EXPECT_DOUBLE_EQ(model->atomZ[3], 0.7);
}

TEST(ShelxInstructions, InstructionsPeaksAndRidingHydrogens)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    const std::string atoms = "PART 1\n"
                              "REM a remark C1 1 2 3\n"
                              "rem lower case too\n"
                              "HTAB O1 C1\n"
                              "SADI_CCF3 0.02 C1 C2 =\n"
                              "    C3 C4\n"
                              "O1    3    0.1 0.2 0.3 11.0 0.03\n"
                              "AFIX 137\n"
                              "H1A   2    0.1 0.2 0.3 11.0 -1.5\n"
                              "H1B   2    0.1 0.2 0.3 11.0 -1.5\n"
                              "AFIX 0\n"
                              "Q1    1    0.3 0.3 0.3 11.0 0.05 1.2\n"
                              "END\n";
    ASSERT_EQ(read_ins(*model, atoms, messages), ReadStatus::Read);
    ASSERT_EQ(model->atomCount, 3);
    EXPECT_EQ(model->atomSymbol[2], "H");
    EXPECT_EQ(model->atomLabel[2], "1A");
    EXPECT_NEAR(model->atomB[2], 1.5 * model->atomB[1], 1e-12) << "riding U takes the parent atom's";
    EXPECT_NEAR(model->atomB[3], 1.5 * model->atomB[1], 1e-12);
}

TEST(ShelxInstructions, OccupanciesOnSpecialPositionsBecomeChemicalOccupancies)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    const std::string text =
        "TITL\nCELL 0.71 5 5 5 90 90 90\nLATT 1\nSYMM -X, -Y, Z\nSYMM -X, Y, -Z\nSYMM X, -Y, -Z\nSFAC NA "
        "CL\nFVAR 1\n"
        "NA1 1 0 0 0 10.125 0.01\nCL1 2 0.5 0.5 0.5 10.125 0.01\nNA2 1 0.1 0.2 0.3 11 0.01\n";
    ASSERT_EQ(read_shelx_instructions_lines(*model, split_text_lines(text), "s.ins", messages),
              ReadStatus::Read);
    ASSERT_EQ(model->atomCount, 3);
    EXPECT_NEAR(model->atomPopulation[1], 1.0, 1e-12);
    EXPECT_NEAR(model->atomPopulation[2], 1.0, 1e-12);
    EXPECT_NEAR(model->atomPopulation[3], 1.0, 1e-12);
}

TEST(ShelxInstructions, SymmetryLinesAndCentring)
{
    const auto op = parse_shelx_symm(" 1/2-X, .3333333+Y, -Z+ 0.50000");
    ASSERT_TRUE(op.has_value());
    EXPECT_DOUBLE_EQ(op->m[0][0], -1);
    EXPECT_DOUBLE_EQ(op->m[0][3], 0.5);
    EXPECT_DOUBLE_EQ(op->m[1][1], 1);
    EXPECT_DOUBLE_EQ(op->m[1][3], 0.3333333);
    EXPECT_DOUBLE_EQ(op->m[2][2], -1);
    EXPECT_DOUBLE_EQ(op->m[2][3], 0.5);
    EXPECT_FALSE(parse_shelx_symm("X, Y").has_value());
    EXPECT_FALSE(parse_shelx_symm("X, Y, W").has_value());
    ShelxSymmetry r3;
    r3.latt = 3;
    r3.symm = {*parse_shelx_symm("-Y, X-Y, Z"), *parse_shelx_symm("-X+Y, -X, Z")};
    const auto all = expand_shelx_symmetry(r3);
    EXPECT_EQ(all.size(), 18u) << "3 operators, inversion, 3 centrings";
    EXPECT_NEAR(shelx_site_factor(all, 0, 0, 0), 18.0 / 3, 1e-12);
    EXPECT_NEAR(shelx_site_factor(all, 0.1, 0.23, 0.37), 1.0, 1e-12);
}

TEST(ShelxInstructions, RefusalsKeepToTheirMessages)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    model->structureFileName = "t.ins";
    EXPECT_EQ(read_ins(*model, "C1 1 0.1 0.2 0.3 11 0.05\nC2 1 0.1 abc 0.3 11 0.05\n", messages),
              ReadStatus::Failed);
    EXPECT_EQ(messages.warnings.back(), "read error: C2 1 0.1 abc 0.3 11 0.05");
    EXPECT_EQ(model->atomCount, 0);
    EXPECT_EQ(model->structureFileName, "");
    EXPECT_EQ(read_ins(*model, "C1 1 0.1 0.2 0.3 51 0.05\n", messages), ReadStatus::Failed);
    EXPECT_EQ(messages.warnings.back(), "read error: undefined free variable in C1 1 0.1 0.2 0.3 51 0.05");
    EXPECT_EQ(read_shelx_instructions_lines(*model, split_text_lines("TITL x\nFVAR 1\n"), "n.ins", messages),
              ReadStatus::Failed);
    EXPECT_EQ(messages.warnings.back(), "Cell not found in n.ins");

    std::string many;
    for (int n = 0; n < 401; ++n)
        many += "C1 1 0.1 0.2 0.3 11 0.05\n";
    EXPECT_EQ(read_ins(*model, many, messages), ReadStatus::Failed);
    EXPECT_EQ(messages.warnings.back(), "The number of atoms is > 400!");
    EXPECT_EQ(model->atomCount, 400);
    EXPECT_EQ(read_ins(*model, many.substr(0, many.size() / 401 * 400), messages), ReadStatus::Read);
}

TEST(ShelxResults, ReadsBothListingHeaders)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    const std::string xyz = "TITL old listing\n CELL 1.54 5.0 5.0 5.0 90 90 90\n"
                            " ATOM           x         y         z\n(blank line after the header)\n"
                            " O12   0.1 0.2 0.3 1.0 0.01 0.02 0.03\n skipped\n skipped\n"
                            " CL1   0.5 0.5 0.5 0.5 0.03 0.03 0.03\n skipped\n skipped\n"
                            "\n";
    ASSERT_EQ(read_shelx_results_lines(*model, split_text_lines(xyz), "r.res", messages), ReadStatus::Read);
    EXPECT_EQ(model->crystalSystem, "CUBI");
    ASSERT_EQ(model->atomCount, 2);
    EXPECT_EQ(model->atomSymbol[1], "O");
    EXPECT_EQ(model->atomLabel[1], "12");
    EXPECT_NEAR(model->atomB[1], 78.9567018248 * 0.02, 1e-9);
    EXPECT_EQ(model->atomSymbol[2], "CL");
    EXPECT_DOUBLE_EQ(model->atomPopulation[2], 0.5);

    const std::string xa = " CELL 1.54 5.0 5.0 6.0 90 90 90\n ATOM      X/A       Y/B\n-\n"
                           " C1    0.1 0.2 0.3 1\n skipped\n C2    0.4 0.5 0.6 1\n skipped\n    \n";
    ASSERT_EQ(read_shelx_results_lines(*model, split_text_lines(xa), "r.res", messages), ReadStatus::Read);
    EXPECT_EQ(model->crystalSystem, "TETR");
    ASSERT_EQ(model->atomCount, 2);
    EXPECT_DOUBLE_EQ(model->atomZ[2], 0.6);
    EXPECT_TRUE(messages.warnings.empty());
}

TEST(ShelxResults, MissingHeaderAndUnreadableRows)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    EXPECT_EQ(read_shelx_results_lines(*model, split_text_lines(" ATOM   X/A  Y/B (other spacing)\n X/A\n"),
                                       "d/r.res", messages),
              ReadStatus::Failed);
    EXPECT_EQ(messages.warnings.back(), "No detected atom in the file r.res");
    EXPECT_EQ(read_shelx_results_lines(
                  *model, split_text_lines(" ATOM      X/A\n-\n C1    0.1 0.2 0.3 1\n-\n C2    0.1 y\n"),
                  "r.res", messages),
              ReadStatus::Failed);
    EXPECT_EQ(messages.warnings.back(), "error 0.1 y C2");
    EXPECT_EQ(model->atomCount, 1);
}

namespace
{

std::unique_ptr<StructureModel> read_real_shelx(const std::string& name, RecordingMessages& messages)
{
    auto model = std::make_unique<StructureModel>();
    const auto path = testing::realdata_dir() / "shelx" / name;
    const bool results = name.find(".res") != std::string::npos;
    const ReadStatus status = results ? read_shelx_results(*model, path, messages)
                                      : read_shelx_instructions(*model, path, messages);
    EXPECT_EQ(status, ReadStatus::Read) << name;
    return model;
}

} // namespace

TEST(ShelxRealFiles, EveryFileGivesCellAndAtoms)
{
    KALIDOS_REQUIRE_REALDATA();
    for (const auto& entry : std::filesystem::directory_iterator(testing::realdata_dir() / "shelx")) {
        const std::string name = entry.path().filename().string();
        RecordingMessages messages;
        auto model = read_real_shelx(name, messages);
        EXPECT_TRUE(messages.warnings.empty()) << name << ": " << ::testing::PrintToString(messages.warnings);
        EXPECT_GT(model->atomCount, 0) << name;
        EXPECT_GT(model->cell.a, 1) << name;
        EXPECT_FALSE(model->crystalSystem.empty()) << name;
        for (int n = 1; n <= model->atomCount; ++n) {
            EXPECT_NE(model->atomSymbol[n].substr(0, 1), "Q") << name << " atom " << n;
            EXPECT_GT(model->atomPopulation[n], 0.0) << name << " atom " << n;
            EXPECT_LE(model->atomPopulation[n], 1.0 + 1e-4) << name << " atom " << n;
            EXPECT_GT(model->atomB[n], 0.0) << name << " atom " << n;
            EXPECT_LT(model->atomB[n], 60.0) << name << " atom " << n;
        }
    }
}

TEST(ShelxRealFiles, DisorderedChlorideTakesItsFreeVariable)
{
    KALIDOS_REQUIRE_REALDATA();
    RecordingMessages messages;
    auto model = read_real_shelx("2240189.res", messages);
    ASSERT_EQ(model->atomCount, 12);
    EXPECT_EQ(model->crystalSystem, "HEXA");
    EXPECT_EQ(model->atomSymbol[1], "FE");
    EXPECT_NEAR(model->atomPopulation[1], 1.0, 1e-4) << "10.16667 on a 6-fold special position";
    EXPECT_EQ(model->atomSymbol[4], "CL");
    EXPECT_EQ(model->atomLabel[4], "1");
    EXPECT_NEAR(model->atomPopulation[4], 0.77327, 1e-5);
    EXPECT_EQ(model->atomLabel[7], "1'");
    EXPECT_NEAR(model->atomPopulation[7], 1 - 0.77327, 1e-5);
    EXPECT_NEAR(model->atomPopulation[8], 1 - 0.77327, 1e-5);
}

} // namespace kalidos
