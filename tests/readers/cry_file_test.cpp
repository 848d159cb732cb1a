#include "readers/cry_file.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace kalidos
{

namespace
{

using testing::RecordingMessages;

std::unique_ptr<StructureModel> quartz_model()
{
    auto model = std::make_unique<StructureModel>();
    model->title = "alpha quartz";
    model->crystalSystem = "HEXA";
    model->spaceGroupSymbol = "P3221";
    model->cell.a = 4.9134, model->cell.b = 4.9134, model->cell.c = 5.4052;
    model->cell.alpha = 90, model->cell.beta = 90, model->cell.gamma = 120;
    model->atomCount = 3;
    const char* symbols[] = {"SI", "O", "FE3+"};
    const char* labels[] = {"1", "", "12"};
    for (int n = 1; n <= 3; ++n) {
        model->atomSymbol[n] = symbols[n - 1];
        model->atomLabel[n] = labels[n - 1];
        model->atomX[n] = 0.1 * n;
        model->atomY[n] = -0.25 * n;
        model->atomZ[n] = 1.0 / 3;
        model->atomB[n] = 0.5 * n;
        model->atomPopulation[n] = 1.0 - 0.125 * n;
    }
    return model;
}

std::string file_text(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string cry_text_with_atoms(int atoms)
{
    std::string text = "t\nCUBI\nP1\n 5 5 5 90 90 90\n";
    for (int n = 0; n < atoms; ++n)
        text += "C   1    0.1 0.2 0.3 1.0 1.0\n";
    return text;
}

} // namespace

TEST(CryFile, WritesTheFixedColumnLayoutWithCrLf)
{
    auto model = quartz_model();
    const std::string text = format_cry_text(*model);
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "alpha quartz\r");
    std::getline(in, line);
    std::getline(in, line);
    std::getline(in, line);
    EXPECT_EQ(line, "   4.9134   4.9134   5.4052  90.000  90.000 120.000\r");
    std::getline(in, line);
    EXPECT_EQ(line, "SI  1    0.100000 -0.250000  0.333333    0.500   0.8750\r");
    std::getline(in, line);
    EXPECT_EQ(line.substr(0, 7), "O      ") << "an empty label is two blanks";
    std::getline(in, line);
    EXPECT_EQ(line.substr(0, 7), "FE3+12 ") << "a four-character symbol takes its columns whole";
}

TEST(CryFile, RoundTripGivesTheSameStructure)
{
    const auto dir = testing::make_scratch_dir("cry-roundtrip");
    auto model = quartz_model();
    RecordingMessages messages;
    const SaveResult saved = save_structure_file(*model, (dir / "quartz").string(), messages);
    ASSERT_EQ(saved.status, SaveStatus::Saved);
    EXPECT_EQ(saved.writtenFile, dir / "quartz.cry");
    EXPECT_EQ(model->structureFileName, "quartz.cry");

    auto back = std::make_unique<StructureModel>();
    ASSERT_EQ(read_cry_file(*back, saved.writtenFile, messages), ReadStatus::Read);
    EXPECT_TRUE(messages.warnings.empty());
    EXPECT_EQ(back->title, model->title);
    EXPECT_EQ(back->crystalSystem, "HEXA");
    EXPECT_EQ(back->spaceGroupSymbol, "P3221");
    EXPECT_DOUBLE_EQ(back->cell.c, 5.4052);
    EXPECT_DOUBLE_EQ(back->cell.gamma, 120);
    ASSERT_EQ(back->atomCount, 3);
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(back->atomSymbol[n], model->atomSymbol[n]);
        EXPECT_EQ(back->atomLabel[n], model->atomLabel[n]);
        EXPECT_NEAR(back->atomX[n], model->atomX[n], 5e-7);
        EXPECT_NEAR(back->atomY[n], model->atomY[n], 5e-7);
        EXPECT_NEAR(back->atomZ[n], model->atomZ[n], 5e-7);
        EXPECT_NEAR(back->atomB[n], model->atomB[n], 5e-4);
        EXPECT_NEAR(back->atomPopulation[n], model->atomPopulation[n], 5e-5);
    }
}

