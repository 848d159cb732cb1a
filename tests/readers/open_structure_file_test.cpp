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
