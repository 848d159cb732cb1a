// Identification against an index of the real CIFs and the examples: the round-robin diagrams of
// pure corundum, fluorite and zincite and of their mixture, and a synthetic two-phase diagram.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "diagram_files/diagram_import.hpp"
#include "identification/identification.hpp"
#include "identification/index_run.hpp"
#include "identification/structure_calculation.hpp"
#include "mixture/mixture.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

namespace fs = std::filesystem;
using testing::program_data_dir;
using testing::realdata_dir;

class IdentifyPhases : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!testing::have_realdata())
            return;
        const fs::path library = testing::make_scratch_dir("identification_real_library");
        for (const fs::path& folder : {realdata_dir() / "cif", program_data_dir().parent_path() / "examples"})
            for (const fs::path& file : library_files(folder))
                fs::copy_file(file, library / file.filename(), fs::copy_options::skip_existing);
        std::string error;
        auto index = LibraryIndex::open(library / "index.sqlite", error);
        IndexRunSettings settings;
        settings.jobs = 2;
        index_files(library_files(library), *index, program_data_dir(), settings);
        entries_ = new std::vector<LibraryEntry>(index->entries());
    }
    static void TearDownTestSuite() { delete entries_; }

    static Identification identify_file(const std::string& name)
    {
        auto workspace = make_workspace("");
        testing::RecordingMessages messages;
        lit_diagramme(*workspace, messages, static_cast<int>(DiagramKind::Philips), (realdata_dir() / "rd" / name).string());
        const ObservedSlot& slot = workspace->observed.slots[1];
        EXPECT_TRUE(slot.measured) << name;
        return identify_phases(slot.measured->scans.front(), slot.measured->wavelengths, *entries_, IdentifySettings{},
                               program_data_dir());
    }
    static std::vector<std::string> phase_files(const Identification& found)
    {
        std::vector<std::string> names;
        for (const FoundPhase& phase : found.phases)
            names.push_back(fs::path((*entries_)[phase.entry].file).filename().string());
        return names;
    }
    static const LibraryEntry& entry_named(const std::string& name)
    {
        return *std::find_if(entries_->begin(), entries_->end(),
                             [&](const LibraryEntry& e) { return fs::path(e.file).filename() == name; });
    }

    static std::vector<LibraryEntry>* entries_;
};

std::vector<LibraryEntry>* IdentifyPhases::entries_ = nullptr;

const std::string kCorundum = "amcsd_corundum_Sapphire.cif";

TEST_F(IdentifyPhases, RoundRobinPureDiagramsAndTheirMixture)
{
    KALIDOS_REQUIRE_REALDATA();
    EXPECT_EQ(phase_files(identify_file("qarr_CORUNDUM.RD")).at(0), kCorundum);
    EXPECT_EQ(phase_files(identify_file("qarr_FLUORITE.RD")).at(0), "fluorite.cif");
    EXPECT_EQ(phase_files(identify_file("qarr_ZINCITE.RD")).at(0), "zincite.cif");

    // Sample 1A of the round robin weighs 94.81 % fluorite, 4.04 % zincite and 1.15 % corundum.
    const Identification mixture = identify_file("qarr_CPD-1A.RD");
    std::vector<std::string> found = phase_files(mixture);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0], "fluorite.cif");
    EXPECT_GT(mixture.phases[0].fraction, 0.9);
    std::sort(found.begin() + 1, found.end());
    EXPECT_EQ(found[1], kCorundum);
    EXPECT_EQ(found[2], "zincite.cif");
    // Their amounts rank only when each phase's intensities are on its cell's absolute scale: the
    // 104 line of corundum has m·|F|² = 39963.9 per cell (cctbx, it1992, the file's displacements).
    double corundum104 = 0;
    for (const IndexedReflection& r : entry_named(kCorundum).reflections)
        if (std::fabs(r.d - 2.55143) < 1e-4)
            corundum104 = r.intensity;
    EXPECT_NEAR(corundum104, 39963.9, 0.01 * 39963.9);
    EXPECT_EQ(phase_files(mixture)[1], "zincite.cif");
    EXPECT_EQ(phase_files(mixture)[2], kCorundum);
}

