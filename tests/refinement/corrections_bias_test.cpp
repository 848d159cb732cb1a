// Diagrams calculated with an intensity correction and refined without it show the bias the
// literature describes in the displacement parameters; refined with it, the bias goes.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "refinement_fixtures.hpp"

namespace kalidos::testing {
namespace {

struct BiasCase {
    const char* name;
    std::function<void(IntensityCorrections&)> set;
    double least;  // the mean B's error without the correction, Å²: below −least or above +least
    std::vector<std::string> released;  // the correction's own parameters refined with it, from a start off
    std::function<void(IntensityCorrections&)> start;
};

// The mean over the atoms of refined B − true B.
double mean_b_error(const RefinementResult& result, const StructureModel& truth)
{
    double sum = 0;
    for (int n = 1; n <= truth.atomCount; ++n)
        sum += result.phases[0].atoms[static_cast<std::size_t>(n - 1)].b.value - truth.atomB[n];
    return sum / truth.atomCount;
}

TEST(CorrectionBias, EachCorrectionLeftOutBiasesTheBsAndTakenInRemovesTheBias)
{
    const BiasCase cases[] = {
        // Roughness takes intensity from low angles: B's too low (Pitschke, Hermann & Mattern 1993).
        {"roughness", [](IntensityCorrections& c) { c.roughnessP = 0.4, c.roughnessQ = 0.5; }, -0.5, {"roughness"},
         [](IntensityCorrections& c) { c.roughnessP = 0.6, c.roughnessQ = 0.3; }},
        // A capillary absorbs the low-angle rays more: B's too low (the absorption–B correlation).
        {"capillary", [](IntensityCorrections& c) { c.cylinderMuR = 1.5; }, -0.5, {}, {}},
        // The beam spilling past the specimen at low angles: B's too low.
        {"overspill", [](IntensityCorrections& c) { c.slitDegrees = 1, c.sampleLengthMm = 10; }, -0.5, {}, {}},
        // A thin plate loses its back to the high angles: B's too high.
        {"plate", [](IntensityCorrections& c) { c.plateMuT = 0.3; }, +0.5, {"muT"},
         [](IntensityCorrections& c) { c.plateMuT = 0.5; }},
        // Graphite's polarisation passes up to 11 % more at 90° than the bare tube's: B's too low.
        {"monochromator", [](IntensityCorrections& c) { c.monochromatorTwoTheta = 26.6; }, -0.1, {}, {}},
    };
    for (const BiasCase& c : cases) {
        Experiment experiment;
        c.set(experiment.profile.corrections);
        const auto truth = calculated_cif(std::string("bias_") + c.name, kOrthorhombicCif, experiment);
        ASSERT_TRUE(truth);
        RefinementRequest request;
        request.observed = synthetic_scan(*truth, 0.02, 20000, 100, false);
        request.phases.push_back({c.name, truth->model});
        request.stages = {{"scale", "background"}, {"biso"}};
        RefinementRequest without = request;
        without.phases[0].model.profile.corrections = {};
        RefinementResult left, taken;
        ASSERT_EQ(refine(without, left), "") << c.name;
        if (c.start) {
            c.start(request.phases[0].model.profile.corrections);
            request.stages.back().insert(request.stages.back().end(), c.released.begin(), c.released.end());
        }
        ASSERT_EQ(refine(request, taken), "") << c.name;
        const double biased = mean_b_error(left, truth->model), corrected = mean_b_error(taken, truth->model);
        EXPECT_GT(biased / c.least, 1) << c.name << ": left out, B off by " << biased;
        EXPECT_LT(std::fabs(corrected), 0.005) << c.name << ": taken in, B off by " << corrected;
        EXPECT_LT(taken.rwp, 0.2 * left.rwp) << c.name;
    }
}

}  // namespace
}  // namespace kalidos::testing
