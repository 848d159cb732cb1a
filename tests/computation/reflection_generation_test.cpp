#include "computation/reflection_generation.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>
#include <vector>

#include "computation/cell_metric.hpp"
#include "computation/reflection_absence.hpp"
#include "computation/rotation_list.hpp"
#include "gemmi_groups.hpp"
#include "model/workspace.hpp"
#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

using testing::RecordingMessages;

struct Form {
    double d;
    int multiplicity;
};

double s_at(double twoTheta, double lambda)
{
    return 2 * std::sin(twoTheta * 0.008726658370523442) / lambda;
}

// Every (h k l) of a generous box, grouped into forms by gemmi's rotations and Friedel's law,
// absences by gemmi's exact test. A form is in range when one of its members is.
std::vector<Form> brute_force_forms(const StructureModel& model, const gemmi::GroupOps& ops)
{
    const double lambda = model.wavelengths.current;
    const double sMin = s_at(model.enteredTwoTheta1, lambda), sMax = s_at(model.enteredTwoTheta2, lambda);
    const int hMax = int(std::ceil(sMax * model.cell.a)) + 2, kMax = int(std::ceil(sMax * model.cell.b)) + 2,
              lMax = int(std::ceil(sMax * model.cell.c)) + 2;
    std::vector<gemmi::Op::Rot> rotations;
    for (const auto& op : ops.sym_ops) {
        rotations.push_back(op.rot);
        rotations.push_back(op.negated_rot());
    }
    std::set<std::tuple<int, int, int>> seen;
    std::vector<Form> forms;
    for (int h = -hMax; h <= hMax; ++h)
        for (int k = -kMax; k <= kMax; ++k)
            for (int l = -lMax; l <= lMax; ++l) {
                if ((h == 0 && k == 0 && l == 0) || seen.count({h, k, l}))
                    continue;
                std::set<std::tuple<int, int, int>> orbit;
                double dBest = 0;
                for (const auto& r : rotations) {
                    const int hh = (h * r[0][0] + k * r[1][0] + l * r[2][0]) / gemmi::Op::DEN;
                    const int kk = (h * r[0][1] + k * r[1][1] + l * r[2][1]) / gemmi::Op::DEN;
                    const int ll = (h * r[0][2] + k * r[1][2] + l * r[2][2]) / gemmi::Op::DEN;
                    orbit.insert({hh, kk, ll});
                    const double q = reciprocal_length_squared(model, hh, kk, ll);
                    if (q >= sMin * sMin && q <= sMax * sMax)
                        dBest = std::max(dBest, 1 / std::sqrt(q));
                }
                seen.insert(orbit.begin(), orbit.end());
                if (dBest > 0 && !ops.is_systematically_absent({h, k, l}))
                    forms.push_back({dBest, int(orbit.size())});
            }
    return forms;
}

// Compares the forms sorted by multiplicity and spacing, pair by pair (members of a form differ in
// d by about 1e-6 relative: the program's degree factor is not π/180).
std::string compare_forms(std::vector<Form> expected, const CountedTable<Reflection>& list)
{
    std::vector<Form> got;
    for (const Reflection& r : list)
        got.push_back({r.d, r.multiplicity});
    if (got.size() != expected.size())
        return "expected " + std::to_string(expected.size()) + " forms, generated " + std::to_string(got.size());
    const auto order = [](const Form& a, const Form& b) {
        return std::tie(a.multiplicity, a.d) < std::tie(b.multiplicity, b.d);
    };
    std::sort(expected.begin(), expected.end(), order);
    std::sort(got.begin(), got.end(), order);
    for (std::size_t i = 0; i < got.size(); ++i)
        if (got[i].multiplicity != expected[i].multiplicity || std::fabs(got[i].d - expected[i].d) > 1e-5 * expected[i].d)
            return "expected d=" + std::to_string(expected[i].d) + " N=" + std::to_string(expected[i].multiplicity) +
                   ", generated d=" + std::to_string(got[i].d) + " N=" + std::to_string(got[i].multiplicity);
    return "";
}

struct Generation {
    std::unique_ptr<Workspace> ws = make_workspace(".");
    RecordingMessages messages;
    StructureModel& model() { return ws->model; }
    CountedTable<Reflection>& list() { return ws->results.reflections; }
    bool run() { return generate_reflections(ws->model, ws->results.reflections, messages); }

    void set_range(double lambda, double twoTheta1, double twoTheta2)
    {
        model().wavelengths.current = lambda;
        model().enteredTwoTheta1 = twoTheta1;
        model().enteredTwoTheta2 = twoTheta2;
    }
    const Reflection* find(int h, int k, int l) const
    {
        for (const Reflection& r : ws->results.reflections)
            if (r.h == h && r.k == k && r.l == l)
                return &r;
        return nullptr;
    }
};

