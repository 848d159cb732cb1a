// Anisotropic displacement in the structure factors: the fast engine against the direct sums,
// and a rotated ellipsoid in a monoclinic cell against a Cartesian calculation of its own.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "computation/displacement_tensor.hpp"
#include "computation/reflection_generation.hpp"
#include "computation/site_multiplicity.hpp"
#include "computation/structure_factor.hpp"
#include "computation/structure_factor_engine.hpp"
#include "support/recording_messages.hpp"
#include "test_structures.hpp"

namespace kalidos {
namespace {

constexpr double kPi = 3.14159265358979323846;
using Matrix = std::array<std::array<double, 3>, 3>;

Matrix product(const Matrix& a, const Matrix& b)
{
    Matrix c{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                c[i][j] += a[i][k] * b[k][j];
    return c;
}

Matrix transposed(const Matrix& a)
{
    Matrix t{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            t[i][j] = a[j][i];
    return t;
}

Matrix inverse(const Matrix& m)
{
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    Matrix r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const int i1 = (j + 1) % 3, i2 = (j + 2) % 3, j1 = (i + 1) % 3, j2 = (i + 2) % 3;
            r[i][j] = (m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1]) / det;
        }
    return r;
}

// Columns are the cell edges a, b, c in Cartesian coordinates (a along x, b in the xy plane).
Matrix direct_matrix(const CellParameters& c)
{
    const double d = kPi / 180;
    const double ca = std::cos(c.alpha * d), cb = std::cos(c.beta * d), cg = std::cos(c.gamma * d);
    const double sg = std::sin(c.gamma * d);
    const double cy = (ca - cb * cg) / sg;
    const double cz = std::sqrt(1 - cb * cb - cy * cy);
    return {{{c.a, c.b * cg, c.c * cb}, {0, c.b * sg, c.c * cy}, {0, 0, c.c * cz}}};
}

// A positive-definite tensor (Å²) as U^ij of the cell: U* = A⁻¹ U_cart A⁻ᵀ, U^ij = U*_ij / (a*_i a*_j).
AnisotropicDisplacement cif_tensor(const CellParameters& cell, const Matrix& cartesian)
{
    const Matrix a = inverse(direct_matrix(cell));
    const Matrix star = product(product(a, cartesian), transposed(a));
    double length[3];
    for (int i = 0; i < 3; ++i)
        length[i] = std::sqrt(a[i][0] * a[i][0] + a[i][1] * a[i][1] + a[i][2] * a[i][2]);
    const int p[6] = {0, 1, 2, 0, 0, 1}, q[6] = {0, 1, 2, 1, 2, 2};
    AnisotropicDisplacement t;
    t.present = true;
    for (int i = 0; i < 6; ++i)
        t.u[i] = star[p[i]][q[i]] / (length[p[i]] * length[q[i]]);
    return t;
}

// An ellipsoid with axes u1, u2, u3 (Å²) turned by Euler angles (radians).
Matrix rotated_ellipsoid(double u1, double u2, double u3, double phi, double theta, double psi)
{
    const auto turn = [](int axis, double angle) {
        Matrix r{};
        const int i = (axis + 1) % 3, j = (axis + 2) % 3;
        r[axis][axis] = 1;
        r[i][i] = r[j][j] = std::cos(angle);
        r[i][j] = -std::sin(angle);
        r[j][i] = std::sin(angle);
        return r;
    };
    const Matrix r = product(product(turn(2, phi), turn(0, theta)), turn(2, psi));
    const Matrix d = {{{u1, 0, 0}, {0, u2, 0}, {0, 0, u3}}};
    return product(product(r, d), transposed(r));
}

struct Prepared {
    std::unique_ptr<Workspace> ws;
    testing::RecordingMessages messages;
    Prepared(const std::string& group, const double (&cell)[6], int atoms, unsigned seed)
    {
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        std::vector<testing::TestAtom> list;
        for (int n = 0; n < atoms; ++n)
            list.push_back({n % 2 ? "O" : "FE", unit(random), unit(random), unit(random), 0.3 + unit(random), 1});
        ws = testing::make_structure(".", group, cell, list);
        StructureModel& m = ws->model;
        for (int n = 1; n <= m.atomCount; n += 1 + (n % 3 == 0))  // most atoms, not all
            m.atomAnisotropic[n] = cif_tensor(m.cell, rotated_ellipsoid(0.004 + 0.01 * unit(random), 0.012,
                                                                        0.03 * unit(random) + 0.002, 6 * unit(random),
                                                                        3 * unit(random), 6 * unit(random)));
        compute_site_multiplicities(m, ws->results);
        m.wavelengths.current = m.wavelengths.values[1];
        m.enteredTwoTheta1 = 5;
        m.enteredTwoTheta2 = 100;
        EXPECT_TRUE(generate_reflections(m, ws->results.reflections, messages));
    }
};

TEST(AnisotropicDisplacement, EngineMatchesTheDirectSumsAndTheSwitchRestoresIsotropicB)
{
    const double monoclinic[6] = {7.3, 8.1, 9.4, 90, 104, 90};
    const double cubic[6] = {9.7, 9.7, 9.7, 90, 90, 90};
    for (const auto& [group, cell] : {std::pair{"P 1 21/c 1", &monoclinic}, std::pair{"P a -3", &cubic}}) {
        Prepared p(group, *cell, 6, 5);
        StructureModel& m = p.ws->model;
        StructureFactorEngine engine(m, StructureFactorEngine::Grouping::OneFermiWeighted);
        engine.prepare(p.ws->results.reflections);
        ASSERT_GT(p.ws->results.reflections.count, 100);
        for (const Reflection& r : p.ws->results.reflections) {
            const NeutronStructureFactor direct = neutron_structure_factor(m, 1.0, r.h, r.k, r.l, 1 / (2 * r.d));
            const double scale = 1e-3 + std::hypot(direct.a, direct.b);
            EXPECT_LT(std::fabs(engine.sums(r)[0] - direct.a) / scale, 1e-10) << group << " " << r.h << r.k << r.l;
            EXPECT_LT(std::fabs(engine.sums(r)[1] - direct.b) / scale, 1e-10);
        }
        // The switch: the same sums, bit for bit, as a model without tensors.
        m.sample.isotropic = true;
        StructureFactorEngine isotropic(m, StructureFactorEngine::Grouping::OneFermiWeighted);
        clear_tensors(m);
        m.sample.isotropic = false;
        StructureFactorEngine plain(m, StructureFactorEngine::Grouping::OneFermiWeighted);
        isotropic.prepare(p.ws->results.reflections);
        plain.prepare(p.ws->results.reflections);
        for (const Reflection& r : p.ws->results.reflections) {
            EXPECT_EQ(isotropic.sums(r)[0], plain.sums(r)[0]);
            EXPECT_EQ(isotropic.sums(r)[1], plain.sums(r)[1]);
        }
    }
}

TEST(AnisotropicDisplacement, RotatedEllipsoidInAMonoclinicCellFollowsEachOperator)
{
    const double cell[6] = {6.1, 7.3, 8.2, 90, 113, 90};
    auto ws = testing::make_structure(".", "P 1 2 1", cell, {{"O", 0.13, 0.27, 0.41, 0, 1}});
    StructureModel& m = ws->model;
    ASSERT_EQ(m.operatorCount, 2);
    const Matrix cartesian = rotated_ellipsoid(0.005, 0.02, 0.045, 0.4, 1.1, -0.7);
    m.atomAnisotropic[1] = cif_tensor(m.cell, cartesian);
    m.atomMultiplicity[1] = 1;
    m.atomFermiLength[1] = 1;
    const Matrix a = direct_matrix(m.cell), aInverse = inverse(a);
    int checked = 0;
    for (int h = -3; h <= 3; ++h)
        for (int k = -3; k <= 3; ++k)
            for (int l = 0; l <= 3; ++l) {
                // q = A⁻ᵀ h; the image of the atom by x' = R x + t carries A R A⁻¹ U (A R A⁻¹)ᵀ.
                double q[3] = {};
                for (int i = 0; i < 3; ++i)
                    q[i] = aInverse[0][i] * h + aInverse[1][i] * k + aInverse[2][i] * l;
                double re = 0, im = 0;
                for (int j = 1; j <= m.operatorCount; ++j) {
                    Matrix r{};
                    double x[3];
                    const double xyz[3] = {m.atomX[1], m.atomY[1], m.atomZ[1]};
                    for (int i = 0; i < 3; ++i) {
                        x[i] = m.operators[j].m[i][3];
                        for (int c = 0; c < 3; ++c) {
                            r[i][c] = m.operators[j].m[i][c];
                            x[i] += r[i][c] * xyz[c];
                        }
                    }
                    const Matrix rc = product(product(a, r), aInverse);
                    const Matrix u = product(product(rc, cartesian), transposed(rc));
                    double form = 0;
                    for (int i = 0; i < 3; ++i)
                        for (int c = 0; c < 3; ++c)
                            form += q[i] * u[i][c] * q[c];
                    const double damping = std::exp(-2 * kPi * kPi * form);
                    const double phase = kPhaseTwoPi * (h * x[0] + k * x[1] + l * x[2]);
                    re += damping * std::cos(phase);
                    im += damping * std::sin(phase);
                }
                const double s = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2]) / 2;
                const NeutronStructureFactor f = neutron_structure_factor(m, 1.0, h, k, l, s);
                EXPECT_NEAR(f.a, re, 1e-12) << h << " " << k << " " << l;
                EXPECT_NEAR(f.b, im, 1e-12) << h << " " << k << " " << l;
                ++checked;
            }
    EXPECT_EQ(checked, 196);
}

TEST(AnisotropicDisplacement, BEquivalentOfASphereIsItsB)
{
    const double cell[6] = {6.1, 7.3, 8.2, 71, 113, 97};
    auto ws = testing::make_structure(".", "P 1", cell, {{"O", 0, 0, 0, 0, 1}});
    const double u = 0.0137;
    const AnisotropicDisplacement sphere = cif_tensor(ws->model.cell, {{{u, 0, 0}, {0, u, 0}, {0, 0, u}}});
    EXPECT_NEAR(b_equivalent(ws->model.cell, sphere), 8 * kPi * kPi * u, 1e-12);
}

}  // namespace
}  // namespace kalidos
