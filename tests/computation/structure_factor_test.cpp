#include "computation/structure_factor.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <array>
#include <random>
#include <set>

#include "computation/parallel_for.hpp"
#include "computation/reflection_generation.hpp"
#include "computation/site_multiplicity.hpp"
#include "computation/structure_factor_engine.hpp"
#include "support/recording_messages.hpp"
#include "test_structures.hpp"

namespace kalidos {
namespace {

using testing::TestAtom;

std::vector<TestAtom> random_atoms(int count, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const char* symbols[] = {"FE", "O", "SI", "U"};
    std::vector<TestAtom> atoms;
    for (int n = 0; n < count; ++n)
        atoms.push_back({symbols[n % 4], unit(random), unit(random), unit(random), 0.2 + unit(random),
                         0.5 + 0.5 * unit(random)});
    return atoms;
}

struct Prepared {
    std::unique_ptr<Workspace> ws;
    testing::RecordingMessages messages;
    explicit Prepared(std::unique_ptr<Workspace> w) : ws(std::move(w))
    {
        compute_site_multiplicities(ws->model, ws->results);
        ws->model.wavelengths.current = ws->model.wavelengths.values[1];
        ws->model.enteredTwoTheta1 = 5;
        ws->model.enteredTwoTheta2 = 70;
        EXPECT_TRUE(generate_reflections(ws->model, ws->results.reflections, messages));
    }
};

double relative(double a, double b, double scale) { return std::fabs(a - b) / scale; }

TEST(StructureFactorEngine, MatchesTheDirectSumWithAnomalousScattering)
{
    const double cell[6] = {7.3, 8.1, 9.4, 90, 104, 90};
    Prepared p(testing::make_structure(".", "P 1 21/c 1", cell, random_atoms(7, 3)));
    StructureModel& m = p.ws->model;
    m.fPrime[1][1] = -1.2;
    m.fSecond[1][1] = 3.4;  // iron at 1.54 Å
    m.fSecond[1][4] = 9.0;
    p.ws->results.passIndex = 1;
    StructureFactorEngine engine(m, StructureFactorEngine::Grouping::ByElement);
    engine.prepare(p.ws->results.reflections);
    const double k = p.ws->results.structureFactorScale;
    ASSERT_GT(p.ws->results.reflections.count, 100);
    for (const Reflection& r : p.ws->results.reflections) {
        const double s = 1 / (2 * r.d);
        const XrayStructureFactor direct = xray_structure_factor(m, 1, k, r.h, r.k, r.l, s);
        const double* sums = engine.sums(r);
        double ap = 0, bp = 0, am = 0, bm = 0;
        for (int e = 1; e <= m.elementCount; ++e) {
            const double f = m.cromer[e].c + m.fPrime[1][e] + m.cromer[e].a[1] * std::exp(-m.cromer[e].b[1] * s * s) +
                             m.cromer[e].a[2] * std::exp(-m.cromer[e].b[2] * s * s) +
                             m.cromer[e].a[3] * std::exp(-m.cromer[e].b[3] * s * s) +
                             m.cromer[e].a[4] * std::exp(-m.cromer[e].b[4] * s * s);
            const double fs = m.fSecond[1][e], pp = sums[2 * e - 2], q = sums[2 * e - 1];
            ap += k * (f * pp - fs * q);
            bp += k * (fs * pp + f * q);
            am += k * (f * pp + fs * q);
            bm += k * (fs * pp - f * q);
        }
        const double scale = 1 + std::hypot(direct.aPlus, direct.bPlus);
        EXPECT_LT(relative(ap, direct.aPlus, scale), 1e-10) << r.h << " " << r.k << " " << r.l;
        EXPECT_LT(relative(bp, direct.bPlus, scale), 1e-10);
        EXPECT_LT(relative(am, direct.aMinus, scale), 1e-10);
        EXPECT_LT(relative(bm, direct.bMinus, scale), 1e-10);
    }
}

TEST(StructureFactorEngine, MatchesTheDirectNeutronSumInACentredCubicGroup)
{
    const double cell[6] = {11.2, 11.2, 11.2, 90, 90, 90};
    Prepared p(testing::make_structure(".", "F d -3 c:2", cell, random_atoms(5, 11)));
    const StructureModel& m = p.ws->model;
    ASSERT_EQ(m.operatorCount, 192);
    StructureFactorEngine engine(m, StructureFactorEngine::Grouping::OneFermiWeighted);
    engine.prepare(p.ws->results.reflections);
    const double k = p.ws->results.structureFactorScale;
    for (const Reflection& r : p.ws->results.reflections) {
        const NeutronStructureFactor direct = neutron_structure_factor(m, k, r.h, r.k, r.l, 1 / (2 * r.d));
        const double* sums = engine.sums(r);
        const double scale = 1e-3 + std::hypot(direct.a, direct.b);
        EXPECT_LT(relative(k * sums[0], direct.a, scale), 1e-9) << r.h << " " << r.k << " " << r.l;
        EXPECT_LT(relative(k * sums[1], direct.b, scale), 1e-9);
    }
}

TEST(StructureFactorEngine, ResultsDoNotDependOnTheThreadCount)
{
    const double cell[6] = {9.1, 9.1, 9.1, 90, 90, 90};
    Prepared p(testing::make_structure(".", "I a -3 d", cell, random_atoms(9, 5)));
    std::vector<std::vector<double>> runs;
    for (const int threads : {1, 2, 3}) {
        set_computation_threads(threads);
        StructureFactorEngine engine(p.ws->model, StructureFactorEngine::Grouping::ByElement);
        engine.prepare(p.ws->results.reflections);
        std::vector<double> values;
        for (const Reflection& r : p.ws->results.reflections)
            values.insert(values.end(), engine.sums(r), engine.sums(r) + 2 * engine.group_count());
        runs.push_back(values);
    }
    set_computation_threads(0);
    EXPECT_EQ(runs[0], runs[1]);
    EXPECT_EQ(runs[0], runs[2]);
}

TEST(StructureFactor, WithoutAnomalousScatteringFriedelMatesAreConjugate)
{
    const double cell[6] = {6.1, 6.1, 8.3, 90, 90, 120};
    Prepared q(testing::make_structure(".", "P 63", cell, random_atoms(3, 7)));
    const XrayStructureFactor f = xray_structure_factor(q.ws->model, 1, q.ws->results.structureFactorScale, 1, 2, 3, 0.2);
    EXPECT_NEAR(f.aPlus, f.aMinus, 1e-12);
    EXPECT_NEAR(f.bPlus, -f.bMinus, 1e-12);
    EXPECT_GT(std::fabs(f.bPlus), 1e-3);  // a polar group: F is not real
}

TEST(SiteMultiplicity, SpecialPositionsWeighLessInTheRatioOfTheirImages)
{
    // Two iron atoms in Pm-3m: a general position (48 images) and the origin (1 image).
    const double cell[6] = {4, 4, 4, 90, 90, 90};
    auto ws = testing::make_structure(".", "P m -3 m", cell,
                                      {{"FE", 0.11, 0.23, 0.37, 0.5, 1.0}, {"FE", 0, 0, 0, 0.5, 1.0}});
    compute_site_multiplicities(ws->model, ws->results);
    EXPECT_DOUBLE_EQ(ws->model.atomMultiplicity[1], 1.0);
    EXPECT_DOUBLE_EQ(ws->model.atomMultiplicity[2], 1.0 / 48);
    EXPECT_DOUBLE_EQ(ws->results.structureFactorScale, 48.0 / 48);
}

TEST(SiteMultiplicity, ImagesAreComparedAcrossTheCellEdge)
{
    // An operator table whose translations add up to 0.9999999 (0.6666666666 + 0.3333333) puts an
    // image of the origin at x = 0.9999999: it is the same site as x = 0.
    StructureModel m;
    m.operatorCount = 2;
    for (int j = 1; j <= 2; ++j)
        for (int i = 0; i < 3; ++i)
            m.operators[j].m[i][i] = 1;
    m.operators[2].m[0][3] = 0.6666666666 + 0.3333333;
    EXPECT_EQ(distinct_image_count(m, 0, 0, 0), 1);
    EXPECT_EQ(distinct_image_count(m, 0.5, 0, 0), 1);
    m.operators[2].m[0][3] = 0.5;
    EXPECT_EQ(distinct_image_count(m, 0.2, 0, 0), 2);
}

// Images of an exact position, counted exactly.
int exact_image_count(const StructureModel& m, const std::array<double, 3>& p)
{
    std::vector<std::array<double, 3>> images;
    for (int j = 1; j <= m.operatorCount; ++j) {
        std::array<double, 3> q{};
        for (int i = 0; i < 3; ++i) {
            const auto& r = m.operators[j].m[i];
            const double v = r[0] * p[0] + r[1] * p[1] + r[2] * p[2] + r[3];
            q[static_cast<std::size_t>(i)] = v - std::floor(v + 1e-9);
        }
        if (std::none_of(images.begin(), images.end(), [&](const auto& o) {
                return std::fabs(o[0] - q[0]) + std::fabs(o[1] - q[1]) + std::fabs(o[2] - q[2]) < 1e-7;
            }))
            images.push_back(q);
    }
    return static_cast<int>(images.size());
}

TEST(SiteMultiplicity, SitesNearSpecialPositionsCountWholeOrbits)
{
    // Every Wyckoff position of each group, free parameters generic.
    const std::vector<std::pair<std::string, std::vector<std::array<double, 3>>>> groups = {
        {"F m -3 m", {{0, 0, 0}, {.5, .5, .5}, {.25, .25, .25}, {0, .25, .25}, {.13, 0, 0}, {.13, .13, .13},
                      {.13, .25, .25}, {0, .13, .13}, {.5, .13, .13}, {0, .13, .29}, {.13, .13, .29}, {.07, .13, .29}}},
        {"P 6/m m m", {{0, 0, 0}, {0, 0, .5}, {1. / 3, 2. / 3, 0}, {1. / 3, 2. / 3, .5}, {0, 0, .13}, {.5, 0, 0},
                       {.5, 0, .5}, {1. / 3, 2. / 3, .13}, {.5, 0, .13}, {.13, 0, 0}, {.13, 0, .5}, {.13, .26, 0},
                       {.13, .26, .5}, {.13, 0, .29}, {.13, .26, .29}, {.13, .31, 0}, {.13, .31, .5}, {.13, .31, .29}}},
        {"I 41/a m d:2", {{0, .75, .125}, {0, .25, .375}, {0, 0, 0}, {0, 0, .5}, {0, .25, .13}, {.13, 0, 0},
                          {.13, .38, .875}, {0, .13, .29}, {.07, .13, .29}}},
    };
    const double cell[6] = {12, 12, 12, 90, 90, 90};
    const double hexagonal[6] = {12, 12, 9, 90, 90, 120};
    std::mt19937 random(12);
    std::uniform_real_distribution<double> unit(-1, 1), size(0.0002, 0.0012);
    for (const auto& [group, positions] : groups) {
        auto ws = testing::make_structure(".", group, group[0] == 'P' ? hexagonal : cell, {});
        const StructureModel& m = ws->model;
        std::set<int> wyckoff;
        for (const auto& p : positions)
            wyckoff.insert(exact_image_count(m, p));
        for (const auto& p : positions) {
            const int special = exact_image_count(m, p);
            for (int trial = 0; trial < 25; ++trial) {
                std::array<double, 3> d{unit(random), unit(random), unit(random)};
                const double scale = size(random) / std::max({std::fabs(d[0]), std::fabs(d[1]), std::fabs(d[2])});
                for (double& v : d)
                    v *= scale;
                const int count = distinct_image_count(m, p[0] + d[0], p[1] + d[1], p[2] + d[2]);
                const double offset = std::max({std::fabs(d[0]), std::fabs(d[1]), std::fabs(d[2])});
                EXPECT_EQ(wyckoff.count(count), 1u) << group << ": " << count << " images " << offset << " from "
                                                    << p[0] << " " << p[1] << " " << p[2];
                if (offset <= 0.001) {
                    EXPECT_EQ(count, special) << group << ": " << offset << " from " << p[0] << " " << p[1] << " " << p[2];
                }
            }
        }
    }
}

TEST(SiteMultiplicity, PopulationsScaleAndTheLargestBecomesOne)
{
    const double cell[6] = {4, 4, 4, 90, 90, 90};
    auto ws = testing::make_structure(".", "P m -3 m", cell,
                                      {{"O", 0.5, 0, 0, 0.5, 0.5}, {"FE", 0, 0, 0, 0.5, 1.0}});
    compute_site_multiplicities(ws->model, ws->results);
    // O on 3c: 3 images × 0.5 = 1.5 is the largest; Fe on 1a: 1.
    EXPECT_DOUBLE_EQ(ws->model.atomMultiplicity[1], 1.0);
    EXPECT_DOUBLE_EQ(ws->model.atomMultiplicity[2], 1.0 / 1.5);
    EXPECT_DOUBLE_EQ(ws->results.structureFactorScale, 1.5 / 48);
}

}  // namespace
}  // namespace kalidos
