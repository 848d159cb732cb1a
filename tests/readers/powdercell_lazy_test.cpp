#include "readers/lazy_pulverix_reader.hpp"
#include "readers/powdercell_reader.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"

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

ReadStatus read_cel(StructureModel& model, const std::string& text, RecordingMessages& messages)
{
    return read_powdercell_lines(model, split_text_lines(text), "t.cel", fixtures(), messages);
}

} // namespace

TEST(PowderCell, ReadsCellAtomsAndTheGroupThroughCspLst)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    ASSERT_EQ(read_powdercell(*model, fixtures() / "rutile.cel", fixtures(), messages), ReadStatus::Read);
    EXPECT_TRUE(messages.warnings.empty());
    EXPECT_EQ(model->crystalSystem, "TETR");
    EXPECT_DOUBLE_EQ(model->cell.c, 2.9587);
    ASSERT_EQ(model->atomCount, 2);
    EXPECT_EQ(model->atomSymbol[1], "Ti");
    EXPECT_EQ(model->atomLabel[1], "1");
    EXPECT_EQ(model->atomSymbol[2], "O");
    EXPECT_EQ(model->atomLabel[2], "1");
    EXPECT_DOUBLE_EQ(model->atomX[2], 0.3048);
    EXPECT_DOUBLE_EQ(model->atomB[2], 0.6) << "the fifth number is B";
    EXPECT_DOUBLE_EQ(model->atomPopulation[2], 1.0);
    EXPECT_EQ(model->spaceGroupSymbol, "P42/MNM");
}

TEST(PowderCell, GroupNumbersOfAnotherSystemGiveTheSystemsDefault)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    ASSERT_EQ(read_cel(*model, "cell 5 5 5 90 90 90\nNa 11 0 0 0 1\nRGNR 62\n", messages), ReadStatus::Read);
    EXPECT_EQ(model->crystalSystem, "CUBI") << "CELL is recognised in any case";
    EXPECT_EQ(model->spaceGroupSymbol, "P23");
    ASSERT_EQ(read_cel(*model, "CELL 5 6 7 90 100 90\nNa 11 0 0 0 1\nRGNR 14\n", messages), ReadStatus::Read);
    EXPECT_EQ(model->spaceGroupSymbol, "P21/C");
    ASSERT_EQ(read_cel(*model, "CELL 5 5 5 60 60 60\nNa 11 0 0 0 1\nRGNR 14\n", messages), ReadStatus::Read);
    EXPECT_EQ(model->crystalSystem, "RHOM");
    EXPECT_EQ(model->spaceGroupSymbol, "P21/C") << "no default for rhombohedral cells";
    EXPECT_EQ(powdercell_default_symbol("TRIC", 3), "P1");
    EXPECT_EQ(powdercell_default_symbol("MONO", 2), "P2/M");
    EXPECT_EQ(powdercell_default_symbol("ORTH", 75), "P222");
    EXPECT_EQ(powdercell_default_symbol("TETR", 143), "P422");
    EXPECT_EQ(powdercell_default_symbol("HEXA", 142), "P6");
    EXPECT_EQ(powdercell_default_symbol("HEXA", 194), "");
    EXPECT_EQ(powdercell_default_symbol("CUBI", 230), "");
    EXPECT_TRUE(messages.warnings.empty());
}

TEST(PowderCell, SixNumbersGiveOccupationAndB)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    ASSERT_EQ(read_cel(*model, "CELL 5 5 5 90 90 90\nFe12 26 0.1 0.2 0.3 0.75 0.9\nRGNR 221\n", messages),
              ReadStatus::Read);
    EXPECT_EQ(model->atomSymbol[1], "Fe");
    EXPECT_EQ(model->atomLabel[1], "12");
    EXPECT_DOUBLE_EQ(model->atomPopulation[1], 0.75);
    EXPECT_DOUBLE_EQ(model->atomB[1], 0.9);
}

