#include "computation/intensity_pass.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "computation/calculation_driver.hpp"
#include "computation/parallel_for.hpp"
#include "computation/site_multiplicity.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"
#include "test_structures.hpp"

namespace kalidos {
namespace {

using testing::RecordingMessages;

struct Pass {
    std::filesystem::path dir;
    std::unique_ptr<Workspace> ws;
    ListingFiles files;
    RecordingMessages messages;
    explicit Pass(std::unique_ptr<Workspace> w, const std::string& name)
        : dir(testing::make_scratch_dir(name)), ws(std::move(w))
    {
        open_listings(files, dir.string());
        compute_site_multiplicities(ws->model, ws->results);
        ws->results.passIndex = 1;
        ws->model.wavelengths.current = ws->model.wavelengths.values[1];
    }
    bool xray()
    {
        StructureFactorEngine engine(ws->model, StructureFactorEngine::Grouping::ByElement);
        return xray_pass(*ws, files, engine, messages);
    }
    bool neutron()
    {
        StructureFactorEngine engine(ws->model, StructureFactorEngine::Grouping::OneFermiWeighted);
        return neutron_pass(*ws, files, engine, messages);
    }
};

TEST(IntensityPass, TubeAndSynchrotronLorentzPolarisation)
{
    Pass tube(testing::make_rock_salt("."), "pass-tube");
    ASSERT_TRUE(tube.xray());
    const Reflection& r = tube.ws->results.reflections[2];
    const double theta = r.twoTheta / 114.5914;
    const double d = std::sin(theta) * std::sin(theta) * std::cos(theta);
    EXPECT_NEAR(tube.ws->results.passValues[2].lp, (1 + std::pow(std::cos(2 * theta), 2)) * 0.5 / d, 1e-9);
    EXPECT_NEAR(r.twoTheta, 2 * std::asin(1.5406 / (2 * r.d)) * 57.2957, 1e-3);

    Pass synchrotron(testing::make_rock_salt("."), "pass-synchrotron");
    synchrotron.ws->model.xraySource = kSynchrotronSource;
    synchrotron.ws->model.polarisation = 0;
    ASSERT_TRUE(synchrotron.xray());
    EXPECT_NEAR(synchrotron.ws->results.passValues[2].lp, 1 / d, 1e-9);  // as for neutrons
}

TEST(IntensityPass, IntensityIsMultiplicityTimesF2TimesLpWithAFloor)
{
    // Two equal atoms at 0 and 1/2 along z of a P1 cell: F(0 0 1) = 0, listed at 0.05.
    const double cell[6] = {4, 4, 6, 90, 90, 90};
    Pass p(testing::make_structure(".", "P 1", cell, {{"FE", 0, 0, 0, 0.5, 1}, {"FE", 0, 0, 0.5, 0.5, 1}}), "pass-floor");
    p.ws->model.enteredTwoTheta1 = 10;
    p.ws->model.enteredTwoTheta2 = 90;
    ASSERT_TRUE(p.xray());
    bool sawZero = false;
    for (int i = 1; i <= p.ws->results.reflections.count; ++i) {
        const Reflection& r = p.ws->results.reflections[i];
        const PassValues& v = p.ws->results.passValues[i];
        const double f2 = (v.aPlus * v.aPlus + v.bPlus * v.bPlus + v.aMinus * v.aMinus + v.bMinus * v.bMinus) / 2;
        EXPECT_NEAR(r.intensity, std::max(0.05, r.multiplicity * f2 * v.lp), 1e-9 * r.intensity);
        if (r.h == 0 && r.k == 0 && std::abs(r.l) == 1) {
            EXPECT_EQ(r.intensity, 0.05);
            sawZero = true;
        }
        EXPECT_NEAR(v.fMean, (v.fPlus + v.fMinus) / 2, 1e-12);
    }
    EXPECT_TRUE(sawZero);
}

TEST(IntensityPass, EmptyRangeIsReportedWithABeep)
{
    Pass p(testing::make_rock_salt("."), "pass-empty");
    p.ws->model.enteredTwoTheta2 = 20;
    EXPECT_FALSE(p.xray());
    EXPECT_EQ(p.messages.events, (std::vector<std::string>{"beep", std::string("warning: ") + kNoReflection}));
}

TEST(IntensityPass, NeutronIntensitiesLeaveThePassMultipliedByG)
{
    Pass p(testing::make_rock_salt("."), "pass-neutron");
    p.ws->model.radiation = kNeutrons;
    ASSERT_TRUE(p.neutron());
    const double g = p.ws->results.neutronFactor;
    // S = 1·0.363 + 1·0.958 (both sites have multiplicity 1 after scaling), 192 operators.
    EXPECT_NEAR(g, 1000 / (std::pow(0.363 + 0.958, 2) * std::pow(192.0, 3)), 1e-15);
    const Reflection& r = p.ws->results.reflections[1];
    const PassValues& v = p.ws->results.passValues[1];
    EXPECT_NEAR(r.intensity, g * std::max(0.05, r.multiplicity * v.f * v.f * v.lp), 1e-9 * r.intensity);
}

TEST(IntensityPass, NullScatteringGIsFinite)
{
    StructureModel m;
    m.operatorCount = 4;
    m.atomCount = 2;
    m.atomMultiplicity[1] = 1;
    m.atomMultiplicity[2] = 1;
    m.atomFermiLength[1] = -0.5;
    m.atomFermiLength[2] = 0.5;
    EXPECT_DOUBLE_EQ(neutron_intensity_factor(m), 1000 / (1.0 * 64));  // S taken as Σ|m·b| = 1
    m.atomFermiLength[1] = m.atomFermiLength[2] = 0;
    EXPECT_DOUBLE_EQ(neutron_intensity_factor(m), 1.0);
    m.inversionAdded = 1;
    m.atomFermiLength[1] = m.atomFermiLength[2] = 1;
    EXPECT_DOUBLE_EQ(neutron_intensity_factor(m), 4 * 1000 / (4.0 * 64));
}

TEST(IntensityPass, AWholeRunDoesNotDependOnTheThreadCount)
{
    std::vector<std::vector<double>> runs;
    for (const int threads : {1, 2}) {
        set_computation_threads(threads);
        const auto dir = testing::make_scratch_dir("pass-threads");
        const double cell[6] = {10.2, 10.2, 10.2, 90, 90, 90};
        auto ws = testing::make_structure(dir.string(), "I a -3 d", cell,
                                          {{"FE", 0.13, 0.27, 0.41, 0.4, 1}, {"O", 0.31, 0.07, 0.19, 0.9, 0.8}});
        testing::set_wavelengths(ws->model, {1.5406, 1.5444}, {2, 1});
        RecordingCalculationHost host;
        RecordingMessages messages;
        recalcule(*ws, host, messages);
        std::vector<double> values;
        for (const Reflection& r : ws->results.merged)
            values.push_back(r.intensity);
        for (const float v : ws->results.pattern.intensities)
            values.push_back(v);
        runs.push_back(values);
    }
    set_computation_threads(0);
    ASSERT_GT(runs[0].size(), 1015u);
    EXPECT_EQ(runs[0], runs[1]);
}

}  // namespace
}  // namespace kalidos