TEST(ReflectionGeneration, EveryFormOfEverySpaceGroupSettingIsGeneratedOnce)
{
    int groups = 0;
    for (const gemmi::SpaceGroup& group : gemmi::spacegroup_tables::main) {
        Generation g;
        testing::set_space_group(g.model(), group);
        testing::set_generic_cell(g.model(), group);
        g.set_range(1.0, 7.5, 95.0);
        ASSERT_TRUE(g.run()) << group.xhm();
        const std::string mismatch = compare_forms(brute_force_forms(g.model(), group.operations()), g.list());
        EXPECT_EQ(mismatch, "") << group.xhm() << " " << g.model().crystalSystem;
        // Ascending angle, never decreasing d order broken.
        for (int i = 2; i <= g.list().count; ++i)
            ASSERT_LE(g.list()[i - 1].twoTheta, g.list()[i].twoTheta) << group.xhm();
        ++groups;
    }
    EXPECT_EQ(groups, 559);
}

TEST(ReflectionGeneration, FaceCentredCubicListsTheFirstFormsWithTheirMultiplicities)
{
    Generation g;
    testing::set_space_group(g.model(), "F m -3 m");
    testing::set_cell(g.model(), 5.64, 5.64, 5.64, 90, 90, 90);
    g.set_range(1.5406, 10, 60);
    ASSERT_TRUE(g.run());
    EXPECT_EQ(g.model().latticeLetter, "F");
    ASSERT_GE(g.list().count, 3);
    const Reflection& first = g.list()[1];
    EXPECT_EQ(std::make_tuple(first.h, first.k, first.l, first.multiplicity), std::make_tuple(1, 1, 1, 8));
    const Reflection& second = g.list()[2];
    EXPECT_EQ(std::make_tuple(second.h, second.k, second.l, second.multiplicity), std::make_tuple(0, 0, 2, 6));
    const Reflection& third = g.list()[3];
    EXPECT_EQ(std::make_tuple(third.h, third.k, third.l, third.multiplicity), std::make_tuple(0, 2, 2, 12));
    EXPECT_NEAR(first.d, 5.64 / std::sqrt(3.0), 1e-4);
    EXPECT_NEAR(first.twoTheta, 2 * std::asin(1.5406 / (2 * first.d)) * 180 / M_PI, 1e-3);
    EXPECT_EQ(first.intensity, 1.0);
    EXPECT_EQ(first.lambda, 1.5406);
    EXPECT_EQ(g.find(1, 0, 0), nullptr);
    EXPECT_EQ(g.find(1, 1, 0), nullptr);
    EXPECT_TRUE(lattice_absence_test(g.model(), 1, 0, 0));
    EXPECT_FALSE(lattice_absence_test(g.model(), 2, 0, 0));
}

TEST(ReflectionGeneration, LowerLaueClassesKeepBothFormsOfEqualSpacing)
{
    // (h k 0) and (k h 0) have equal spacing but are different forms in m-3 (pyrite), 4/m
    // (scheelite) and 6/m (apatite): both are listed, each with the multiplicity of its own form.
    const struct {
        const char* group;
        double a, c, gamma;
        Miller first;
        int multiplicity;
    } cases[] = {{"P a -3", 5.42, 5.42, 90, {4, 2, 0}, 12},
                 {"I 41/a", 5.24, 11.37, 90, {4, 2, 0}, 4},
                 {"P 63/m", 9.42, 6.88, 120, {2, 1, 0}, 6}};
    for (const auto& c : cases) {
        Generation g;
        testing::set_space_group(g.model(), c.group);
        testing::set_cell(g.model(), c.a, c.a, c.c, 90, 90, c.gamma);
        g.set_range(1.5406, 5, 100);
        ASSERT_TRUE(g.run()) << c.group;
        const auto rotations = build_rotation_list(g.model());
        const auto entry_of = [&](const Miller& m) {
            for (int i = 1; i <= g.list().count; ++i) {
                const Reflection& r = g.list()[i];
                if (equivalent_reflections(rotations, Miller{r.h, r.k, r.l}, m))
                    return i;
            }
            return 0;
        };
        const int first = entry_of(c.first);
        const int second = entry_of(Miller{c.first.k, c.first.h, 0});
        ASSERT_NE(first, 0) << c.group;
        ASSERT_NE(second, 0) << c.group;
        EXPECT_NE(first, second) << c.group;
        EXPECT_EQ(g.list()[first].multiplicity, c.multiplicity) << c.group;
        EXPECT_EQ(g.list()[second].multiplicity, c.multiplicity) << c.group;
        EXPECT_NEAR(g.list()[first].d, g.list()[second].d, 1e-4) << c.group;
    }
}

TEST(ReflectionGeneration, FriedelMatesAreOneFormInTheTriclinicSystem)
{
    Generation g;
    testing::set_space_group(g.model(), "P 1");
    testing::set_cell(g.model(), 5.1, 6.2, 7.3, 85, 95, 105);
    g.set_range(1.5406, 5, 60);
    ASSERT_TRUE(g.run());
    for (const Reflection& r : g.list()) {
        EXPECT_EQ(r.multiplicity, 2);
        if (r.l == 0) {
            EXPECT_EQ(g.find(-r.h, -r.k, 0), nullptr) << r.h << " " << r.k;
        }
    }
    EXPECT_TRUE(g.find(1, 0, 0) || g.find(-1, 0, 0));
}