// 95 % potassium sulfate and 5 % palladium oxide, Cu Kα1 and Kα2, the zero 0.04° off, a sloping
// background and Poisson noise: both are found, the sulfate first.
TEST_F(IdentifyPhases, SyntheticTwoPhaseDiagramWithAMinorPhase)
{
    KALIDOS_REQUIRE_REALDATA();
    const MeasuredWavelengths copper{1.540562, 1.544390, 0.5, "Cu"};
    StructureModel experiment = diagram_experiment(copper, 10, 100, Resolution{0.002, -0.001, 0.002});
    experiment.profile.zeroShift = 0.04;
    std::vector<MixturePhase> phases(2);
    const char* files[] = {"cod_1000049.cif", "cod_1009031.cif"};
    for (std::size_t p = 0; p < 2; ++p) {
        testing::RecordingMessages messages;
        const auto workspace = calculate_structure_block(realdata_dir() / "cif" / files[p], 1, experiment,
                                                         program_data_dir(), messages);
        std::string why;
        ASSERT_TRUE(workspace && make_mixture_phase(*workspace, files[p], p == 0 ? 0.95 : 0.05, phases[p], why)) << why;
    }
    MeasuredScan scan;
    for (double t = 10; t <= 100; t += 0.02)
        scan.twoTheta.push_back(t);
    const MixtureCurves curves = mixture_curves(phases, hill_howard_scales(phases), scan.twoTheta);
    std::mt19937 random(11);
    for (std::size_t i = 0; i < scan.twoTheta.size(); ++i)
        scan.intensity.push_back(std::poisson_distribution<int>(80 * curves.total[i] + 300 - 2 * scan.twoTheta[i])(random));
    const Identification found = identify_phases(scan, copper, *entries_, IdentifySettings{}, program_data_dir());
    const std::vector<std::string> names = phase_files(found);
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names[0], files[0]);
    EXPECT_EQ(names[1], files[1]);
}

// A library holding corundum three times names it once with its copies; one without corundum
// finds no phase in the corundum diagram and says which strong peaks stay unexplained (the 104
// line, 35.15° for Cu Kα1, among them, 0.04° lower by the diagram's zero) and which entry comes nearest.
TEST(IdentifyLibrary, CopiesJoinAndUnexplainedPeaksAreNamed)
{
    KALIDOS_REQUIRE_REALDATA();
    const fs::path examples = program_data_dir().parent_path() / "examples";
    const auto library = [&](const std::string& name, int corundumCopies) {
        const fs::path folder = testing::make_scratch_dir(name);
        for (int i = 0; i < corundumCopies; ++i)
            fs::copy_file(realdata_dir() / "cif" / kCorundum, folder / ("corundum" + std::to_string(i) + ".cif"),
                          fs::copy_options::overwrite_existing);
        for (const char* other : {"fluorite.cif", "zincite.cif"})
            fs::copy_file(examples / other, folder / other, fs::copy_options::overwrite_existing);
        std::string error;
        auto index = LibraryIndex::open(folder / "index.sqlite", error);
        index_files(library_files(folder), *index, program_data_dir(), IndexRunSettings{});
        return index->entries();
    };
    auto workspace = make_workspace("");
    testing::RecordingMessages messages;
    lit_diagramme(*workspace, messages, static_cast<int>(DiagramKind::Philips),
                  (realdata_dir() / "rd" / "qarr_CORUNDUM.RD").string());
    const MeasuredDiagram& diagram = *workspace->observed.slots[1].measured;

    const std::vector<LibraryEntry> copies = library("identification_copies", 3);
    const Identification found = identify_phases(diagram.scans.front(), diagram.wavelengths, copies, IdentifySettings{},
                                                 program_data_dir());
    ASSERT_EQ(found.phases.size(), 1u);
    ASSERT_FALSE(found.candidates.empty());
    EXPECT_EQ(found.candidates.front().entry, found.phases.front().entry);
    EXPECT_EQ(found.candidates.front().alike.size(), 2u);
    for (const Candidate& c : found.candidates)
        EXPECT_TRUE(&c == &found.candidates.front() || copies[c.entry].formula != copies[found.phases[0].entry].formula);
    EXPECT_TRUE(found.notes.empty()) << found.notes.front();

    const std::vector<LibraryEntry> without = library("identification_without", 0);
    const Identification none = identify_phases(diagram.scans.front(), diagram.wavelengths, without, IdentifySettings{},
                                                program_data_dir());
    EXPECT_TRUE(none.phases.empty());
    ASSERT_FALSE(none.notes.empty());
    EXPECT_EQ(none.notes[0].rfind("No phase of the library explains the diagram", 0), 0u) << none.notes[0];
    EXPECT_TRUE(std::any_of(none.unexplained.begin(), none.unexplained.end(),
                            [](const FoundPeak& p) { return std::fabs(p.twoTheta - 35.15) < 0.08; }));
}

}  // namespace
}  // namespace kalidos