TEST(CryFile, NumbersWiderThanTheirFieldsStaySeparate)
{
    auto model = quartz_model();
    model->cell.a = 12345.6789;
    model->atomB[1] = 123456.5;
    model->atomZ[1] = -123.4567891;
    RecordingMessages messages;
    auto back = std::make_unique<StructureModel>();
    ASSERT_EQ(read_cry_lines(*back, split_text_lines(format_cry_text(*model)), "x.cry", messages),
              ReadStatus::Read);
    EXPECT_DOUBLE_EQ(back->cell.a, 12345.6789);
    EXPECT_DOUBLE_EQ(back->atomB[1], 123456.5);
    EXPECT_NEAR(back->atomZ[1], -123.456789, 1e-9);
}

TEST(CryFile, TheCryRuleAndTheOverwriteQuestion)
{
    const auto dir = testing::make_scratch_dir("cry-names");
    auto model = quartz_model();
    RecordingMessages messages;
    EXPECT_EQ(save_structure_file(*model, (dir / "quartz.cry.bak").string(), messages).writtenFile,
              dir / "quartz.cry.bak");

    messages.answers = {Answer::No};
    EXPECT_EQ(save_structure_file(*model, (dir / "quartz.cry.bak").string(), messages).status,
              SaveStatus::NotOverwritten);
    ASSERT_EQ(messages.questions.size(), 1u);
    EXPECT_EQ(messages.questions[0], "This file already exists. Do you want to continue?");
    EXPECT_EQ(messages.beeps, 1);

    messages.answers = {Answer::Cancel};
    EXPECT_EQ(save_structure_file(*model, (dir / "quartz.cry.bak").string(), messages).status,
              SaveStatus::NotOverwritten);

    model->title = "changed";
    messages.answers = {Answer::Yes};
    ASSERT_EQ(save_structure_file(*model, (dir / "quartz.cry.bak").string(), messages).status,
              SaveStatus::Saved);
    EXPECT_EQ(file_text(dir / "quartz.cry.bak").substr(0, 9), "changed\r\n");
}

TEST(CryFile, CancelledDialogUsesTheHeldNameInTheStartDirectory)
{
    const auto dir = testing::make_scratch_dir("cry-held");
    auto model = quartz_model();
    model->startDirectory = dir.string();
    RecordingMessages messages;
    EXPECT_EQ(save_structure_file(*model, "", messages).status, SaveStatus::NoFileName);
    model->structureFileName = "/somewhere/else/held";
    const SaveResult saved = save_structure_file(*model, "", messages);
    ASSERT_EQ(saved.status, SaveStatus::Saved);
    EXPECT_EQ(saved.writtenFile, dir / "held.cry");
}

TEST(CryFile, IncompleteDataIsRefused)
{
    const auto dir = testing::make_scratch_dir("cry-incomplete");
    RecordingMessages messages;
    auto model = quartz_model();
    model->cell.a = 0;
    EXPECT_EQ(save_structure_file(*model, (dir / "a").string(), messages).status, SaveStatus::Incomplete);
    model = quartz_model();
    model->spaceGroupSymbol.clear();
    EXPECT_EQ(save_structure_file(*model, (dir / "a").string(), messages).status, SaveStatus::Incomplete);
    model = quartz_model();
    model->atomCount = 0;
    EXPECT_EQ(save_structure_file(*model, (dir / "a").string(), messages).status, SaveStatus::Incomplete);
    EXPECT_EQ(messages.warnings, std::vector<std::string>(3, "Incomplete Data!"));
    EXPECT_EQ(messages.beeps, 3);
    EXPECT_FALSE(std::filesystem::exists(dir / "a.cry"));
}