TEST(ReflectionGeneration, IndexLimitsComeFromDirectLengthsInObliqueCells)
{
    Generation g;
    testing::set_space_group(g.model(), "P 1 2/m 1");
    testing::set_cell(g.model(), 10, 5, 10, 90, 120, 90);
    // sMax = 2 exactly: 2θ = 180° at λ = 1.
    EXPECT_EQ(index_limits(g.model().cell, 2.0).h, 20);
    g.set_range(1.0, 140, 180);
    ASSERT_TRUE(g.run());
    const double s = std::sqrt(reciprocal_length_squared(g.model(), 19, 0, -9));
    EXPECT_NEAR(s, 1.90, 0.01);
    // (19 0 -9) or a member of its form (its Friedel mate (-19 0 9)) is listed.
    EXPECT_TRUE(g.find(19, 0, -9) || g.find(-19, 0, 9));
}

TEST(ReflectionGeneration, RhombohedralGroupInHexagonalAxesTestsTheObverseCondition)
{
    Generation g;
    testing::set_space_group(g.model(), "R -3 m:H");
    testing::set_cell(g.model(), 4.76, 4.76, 12.99, 90, 90, 120);
    g.set_range(1.5406, 10, 90);
    ASSERT_TRUE(g.run());
    EXPECT_EQ(g.model().latticeLetter, "P");
    for (const Reflection& r : g.list())
        EXPECT_EQ(((-r.h + r.k + r.l) % 3 + 3) % 3, 0) << r.h << " " << r.k << " " << r.l;
    EXPECT_NE(g.find(0, 1, 2), nullptr);  // (0 1 2): -0+1+2 = 3, kept as generated
    EXPECT_TRUE(lattice_absence_test(g.model(), 1, 0, 2));
}

TEST(ReflectionGeneration, RangeLimitsAreInclusiveAndUseTheProgramsAngleFactor)
{
    Generation g;
    testing::set_space_group(g.model(), "P m -3 m");
    testing::set_cell(g.model(), 4.0, 4.0, 4.0, 90, 90, 90);
    g.set_range(1.5406, 10, 60);
    ASSERT_TRUE(g.run());
    const Reflection second = g.list()[2];
    // The range is converted with 0.008726658370523442 rad per degree of 2θ.
    const double limit = std::asin(1.5406 / (2 * second.d)) / 0.008726658370523442;
    g.set_range(1.5406, limit * (1 - 1e-9), 60);
    ASSERT_TRUE(g.run());
    EXPECT_EQ(std::make_tuple(g.list()[1].h, g.list()[1].k, g.list()[1].l),
              std::make_tuple(second.h, second.k, second.l));
    g.set_range(1.5406, limit * (1 + 1e-9), 60);
    ASSERT_TRUE(g.run());
    EXPECT_NE(std::make_tuple(g.list()[1].h, g.list()[1].k, g.list()[1].l),
              std::make_tuple(second.h, second.k, second.l));
    g.set_range(1.5406, 10, limit * (1 + 1e-9));
    ASSERT_TRUE(g.run());
    EXPECT_EQ(g.list().count, 2);
}

TEST(ReflectionGeneration, TheLimitCountsFormsAfterMerging)
{
    // About 6000 forms in Fm-3m but far more candidates than 9998: accepted.
    Generation g;
    testing::set_space_group(g.model(), "F m -3 m");
    testing::set_cell(g.model(), 40, 40, 40, 90, 90, 90);
    g.set_range(0.7, 2, 69);
    ASSERT_TRUE(g.run()) << (g.messages.warnings.empty() ? "" : g.messages.warnings[0]);
    EXPECT_GT(g.list().count, 3000);
    EXPECT_LE(g.list().count, kMaxReflections);
    EXPECT_TRUE(g.messages.warnings.empty());

    // In P1 the same range holds far more than 9998 forms: refused, list empty.
    testing::set_space_group(g.model(), "P 1");
    EXPECT_FALSE(g.run());
    EXPECT_EQ(g.list().count, 0);
    ASSERT_EQ(g.messages.warnings.size(), 1u);
    EXPECT_EQ(g.messages.warnings[0], "Too many calculated reflections. Decrease the theta range");
}

TEST(ReflectionGeneration, EmptyRangeAndUndefinedSystemFailQuietly)
{
    Generation g;
    testing::set_space_group(g.model(), "P m -3 m");
    testing::set_cell(g.model(), 3.0, 3.0, 3.0, 90, 90, 90);
    g.set_range(1.5406, 10, 20);  // (1 0 0) is at 29.7°
    EXPECT_FALSE(g.run());
    g.set_range(1.5406, 10, 60);
    g.model().crystalSystem = "";
    EXPECT_FALSE(g.run());
    EXPECT_TRUE(g.messages.warnings.empty());
}

}  // namespace
}  // namespace kalidos
