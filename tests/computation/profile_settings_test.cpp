// The profile settings where the user meets them: the dialog's fields, the companion of a .cry file,
// the results list; with the defaults nothing changes.
#include <gtest/gtest.h>

#include <fstream>

#include "computation/results_list.hpp"
#include "entry/profile_entry.hpp"
#include "entry/sample_entry.hpp"
#include "model/sample_defaults.hpp"
#include "readers/cry_file.hpp"
#include "readers/profile_companion.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

using testing::RecordingMessages;

StructureModel small_structure()
{
    StructureModel m;
    m.title = "rock salt";
    m.crystalSystem = "CUBI";
    m.spaceGroupSymbol = "F m -3 m";
    m.cell = {5.64, 5.64, 5.64, 90, 90, 90};
    m.atomCount = 1;
    m.atomSymbol[1] = "Na";
    m.atomLabel[1] = "1";
    m.atomB[1] = 1;
    m.atomPopulation[1] = 1;
    return m;
}

TEST(ProfileSettings, CompanionFileOnlyWhenASettingDiffersAndReadBackExactly)
{
    const auto dir = testing::make_scratch_dir("profile_companion");
    StructureModel m = small_structure();
    RecordingMessages messages;
    ASSERT_EQ(save_structure_file(m, (dir / "plain.cry").string(), messages).status, SaveStatus::Saved);
    EXPECT_FALSE(std::filesystem::exists(dir / "plain.ksp"));

    m.profile.function = ProfileFunction::Tch;
    m.profile.gaussV = -0.1 / 3;
    m.profile.strainShape = StrainShape::Lorentzian;
    m.profile.axialHL = 0.025;
    m.profile.displacementMm = 0.05;
    m.profile.transparency = 0.04;
    m.sample.preferred = {1, 0, -2, 0.8, 0.75};
    m.sample.isotropic = true;
    ASSERT_EQ(save_structure_file(m, (dir / "shaped.cry").string(), messages).status, SaveStatus::Saved);
    EXPECT_EQ(format_cry_text(m), format_cry_text(small_structure()));  // the .cry itself is unchanged
    ASSERT_TRUE(std::filesystem::exists(dir / "shaped.ksp"));

    StructureModel read;
    ASSERT_EQ(read_cry_file(read, dir / "shaped.cry", messages), ReadStatus::Read);
    EXPECT_TRUE(read.profile == m.profile);
    EXPECT_TRUE(same_sample_settings(read.sample, m.sample));
    read.profile.zeroShift = 1;  // a .cry without companion brings the defaults
    ASSERT_EQ(read_cry_file(read, dir / "plain.cry", messages), ReadStatus::Read);
    EXPECT_TRUE(is_default(read.profile));

    m.profile = {};
    m.sample = {};  // back to the defaults: the old companion goes
    messages.answers.push_back(Answer::Yes);  // "This file already exists..."
    ASSERT_EQ(save_structure_file(m, (dir / "shaped.cry").string(), messages).status, SaveStatus::Saved);
    EXPECT_FALSE(std::filesystem::exists(dir / "shaped.ksp"));
    EXPECT_TRUE(messages.warnings.empty());
}

TEST(ProfileSettings, DamagedCompanionIsToldAndLeavesTheDefaults)
{
    ProfileSettings s;
    SampleSettings sample;
    std::string error;
    EXPECT_FALSE(parse_profile_companion({"KALIDOS sample and profile", "size 12"}, s, sample, error));
    EXPECT_EQ(error, "read error in line 2");
    EXPECT_FALSE(parse_profile_companion({"KALIDOS sample and profile", "zero 7"}, s, sample, error));
    EXPECT_EQ(error, "Zero shift must lie between -5 and 5 deg!");
    EXPECT_FALSE(parse_profile_companion({"rock salt"}, s, sample, error));
    EXPECT_TRUE(is_default(s));
    EXPECT_FALSE(parse_profile_companion({"KALIDOS sample and profile", "preferred 0 0 0 0.7 1"}, s, sample, error));
    // A setting written by a later version is skipped.
    ASSERT_TRUE(parse_profile_companion({"KALIDOS sample and profile", "texture 4 1", "preferred 0 0 1 0.7 0.5",
                                         "zero 0.5"},
                                        s, sample, error));
    EXPECT_EQ(s.zeroShift, 0.5);
    EXPECT_EQ(sample.preferred.ratio, 0.7);
    EXPECT_EQ(sample.preferred.fraction, 0.5);
    // The refinement window's lines: read back as written, a bad count refused.
    RefinementSettings refinement{{"0::a", "zero"}, "scale,background;0::a,zero", 7, 0.25, 5};
    const std::string written = format_profile_companion(s, sample, refinement);
    RefinementSettings back;
    ASSERT_TRUE(parse_profile_companion(split_text_lines(written), s, sample, error, &back)) << error;
    EXPECT_TRUE(back == refinement);
    EXPECT_EQ(format_profile_companion(s, sample, {}), written.substr(0, written.find("refine-")));
    EXPECT_EQ(written.find("transparency"), std::string::npos);  // without it, companions stay as they were
    EXPECT_FALSE(parse_profile_companion({"KALIDOS sample and profile", "refine-cycles 0"}, s, sample, error, &back));
    EXPECT_FALSE(parse_profile_companion({"KALIDOS sample and profile", "refine-background 2.5"}, s, sample, error));

    const auto dir = testing::make_scratch_dir("profile_companion_damaged");
    StructureModel m = small_structure();
    RecordingMessages messages;
    ASSERT_EQ(save_structure_file(m, (dir / "a.cry").string(), messages).status, SaveStatus::Saved);
    std::ofstream(dir / "a.ksp") << "KALIDOS sample and profile\nasymmetry 0.01\n";
    StructureModel read;
    read.profile.zeroShift = 1;
    ASSERT_EQ(read_cry_file(read, dir / "a.cry", messages), ReadStatus::Read);
    EXPECT_TRUE(is_default(read.profile));
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_EQ(messages.warnings[0], "The sample and profile settings of a.ksp were not read (read error in line 2)");
}

