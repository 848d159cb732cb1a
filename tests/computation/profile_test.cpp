#include "computation/profile.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "computation/parallel_for.hpp"
#include "model/workspace.hpp"
#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

using testing::RecordingMessages;

struct ProfileRun {
    std::unique_ptr<Workspace> ws = make_workspace(".");
    RecordingCalculationHost host;
    RecordingMessages messages;
    ProfileRun()
    {
        ws->model.twoTheta1 = 20;
        ws->model.twoTheta2 = 40;
    }
    void add(double twoTheta, double intensity)
    {
        Reflection& r = ws->results.merged[++ws->results.merged.count];
        r = Reflection{1, 0, 0, 6, 1.5406, 3.0, twoTheta, intensity};
    }
    bool run() { return synthesise_profile(*ws, host, messages); }
    const CalculatedPattern& pattern() const { return ws->results.pattern; }
};

TEST(Profile, SinglePeakIsScaledTo100AndHalfHeightAtTheHalfWidth)
{
    ProfileRun p;
    p.ws->model.u = 0;
    p.ws->model.v = 0;
    p.ws->model.w = 0.0001;  // H = 0.01° for every reflection
    p.ws->model.twoTheta2 = 20 + 1014 * 0.01;  // a point every 0.01°
    p.add(20 + 507 * 0.01, 123.0);
    ASSERT_TRUE(p.run());
    EXPECT_EQ(p.pattern().pointCount, kPatternPoints);
    EXPECT_FLOAT_EQ(p.pattern().intensities[507], 100.0f);
    EXPECT_NEAR(p.pattern().intensities[506], 50.0f, 0.02);
    EXPECT_NEAR(p.pattern().intensities[508], 50.0f, 0.02);
    EXPECT_FLOAT_EQ(p.pattern().angles[0], 20.0f);
    EXPECT_NEAR(p.pattern().angles[1014], p.ws->model.twoTheta2, 1e-4);
    EXPECT_EQ(p.ws->results.resultsList.size(), 4u);  // header, rule, K=, one row
}

TEST(Profile, PeaksOutsideTheShownRangeAddTheirTails)
{
    ProfileRun p;
    p.add(30, 100);
    p.add(45, 1000);  // beyond the upper limit 40
    ASSERT_TRUE(p.run());
    ProfileRun alone;
    alone.add(30, 100);
    ASSERT_TRUE(alone.run());
    // Scaled to 100 at the 30° peak in both, the far peak raises the points near 40°.
    EXPECT_GT(p.pattern().intensities[1014], alone.pattern().intensities[1014]);
}

TEST(Profile, FastAccumulationEqualsThePeakByPeakFormulaForAnyThreadCount)
{
    ProfileRun p;
    std::mt19937 random(1);
    std::uniform_real_distribution<double> angle(15, 45), height(0.05, 500);
    for (int i = 0; i < 300; ++i)
        p.add(angle(random), height(random));
    std::sort(p.ws->results.merged.begin(), p.ws->results.merged.end(),
              [](const Reflection& a, const Reflection& b) { return a.twoTheta < b.twoTheta; });

    // The literal algorithm: every peak over all points, then the scaling.
    CalculatedPattern literal;
    const StructureModel& m = p.ws->model;
    literal.step = (m.twoTheta2 - m.twoTheta1) * 0.0009861932938856016;
    for (const Reflection& r : p.ws->results.merged) {
        const float t = static_cast<float>(std::tan(r.twoTheta * 0.008726658370523442));
        add_peak_profile(literal, m.twoTheta1, 0.5, r.lambda, r.twoTheta, std::sqrt(m.u * t * t + m.v * t + m.w),
                         0.1 * r.intensity);
    }
    float largest = 0;
    for (const float v : literal.intensities)
        largest = std::max(largest, v);
    for (float& v : literal.intensities)
        v = static_cast<float>(v * (100 / static_cast<double>(largest)));

    for (const int threads : {1, 2, 5}) {
        set_computation_threads(threads);
        ASSERT_TRUE(p.run());
        for (int j = 0; j < kPatternPoints; ++j)
            ASSERT_EQ(p.pattern().intensities[j], literal.intensities[j]) << "point " << j << " threads " << threads;
    }
    set_computation_threads(0);
}

TEST(Profile, ZeroOrNegativeWidthsAndEmptyDiagramsAreRefused)
{
    ProfileRun negative;
    negative.ws->model.w = -0.01;
    negative.add(30, 100);
    EXPECT_FALSE(negative.run());
    EXPECT_EQ(negative.messages.warnings, std::vector<std::string>{"Bad u,v,w values (angular width < 0!)"});
    EXPECT_EQ(negative.pattern().pointCount, 0);

    ProfileRun zero;
    zero.ws->model.u = zero.ws->model.v = zero.ws->model.w = 0;
    zero.add(30, 100);
    EXPECT_FALSE(zero.run());
    EXPECT_EQ(zero.messages.warnings, std::vector<std::string>{"Bad u,v,w values (angular width = 0!)"});

    ProfileRun empty;
    empty.add(30, 0);
    EXPECT_FALSE(empty.run());
    ASSERT_EQ(empty.messages.warnings.size(), 1u);
    EXPECT_EQ(empty.pattern().pointCount, 0);
}

TEST(Profile, MonoclinicCellWithUniqueAxisCIsRefusedInQMode)
{
    ProfileRun p;
    p.add(30, 100);
    p.ws->model.crystalSystem = "MONO";
    p.ws->model.cell.gamma = 95;
    p.ws->abscissaMode = AbscissaMode::Q;
    EXPECT_FALSE(p.run());
    EXPECT_EQ(p.messages.warnings, std::vector<std::string>{"The unique axis cannot be parallel to C axis!"});
    p.host.catalogueRowSelected = true;  // a catalogue group knows its axes
    EXPECT_TRUE(p.run());
}

}  // namespace
}  // namespace kalidos
