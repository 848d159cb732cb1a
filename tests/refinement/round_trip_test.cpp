// A diagram calculated by the program from a known structure, with counting noise, refined from a
// perturbed start back to the structure: every refined parameter within 3 su of its true value.
#include <gtest/gtest.h>

#include <cmath>

#include "refinement_fixtures.hpp"

namespace kalidos::testing {
namespace {

struct Shift {
    int atom;          // 1-based
    double dx, dy, dz;  // as the site allows
};

// The start: positions, B (±50 %), cell (±0.3 %) and widths (±30 %) moved away from the truth.
StructureModel perturbed(const StructureModel& truth, const std::vector<Shift>& shifts)
{
    StructureModel m = truth;
    for (const Shift& s : shifts) {
        m.atomX[s.atom] += s.dx;
        m.atomY[s.atom] += s.dy;
        m.atomZ[s.atom] += s.dz;
    }
    for (int n = 1; n <= m.atomCount; ++n)
        m.atomB[n] *= n % 2 ? 1.5 : 0.5;
    const double lengths = m.cell.c == m.cell.a ? 1.003 : 0.997;
    m.cell.a *= 1.003;
    m.cell.b *= m.cell.b == truth.cell.a ? 1.003 : lengths;
    m.cell.c *= m.cell.c == truth.cell.a ? 1.003 : 1.003;
    if (m.crystalSystem == "MONO")
        m.cell.beta += 0.2;
    m.profile.gaussU *= 1.3;
    m.profile.gaussW *= 0.7;
    m.profile.lorentzX *= 0.7;
    m.profile.lorentzY *= 1.3;
    return m;
}

void round_trip(const std::string& name, const char* cif, const std::vector<Shift>& shifts)
{
    const Experiment experiment;
    const auto truth = calculated_cif(name, cif, experiment);
    ASSERT_TRUE(truth);
    RefinementRequest request;
    request.observed = synthetic_scan(*truth, 0.02, 20000, 100, true);
    request.phases.push_back({name, perturbed(truth->model, shifts)});
    request.stages = {{"scale", "background"}, {"cell", "zero", "profile"}, {"xyz", "biso"}};
    RefinementResult result;
    ASSERT_EQ(refine(request, result), "");

    RefinementRequest exact = request;
    exact.phases[0].model = truth->model;
    std::vector<RefinementParameter> expected;
    ASSERT_EQ(refinement_parameters(exact, expected), "");
    int checked = 0;
    for (const RefinementParameter& p : result.parameters) {
        if (!p.refined || p.group == "scale" || p.group == "background")
            continue;
        const double truthValue = expected[static_cast<std::size_t>(&p - result.parameters.data())].value;
        EXPECT_GT(p.su, 0) << p.name;
        EXPECT_LE(std::fabs(p.value - truthValue), 3 * p.su)
            << name << " " << p.name << " " << p.value << " (" << p.su << ") true " << truthValue << " start "
            << p.start;
        ++checked;
    }
    EXPECT_GT(checked, 8);
    for (const RefinementStage& s : result.stages)
        for (const std::string& note : s.notes)
            ADD_FAILURE() << note;
    EXPECT_LT(result.chi2, 1.1) << result.rwp;
}

TEST(RefinementRoundTrip, OrthorhombicWithAtomsOnTheMirror)
{
    round_trip("orthorhombic", kOrthorhombicCif,
               {{1, 0.02, 0, -0.02}, {3, -0.02, 0, 0.02}, {4, 0.02, -0.02, 0.02}});
}

TEST(RefinementRoundTrip, TrigonalOnHexagonalAxes)
{
    round_trip("trigonal", kTrigonalCif, {{1, 0, 0, 0.02}, {2, -0.02, 0, 0}});
}

TEST(RefinementRoundTrip, MonoclinicWithAtomsOnTheMirror)
{
    round_trip("monoclinic", kMonoclinicCif,
               {{1, 0.02, 0, -0.02}, {2, -0.02, 0, 0.02}, {3, 0.02, 0, 0.02}, {4, -0.02, 0, -0.02},
                {5, 0.02, 0.02, -0.02}});
}

// The cycle limit is the stage's: a stage that first refines its new groups alone and then every
// variable together still reports at most that many cycles, each with its figures.
TEST(RefinementRoundTrip, CycleLimitHoldsForEachStage)
{
    const auto truth = calculated_cif("orthorhombic", kOrthorhombicCif, Experiment());
    ASSERT_TRUE(truth);
    RefinementRequest request;
    request.observed = synthetic_scan(*truth, 0.02, 20000, 100, true);
    request.phases.push_back({"orthorhombic", perturbed(truth->model, {})});
    request.stages = {{"scale", "background"}, {"cell", "zero"}, {"profile"}};
    request.cycles = 2;
    RefinementResult result;
    ASSERT_EQ(refine(request, result), "");
    for (const RefinementStage& s : result.stages) {
        EXPECT_LE(s.cycles, 2);
        EXPECT_EQ(s.figures.size(), static_cast<std::size_t>(s.cycles));
    }
}

}  // namespace
}  // namespace kalidos::testing
