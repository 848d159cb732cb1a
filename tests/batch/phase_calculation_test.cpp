// An extra phase calculated from its file with the main calculation's experiment gives what the
// batch runner gives for the same file and settings, with the phase's own orientation and size.
#include <gtest/gtest.h>

#include <algorithm>

#include "batch_calculation.hpp"
#include "calculated_structure.hpp"
#include "mixture/phase_calculation.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"

namespace kalidos::testing {
namespace {

namespace fs = std::filesystem;
using batch::BatchOptions;

fs::path example(const char* name) { return example_structure(name); }

void expect_same_reflections(const std::vector<Reflection>& phase, const CountedTable<Reflection>& batch)
{
    ASSERT_EQ(phase.size(), static_cast<std::size_t>(batch.count));
    for (std::size_t i = 0; i < phase.size(); ++i) {
        const Reflection& b = batch[static_cast<int>(i) + 1];
        ASSERT_EQ(std::tie(phase[i].h, phase[i].k, phase[i].l), std::tie(b.h, b.k, b.l)) << i;
        ASSERT_DOUBLE_EQ(phase[i].twoTheta, b.twoTheta) << i;
        ASSERT_DOUBLE_EQ(phase[i].intensity, b.intensity) << i;
    }
}

TEST(PhaseCalculation, ExtraPhaseSharesTheExperimentAndKeepsItsOwnSampleSettings)
{
    // The main structure: rock salt with two wavelengths, a profile of its own and a zero shift.
    BatchOptions main;
    main.mixture = {{1.54056, 100, "1.54056", "100"}, {1.54439, 50, "1.54439", "50"}};
    main.twoTheta1 = 15;
    main.twoTheta2 = 95;
    main.u = 0.002;
    main.profile.zeroShift = 0.05;
    main.profile.sizeNm = 40;  // the main phase's own: it must not reach the extra phase
    main.sample.preferred = {0, 0, 1, 0.7, 1};
    const auto mainWorkspace = calculated_structure(example("nacl.cif"), main);

    BatchOptions alone = main;  // what the batch gives for the quartz file with the phase's own settings
    alone.profile.sizeNm = 0;
    alone.profile.strainPercent = 0.1;
    alone.sample.preferred = {1, 0, 1, 1.3, 0.5};
    const auto expected = calculated_structure(example("quartz.cif"), alone);

    PhaseSettings own;
    own.strainPercent = 0.1;
    own.preferred = alone.sample.preferred;
    RecordingMessages messages;
    MixturePhase phase;
    ASSERT_TRUE(calculate_mixture_phase(example("quartz.cif"), mainWorkspace->model, own, program_data_dir(), 0.4,
                                        messages, phase));
    EXPECT_EQ(phase.name, "quartz.cif");
    EXPECT_EQ(phase.fraction, 0.4);
    EXPECT_EQ(phase.sizeNm, 0);
    EXPECT_TRUE(phase.model->profile == expected->model.profile);
    EXPECT_EQ(phase.model->wavelengths.count, 2);
    expect_same_reflections(phase.reflections, expected->results.merged);

    EXPECT_FALSE(calculate_mixture_phase(example("README.md"), mainWorkspace->model, own, program_data_dir(), 0.4,
                                         messages, phase));
    EXPECT_FALSE(messages.warnings.empty());
}

// With Sasaki's table read for the main structure (fluorite, CuKα1), an extra phase (zincite) takes
// the f' and f'' of its own elements from it, as the batch runner does for every phase: Zn's lower
// zincite's strongest line to 109,615 per cell from 129,029.
TEST(PhaseCalculation, ExtraPhaseTakesItsAnomalousTermsFromTheMainCalculationsTable)
{
    BatchOptions plain;
    plain.anode = "CuKa1";
    BatchOptions options = plain;
    options.anomalous = "sasaki";
    const auto mainWorkspace = calculated_structure(example("fluorite.cif"), options);
    const auto expected = calculated_structure(example("zincite.cif"), options);
    const auto without = calculated_structure(example("zincite.cif"), plain);
    RecordingMessages messages;
    MixturePhase phase;
    ASSERT_TRUE(calculate_mixture_phase(example("zincite.cif"), mainWorkspace->model, {}, program_data_dir(), 0.5,
                                        messages, phase));
    expect_same_reflections(phase.reflections, expected->results.merged);
    const auto strongest = [](const auto& reflections) {
        double top = 0;
        for (const Reflection& r : reflections)
            top = std::max(top, r.intensity);
        return top;
    };
    EXPECT_LT(strongest(phase.reflections), 0.9 * strongest(without->results.merged));
}

}  // namespace
}  // namespace kalidos::testing
