#include "readers/open_structure_file.hpp"
#include "readers/shelx_readers.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"

#include <cmath>
#include <gtest/gtest.h>

namespace kalidos
{

namespace
{

using testing::RecordingMessages;

std::filesystem::path real(const std::string& folder, const std::string& name)
{
    return testing::realdata_dir() / folder / name;
}

std::vector<std::filesystem::path> real_cifs()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(testing::realdata_dir() / "cif"))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Chooses every block in turn.
class EveryBlock : public CifBlockChooser
{
  public:
    int choose_cif_block(const std::vector<CifBlock>& blocks) override
    {
        count = static_cast<int>(blocks.size());
        return next;
    }
    int next = 1;
    int count = 1;
};

} // namespace

TEST(CifRealFiles, EveryBlockReadsOrIsRefusedWithAMessage)
{
    KALIDOS_REQUIRE_REALDATA();
    const auto dir = testing::make_scratch_dir("cif-real");
    for (const auto& file : real_cifs()) {
        EveryBlock chooser;
        for (chooser.next = 1; chooser.next <= chooser.count; ++chooser.next) {
            RecordingMessages messages;
            auto model = std::make_unique<StructureModel>();
            model->startDirectory = dir.string();
            const OpenStatus status = read_cif_file(*model, file, messages, &chooser);
            const std::string where = file.filename().string() + " block " + std::to_string(chooser.next);
            if (status != OpenStatus::Read) {
                EXPECT_FALSE(messages.warnings.empty()) << where;
                continue;
            }
            // Elements read from labels such as Wat1 are told; nothing else is.
            std::erase_if(messages.warnings, [](const std::string& w) { return w.starts_with("No _atom_site_type_symbol: "); });
            EXPECT_TRUE(messages.warnings.empty())
                << where << ": " << ::testing::PrintToString(messages.warnings);
            EXPECT_GT(model->atomCount, 0) << where;
            EXPECT_GT(model->cell.a * model->cell.b * model->cell.c, 0) << where;
            EXPECT_FALSE(model->crystalSystem.empty()) << where;
            EXPECT_TRUE(model->operatorCount > 0 || !model->spaceGroupSymbol.empty()) << where;
            for (int n = 1; n <= model->atomCount; ++n) {
                EXPECT_GT(model->atomPopulation[n], 0) << where << " atom " << n;
                EXPECT_GT(model->atomB[n], 0) << where << " atom " << n;
            }
        }
    }
}

TEST(CifRealFiles, TheSameStructureFromItsCifAndItsResultFile)
{
    KALIDOS_REQUIRE_REALDATA();
    const auto dir = testing::make_scratch_dir("cif-vs-res");
    RecordingMessages messages;
    auto cif = std::make_unique<StructureModel>();
    cif->startDirectory = dir.string();
    ASSERT_EQ(read_cif_file(*cif, real("cif", "cod_2240189.cif"), messages, nullptr), OpenStatus::Read);
    auto res = std::make_unique<StructureModel>();
    ASSERT_EQ(read_shelx_results(*res, real("shelx", "2240189.res"), messages), ReadStatus::Read);
    EXPECT_TRUE(messages.warnings.empty()) << ::testing::PrintToString(messages.warnings);

    EXPECT_NEAR(cif->cell.a, res->cell.a, 1e-4);
    EXPECT_NEAR(cif->cell.b, res->cell.b, 1e-4);
    EXPECT_NEAR(cif->cell.c, res->cell.c, 1e-4);
    EXPECT_EQ(cif->cell.alpha, res->cell.alpha);
    EXPECT_EQ(cif->cell.gamma, res->cell.gamma);
    EXPECT_EQ(cif->crystalSystem, res->crystalSystem);
    ASSERT_EQ(cif->atomCount, res->atomCount);
    for (int n = 1; n <= cif->atomCount; ++n) {
        const std::string where = "atom " + std::to_string(n) + " " + res->atomSymbol[n] + res->atomLabel[n];
        EXPECT_EQ(to_upper(cif->atomSymbol[n]), res->atomSymbol[n]) << where;
        EXPECT_EQ(cif->atomLabel[n], res->atomLabel[n]) << where;
        EXPECT_NEAR(cif->atomX[n], res->atomX[n], 1e-3) << where;
        EXPECT_NEAR(cif->atomY[n], res->atomY[n], 1e-3) << where;
        EXPECT_NEAR(cif->atomZ[n], res->atomZ[n], 1e-3) << where;
        EXPECT_NEAR(cif->atomPopulation[n], res->atomPopulation[n], 1e-3) << where;
        EXPECT_NEAR(cif->atomB[n], res->atomB[n], 0.03 * res->atomB[n]) << where;
    }
}

} // namespace kalidos