TEST(PowderCell, RefusalsAndMessages)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    EXPECT_EQ(read_cel(*model, "CELL 5 5 x 90 90 90\nNa 11 0 0 0 1\n", messages), ReadStatus::Failed);
    EXPECT_EQ(messages.warnings.back(), "Cell parameters not found!");

    model->spaceGroupSymbol.clear();
    EXPECT_EQ(read_cel(*model, "CELL 5 5 5 90 90 90\nNa 11 0 0 0 1\n", messages), ReadStatus::Read);
    EXPECT_EQ(messages.warnings.back(), "No space-group number (RGNR) in the file t.cel");
    EXPECT_EQ(model->spaceGroupSymbol, "");
    EXPECT_EQ(model->atomCount, 1);

    EXPECT_EQ(read_cel(*model, "CELL 5 5 5 90 90 90\nNa 11 0 0 0 1\nRGNR 231\n", messages), ReadStatus::Read);
    EXPECT_EQ(model->spaceGroupSymbol, "");
    EXPECT_EQ(read_cel(*model, "CELL 5 5 5 90 90 90\nNa 11 0 zero 0 1\nRGNR 221\n", messages),
              ReadStatus::Failed);
    EXPECT_EQ(messages.warnings.back(), "Read error: Na 11 0 zero 0 1");

    std::string many = "CELL 5 5 5 90 90 90\n";
    for (int n = 0; n < 401; ++n)
        many += "C 6 0.1 0.1 0.1 1\n";
    EXPECT_EQ(read_cel(*model, many + "RGNR 1\n", messages), ReadStatus::Failed);
    EXPECT_EQ(messages.warnings.back(), "warning! The number of atoms is > 400!");
    EXPECT_EQ(model->atomCount, 400);

    EXPECT_EQ(read_powdercell_lines(*model, split_text_lines("CELL 5 5 5 90 90 90\nRGNR 5\n"), "t.cel",
                                    fixtures() / "nowhere", messages),
              ReadStatus::Failed);
    EXPECT_EQ(messages.warnings.back(), "Cannot open the file csp.lst");
}

TEST(LazyPulverix, ReadsTitleCellGroupAndAtoms)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    ASSERT_EQ(read_lazy_pulverix(*model, fixtures() / "spinel.lzy", messages), ReadStatus::Read);
    EXPECT_TRUE(messages.warnings.empty());
    EXPECT_EQ(model->title, "MgAl2O4 spinel");
    EXPECT_EQ(model->spaceGroupSymbol, "Fd-3m");
    EXPECT_EQ(model->crystalSystem, "CUBI");
    ASSERT_EQ(model->atomCount, 3);
    EXPECT_EQ(model->atomSymbol[3], "O");
    EXPECT_DOUBLE_EQ(model->atomX[3], 0.2624);
    EXPECT_DOUBLE_EQ(model->atomB[2], 0.4);
}

TEST(LazyPulverix, TheAtomLineOfTheExample)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    ASSERT_EQ(read_lazy_pulverix_lines(*model, split_text_lines("ATOM CU 1  0.0 0.0 0.0 1.0 0.5"), messages),
              ReadStatus::Read);
    ASSERT_EQ(model->atomCount, 1);
    EXPECT_EQ(model->atomSymbol[1], "CU");
    EXPECT_EQ(model->atomLabel[1], "1");
    EXPECT_DOUBLE_EQ(model->atomX[1], 0.0);
    EXPECT_DOUBLE_EQ(model->atomPopulation[1], 1.0);
    EXPECT_DOUBLE_EQ(model->atomB[1], 0.5);
}

TEST(LazyPulverix, WordsAreMatchedAsWrittenAndErrorsRefuse)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    model->cell.a = 7;
    ASSERT_EQ(read_lazy_pulverix_lines(
                  *model, split_text_lines("cell 1 2 3 90 90 90\nTITLE CELL and ATOM test"), messages),
              ReadStatus::Read);
    EXPECT_DOUBLE_EQ(model->cell.a, 7) << "lower-case cell is no keyword; the previous cell stays";
    EXPECT_EQ(model->title, "CELL and ATOM test");
    EXPECT_EQ(model->atomCount, 0);

    EXPECT_EQ(read_lazy_pulverix_lines(*model, split_text_lines("CELL 1 2 x 90 90 90"), messages),
              ReadStatus::Failed);
    EXPECT_EQ(messages.warnings.back(), "Cell not found");
    EXPECT_EQ(read_lazy_pulverix_lines(*model, split_text_lines("ATOM O  1  0.1 0.2"), messages),
              ReadStatus::Failed);
    EXPECT_EQ(messages.warnings.back(), "Read error: ATOM O  1  0.1 0.2");

    std::string many;
    for (int n = 0; n < 401; ++n)
        many += "ATOM C  1  0.1 0.2 0.3 1 1\n";
    EXPECT_EQ(read_lazy_pulverix_lines(*model, split_text_lines(many), messages), ReadStatus::Failed);
    EXPECT_EQ(messages.warnings.back(), "The number of atoms is > 400!");
    EXPECT_EQ(model->atomCount, 400);
}

} // namespace kalidos