TEST(ProfileSettings, DialogFieldsAreReadOrRefusedWithTheUsualMessages)
{
    ProfileSettings s;
    ProfileEntry entry = profile_entry_from(s);
    EXPECT_EQ(entry.texts[kFieldGaussW], "0.02");
    EXPECT_EQ(entry.texts[kFieldRadius], "240");
    entry.function = ProfileFunction::Tch;
    entry.texts[kFieldSize] = " 45.5 ";
    entry.texts[kFieldZero] = "-.02";
    RecordingMessages messages;
    EXPECT_EQ(read_profile_entry(entry, s, messages), -1);
    EXPECT_EQ(s.function, ProfileFunction::Tch);
    EXPECT_EQ(s.sizeNm, 45.5);
    EXPECT_EQ(s.zeroShift, -0.02);

    const ProfileSettings kept = s;
    entry.texts[kFieldStrain] = "0,1";
    EXPECT_EQ(read_profile_entry(entry, s, messages), kFieldStrain);
    entry.texts[kFieldStrain] = "0.1";
    entry.texts[kFieldAxialHL] = "0.5";
    EXPECT_EQ(read_profile_entry(entry, s, messages), kFieldAxialHL);
    EXPECT_TRUE(s == kept);
    EXPECT_EQ(messages.warnings, (std::vector<std::string>{"Typing error!", "S/L, H/L must lie between 0 and 0.2!"}));
    EXPECT_EQ(messages.beeps, 2);

    // A refined value is shown to six digits and kept whole while its field is left alone.
    s.gaussU = 0.05877784081234567;
    entry = profile_entry_from(s);
    EXPECT_EQ(entry.texts[kFieldGaussU], "0.0587778");
    EXPECT_EQ(read_profile_entry(entry, s, messages), -1);
    EXPECT_EQ(s.gaussU, 0.05877784081234567);
    entry.texts[kFieldGaussU] = "0.05878";
    EXPECT_EQ(read_profile_entry(entry, s, messages), -1);
    EXPECT_EQ(s.gaussU, 0.05878);

    SampleSettings sample;
    SampleEntry fields = sample_entry_from(sample);
    EXPECT_EQ(fields.texts, (std::array<std::string, kSampleFieldCount>{"0", "0", "1", "1", "1"}));
    fields.texts[kFieldPreferredL] = "0";
    EXPECT_EQ(read_sample_entry(fields, sample, messages), kFieldPreferredH);
    fields.texts = {"1", "1", "0", "0", "1"};
    EXPECT_EQ(read_sample_entry(fields, sample, messages), kFieldRatio);
    fields.texts = {"1", "1", "0", "0.7", "0.5"};
    fields.isotropic = true;
    EXPECT_EQ(read_sample_entry(fields, sample, messages), -1);
    EXPECT_TRUE(same_sample_settings(sample, SampleSettings{{1, 1, 0, 0.7, 0.5}, true}));
    EXPECT_EQ(messages.warnings.back(), "The ratio r must lie above 0 and at most 100!");
}

TEST(ProfileSettings, ResultsListGivesThePeakPositionOnlyWhenPeaksMove)
{
    auto ws = make_workspace(".");
    ws->results.merged[++ws->results.merged.count] = Reflection{1, 1, 1, 8, 1.5406, 3.256, 27.37, 100};
    fill_results_list(*ws);
    const std::vector<std::string> described = ws->results.resultsList;
    EXPECT_EQ(described[0], " Nb. h  k  l   Dhkl  2Theta k*Int. lambda");
    ws->model.profile.function = ProfileFunction::Tch;  // a new shape alone moves nothing
    fill_results_list(*ws);
    EXPECT_EQ(ws->results.resultsList, described);
    ws->model.profile.zeroShift = 0.1;
    fill_results_list(*ws);
    EXPECT_EQ(ws->results.resultsList[0], described[0] + "    Peak");
    EXPECT_EQ(ws->results.resultsList[3], described[3] + "  27.470");
}

}  // namespace
}  // namespace kalidos