TEST(CryFile, ReadsTheHeaderAsTheFileWritesIt)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    const TextLines lines =
        split_text_lines("T\ntetragonal\n  P 42/m n m  extra text\n4.59 4.59 2.96 90 90 90 junk\n"
                         "TI    0 0 0 0.4 1\n\n   \n");
    ASSERT_EQ(read_cry_lines(*model, lines, "r.cry", messages), ReadStatus::Read);
    EXPECT_EQ(model->crystalSystem, "TETR");
    EXPECT_EQ(model->spaceGroupSymbol, "P 42/m n m");
    EXPECT_EQ(model->atomCount, 1) << "blank lines at the end hold no atom";
    EXPECT_EQ(model->atomLabel[1], "");
    ASSERT_EQ(read_cry_lines(*model, split_text_lines("T\nquad\nP4\n4 4 6 90 90 90\n"), "q.cry", messages),
              ReadStatus::Read);
    EXPECT_EQ(model->crystalSystem, "TETR");
    EXPECT_EQ(model->atomCount, 0);
}

TEST(CryFile, FourHundredAtomsReadAndFourHundredAndOneFail)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    EXPECT_EQ(read_cry_lines(*model, split_text_lines(cry_text_with_atoms(400)), "a.cry", messages),
              ReadStatus::Read);
    EXPECT_EQ(model->atomCount, 400);
    EXPECT_TRUE(messages.warnings.empty());
    EXPECT_EQ(read_cry_lines(*model, split_text_lines(cry_text_with_atoms(401)), "a.cry", messages),
              ReadStatus::Failed);
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_EQ(messages.warnings[0], "The number of atoms is > 400!");
    EXPECT_EQ(model->atomCount, 400) << "the atoms read so far stay";
}

TEST(CryFile, UnreadableNumbersAndShortFilesAreRefused)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    EXPECT_EQ(read_cry_lines(*model, split_text_lines("t\nCUBI\nP1\n5 5 x 90 90 90\n"), "b.cry", messages),
              ReadStatus::Failed);
    EXPECT_EQ(read_cry_lines(*model, split_text_lines("t\nCUBI\nP1\n5 5 5 90 90 90\nC   1 0.1 0.2\n"),
                             "b.cry", messages),
              ReadStatus::Failed);
    EXPECT_EQ(read_cry_lines(*model, split_text_lines("t\nCUBI\n"), "b.cry", messages), ReadStatus::Failed);
    EXPECT_EQ(read_cry_file(*model, testing::test_data_dir() / "readers" / "absent.cry", messages),
              ReadStatus::Failed);
    ASSERT_EQ(messages.warnings.size(), 4u);
    EXPECT_EQ(messages.warnings[0], "Read error in line 4 of b.cry");
    EXPECT_EQ(messages.warnings[1], "Read error in line 5 of b.cry");
    EXPECT_EQ(messages.warnings[3], "Cannot open the file absent.cry");
}

TEST(CryFile, ReadsTheExampleFile)
{
    RecordingMessages messages;
    auto model = std::make_unique<StructureModel>();
    ASSERT_EQ(read_cry_file(*model, testing::test_data_dir() / "readers" / "silicon.cry", messages),
              ReadStatus::Read);
    EXPECT_EQ(model->title, "Silicon at room temperature");
    EXPECT_EQ(model->spaceGroupSymbol, "F d -3 m");
    EXPECT_DOUBLE_EQ(model->cell.a, 5.431);
    ASSERT_EQ(model->atomCount, 1);
    EXPECT_EQ(model->atomSymbol[1], "SI");
    EXPECT_EQ(model->atomLabel[1], "1");
    EXPECT_DOUBLE_EQ(model->atomX[1], 0.125);
    EXPECT_DOUBLE_EQ(model->atomB[1], 0.5);
    EXPECT_DOUBLE_EQ(model->atomPopulation[1], 1.0);
}

} // namespace kalidos
